# The Windows installer (NSIS, built here with Debian's makensis) and a
# portable .zip that holds the program file alone.
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
set(_nsi ${PROJECT_SOURCE_DIR}/resources/windows/installer.nsi)
add_custom_command(
  OUTPUT ${QUADRANGLER_INSTALLER}
  COMMAND ${MAKENSIS} -V2 -WX -DVERSION=${PROJECT_VERSION} -DTARGET=${_target}
          -DEXE=$<TARGET_FILE:quadrangler> -DOUTFILE=${QUADRANGLER_INSTALLER} ${_nsi}
  DEPENDS quadrangler ${_nsi}
  COMMENT "Building the Windows installer")
add_custom_command(
  OUTPUT ${QUADRANGLER_ZIP}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${QUADRANGLER_ZIP} --format=zip quadrangler.exe
  WORKING_DIRECTORY $<TARGET_FILE_DIR:quadrangler>
  DEPENDS quadrangler
  COMMENT "Packing the portable .zip")
add_custom_target(windows_packages ALL DEPENDS ${QUADRANGLER_INSTALLER} ${QUADRANGLER_ZIP})
