# The Windows installer (NSIS, built here with Debian's makensis) and a
# portable .zip: the program file with its licence and a short readme.
find_program(MAKENSIS makensis REQUIRED)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_target amd64-unicode)
  set(_arch win64)
else()
  set(_target x86-unicode)
  set(_arch win32)
endif()
set(QUADRANGLER_INSTALLER
    ${PROJECT_BINARY_DIR}/quadrangler-${PROJECT_VERSION}-${_arch}-setup.exe CACHE INTERNAL "")
set(QUADRANGLER_ZIP ${PROJECT_BINARY_DIR}/quadrangler-${PROJECT_VERSION}-${_arch}.zip
    CACHE INTERNAL "")

# The licence with the notices of the statically linked runtime; Windows line
# ends, for Notepad and the installer's licence page.
set(_texts ${PROJECT_BINARY_DIR}/package)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE QUADRANGLER_LICENCE_TEXT)
string(STRIP "${QUADRANGLER_LICENCE_TEXT}" QUADRANGLER_LICENCE_TEXT)
string(REPLACE "\n" "\r\n" QUADRANGLER_LICENCE_TEXT "${QUADRANGLER_LICENCE_TEXT}")
foreach(_text LICENSE README)
  configure_file(${PROJECT_SOURCE_DIR}/resources/windows/${_text}.txt.in ${_texts}/${_text}.txt
                 @ONLY NEWLINE_STYLE CRLF)
endforeach()
install(FILES ${_texts}/LICENSE.txt ${_texts}/README.txt DESTINATION .)

set(_nsi ${PROJECT_SOURCE_DIR}/resources/windows/installer.nsi)
set(_icon ${PROJECT_SOURCE_DIR}/resources/icons/quadrangler.ico)
add_custom_command(
  OUTPUT ${QUADRANGLER_INSTALLER}
  COMMAND ${MAKENSIS} -V2 -WX -DVERSION=${PROJECT_VERSION} -DTARGET=${_target}
          -DEXE=$<TARGET_FILE:quadrangler> -DLICENSE=${_texts}/LICENSE.txt -DICON=${_icon}
          -DOUTFILE=${QUADRANGLER_INSTALLER} ${_nsi}
  DEPENDS quadrangler ${_nsi} ${_texts}/LICENSE.txt ${_icon}
  COMMENT "Building the Windows installer")
# One folder named after the .zip holds the files: extracted, they stay
# together.
set(_folder quadrangler-${PROJECT_VERSION}-${_arch})
add_custom_command(
  OUTPUT ${QUADRANGLER_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_folder}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_folder}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:quadrangler> LICENSE.txt README.txt ${_folder}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${QUADRANGLER_ZIP} --format=zip ${_folder}
  WORKING_DIRECTORY ${_texts}
  DEPENDS quadrangler ${_texts}/LICENSE.txt ${_texts}/README.txt
  COMMENT "Packing the portable .zip")
add_custom_target(windows_packages ALL DEPENDS ${QUADRANGLER_INSTALLER} ${QUADRANGLER_ZIP})
