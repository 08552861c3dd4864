# The Debian package: both programs, their manual and help pages, the desktop entry and the icon, and
# the documentation Debian asks of every package. tools/package.sh builds it and checks it with lintian.
include(GNUInstallDirs)

# /usr/share/doc/vantrelix/: the copyright (machine-readable) and the changelog, gzipped without a name
# or time stamp so that the same sources always give the same bytes.
set(VANTRELIX_DEB_CHANGELOG ${CMAKE_BINARY_DIR}/deb/changelog.Debian.gz)
add_custom_command(OUTPUT ${VANTRELIX_DEB_CHANGELOG}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/deb
                   COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/cmake/deb/changelog > ${VANTRELIX_DEB_CHANGELOG}
                   DEPENDS ${CMAKE_SOURCE_DIR}/cmake/deb/changelog
                   COMMENT "Compressing the Debian changelog"
                   VERBATIM)
add_custom_target(vantrelix_deb_changelog ALL DEPENDS ${VANTRELIX_DEB_CHANGELOG})
install(FILES ${CMAKE_SOURCE_DIR}/cmake/deb/copyright ${VANTRELIX_DEB_CHANGELOG}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vantrelix)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrelix)
set(CPACK_PACKAGE_VENDOR "Vantrelix developers")
set(CPACK_PACKAGE_CONTACT "Vantrelix developers <dev@vantrelix.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "registry cleaner for Wine prefixes and offline Windows volumes")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Vantrelix finds what is really broken in a Windows registry and on its drives:
registry values that name program files which no longer exist (COM
registrations, application paths, help files, shared tools, start-up and
uninstall entries, virtual device drivers, fonts) and shortcut files whose
targets are gone. It shows the findings per section, repairs them after
writing a backup, restores backups exactly, and writes a text report.

It works on a Wine prefix or on a mounted Windows volume, from the terminal
(vantrelix-cli) or from the desktop (vantrelix).")
if(NOT VANTRELIX_GUI)
    string(REPLACE "from the terminal\n(vantrelix-cli) or from the desktop (vantrelix)." "from the terminal\n(vantrelix-cli)."
           CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
endif()
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_PACKAGE_NAME vantrelix)
# The Debian revision of this packaging of 3.0.0: the package is not native, so its changelog is
# changelog.Debian.gz.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vantrelix developers <dev@vantrelix.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS wine)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
