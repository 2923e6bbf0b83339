# A Debian package of the installed program: cpack -G DEB in the build tree.
include(GNUInstallDirs)
set(CPACK_PACKAGE_NAME quadrangler)
set(CPACK_PACKAGE_VENDOR "The Quadrangler developers")
set(CPACK_PACKAGE_CONTACT "The Quadrangler developers")
# The project has no address yet. Debian asks for one beside the maintainer
# (and in the changelog's trailer): one in the reserved .invalid domain
# there, which no one can take for a real one; nowhere else.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Quadrangler developers <quadrangler@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Debian shows the lines as they stand: wrapped within 80 columns.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
              "Converts a position typed as degrees and minutes south and east into its\n"
              "reference on the 3 x 3-minute grid, to read off or copy to the clipboard.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# A package is built against its release's libraries (Debian 13 renamed many
# in its 64-bit time change) and its Qt (a Qt 6.4 build never announces the
# result, even on Qt 6.8), so each release gets its own, told apart by the
# version's suffix: 1.0.0+deb13 sorts above 1.0.0+deb12 and replaces it.
if(QUADRANGLER_DEBIAN_RELEASE)
  set(QUADRANGLER_DEB_VERSION ${PROJECT_VERSION}+deb${QUADRANGLER_DEBIAN_RELEASE})
else()
  set(QUADRANGLER_DEB_VERSION ${PROJECT_VERSION})
endif()
set(CPACK_DEBIAN_PACKAGE_VERSION ${QUADRANGLER_DEB_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-comic-neue, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_STRIP_FILES ON)

# A plain install carries LICENSE; the package carries its terms in Debian's
# copyright file instead, beside Debian's changelog.
set(_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${_doc_dir} COMPONENT licence)

set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE _licence)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" _ "${_licence}")
set(LICENSE_COPYRIGHT ${CMAKE_MATCH_1})
# The terms after the copyright line, as a field's continuation lines.
string(REGEX REPLACE "^.*Copyright \\(c\\)[^\n]*\n\n" "" LICENSE_TERMS "${_licence}")
string(STRIP "${LICENSE_TERMS}" LICENSE_TERMS)
string(REPLACE "\n\n" "\n.\n" LICENSE_TERMS "${LICENSE_TERMS}")
string(REPLACE "\n" "\n " LICENSE_TERMS " ${LICENSE_TERMS}")
set(_debian ${PROJECT_BINARY_DIR}/debian)
configure_file(resources/debian/copyright.in ${_debian}/copyright @ONLY)
configure_file(resources/debian/changelog.in ${_debian}/changelog @ONLY)
include(${PROJECT_SOURCE_DIR}/cmake/Gzip.cmake)
quadrangler_gzip(debian_changelog ${_debian}/changelog)
install(FILES ${_debian}/copyright ${_debian}/changelog.gz DESTINATION ${_doc_dir}
        COMPONENT debian EXCLUDE_FROM_ALL)
# From Debian 13 on, AppStream asks for a home page the project does not have.
if(QUADRANGLER_DEBIAN_RELEASE AND QUADRANGLER_DEBIAN_RELEASE GREATER_EQUAL 13)
  install(FILES resources/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
          RENAME ${CPACK_PACKAGE_NAME} COMPONENT debian EXCLUDE_FROM_ALL)
endif()
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};Unspecified;/"
                                 "${PROJECT_BINARY_DIR};${PROJECT_NAME};debian;/")
include(CPack)
