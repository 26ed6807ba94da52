# Install rules and the Debian package: `cmake --build build --target package` (or
# scripts/package.sh) writes build/tillora_<version>_<arch>.deb from the normal build.
# Nothing installed names a path of the build machine: the program finds its print module
# relative to itself (TILLORA_INSTALLED_MODULE_FOLDER).
# Debian's modes, whatever the umask of the one who builds.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
  GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS tillora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS tillora_print_support LIBRARY DESTINATION ${TILLORA_MODULE_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/tillora.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/tillora.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The changelog's newest entry is the release being packaged: the project version.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog tillora_changelog_top LIMIT_COUNT 1)
if(NOT tillora_changelog_top MATCHES "^tillora \\(${PROJECT_VERSION}\\)")
  message(FATAL_ERROR "packaging/changelog has no entry for version ${PROJECT_VERSION} on top")
endif()
# Debian's documentation folder is named after the package, not the project.
set(tillora_doc ${CMAKE_INSTALL_DATADIR}/doc/tillora)
# Debian wants the changelog compressed reproducibly (no name, no time stamp).
set(tillora_changelog ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${tillora_changelog}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${tillora_changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
  COMMENT "Compressing the package's changelog")
set(tillora_manual ${PROJECT_BINARY_DIR}/packaging/tillora.1.gz)
add_custom_command(OUTPUT ${tillora_manual}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/tillora.1 > ${tillora_manual}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/tillora.1
  COMMENT "Compressing the manual page")
add_custom_target(tillora_package_files ALL DEPENDS ${tillora_changelog} ${tillora_manual})
install(FILES ${tillora_manual} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/copyright
  ${tillora_changelog} DESTINATION ${tillora_doc})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tillora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tillora developers <tillora@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "till program for a small shop")
set(CPACK_PACKAGE_DESCRIPTION
  "Tillora is a desktop program for a small shop's till. The cashier composes
a sales receipt line by line and prints it on a narrow receipt printer;
every sale is kept in a local database, or on one PostgreSQL server shared
by several tills. Stored sales can be searched, corrected and exported to
spreadsheets. The user interface is Chinese.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not seen by shlibdeps: the windows' Chinese font (the one with 宋体's metrics, which the
# templates' places were measured with), a sans one for Qt's own dialogs, Qt's Chinese texts and
# its display plugins.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-arphic-uming, fonts-wqy-microhei, qt6-translations-l10n, qt6-qpa-plugins")
# Loaded on first use; without them the program names what is missing when it is needed. The
# sqlite3 tool saves what can be read from a damaged database; without it that offer is not made.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "libpq5, libxlsxwriter4, libjpeg62-turbo, libcups2, libfreexl1, libzip4, sqlite3")
# No maintainer scripts (the module is no public library, so no ldconfig either): removing or
# upgrading the package leaves every user's data alone.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_LDCONFIG OFF)
# Reproducible: the commit's time for every time stamp (cpack sorts the members and writes them
# as root's).
configure_file(${PROJECT_SOURCE_DIR}/cmake/PackageTime.cmake.in
  ${PROJECT_BINARY_DIR}/packaging/PackageTime.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/packaging/PackageTime.cmake)
include(CPack)
