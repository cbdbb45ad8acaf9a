# The installed program and its Debian package: the executable, its menu entry, icon, AppStream
# metainfo and manual page under the prefix; `cmake --build <dir> --target package` makes
# quorvane_<version>_<arch>.deb with the dependencies dpkg-shlibdeps finds in the executable.

include(GNUInstallDirs)

# Where the package points its readers: the maintainer's address and the web address under which
# the repository's files are served (the metainfo's screenshot is a file of the repository).
set(QUORVANE_MAINTAINER "The Quorvane developers <developers@quorvane.org>"
    CACHE STRING "Maintainer of the Debian package: Name <address>")
set(QUORVANE_FILE_URL "https://quorvane.org/source/raw"
    CACHE STRING "Web address under which the repository's files are served")
# The date of the release that PROJECT_VERSION names; move it on with the version.
set(QUORVANE_RELEASE_DATE 2026-12-11)
set(QUORVANE_APP_ID org.quorvane.Quorvane)
set(QUORVANE_SCREENSHOT docs/screenshot.png)

set(generated ${CMAKE_CURRENT_BINARY_DIR}/packaging)
configure_file(data/quorvane.metainfo.xml.in ${generated}/${QUORVANE_APP_ID}.metainfo.xml @ONLY)
configure_file(data/quorvane.1 ${generated}/quorvane.1 @ONLY)
# Debian keeps a changelog with every package; its date is in the form of RFC 5322.
execute_process(COMMAND date -u -R -d "${QUORVANE_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE QUORVANE_RELEASE_DATE_RFC OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
configure_file(data/changelog.in ${generated}/changelog @ONLY)

# Debian wants both compressed, without a time stamp so that the package is reproducible.
add_custom_command(
  OUTPUT ${generated}/quorvane.1.gz ${generated}/changelog.gz
  COMMAND gzip -9nkf ${generated}/quorvane.1 ${generated}/changelog
  DEPENDS ${generated}/quorvane.1 ${generated}/changelog
  COMMENT "Compressing the manual page and the changelog" VERBATIM)
add_custom_target(quorvane_package_docs ALL DEPENDS ${generated}/quorvane.1.gz
                                                    ${generated}/changelog.gz)

install(TARGETS quorvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/quorvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/quorvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${generated}/${QUORVANE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${generated}/quorvane.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES data/copyright ${generated}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvane)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quorvane developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "countdown timer for speakers and stage managers")
# Debian wants the long description in lines of at most 80 characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "A desktop countdown timer: the operator works a small control window, and\n"
       "a second, resizable display window shows the speaker the time in large\n"
       "digits whose colour tells the state of the count. It counts down, up or\n"
       "through zero into overtime, shows the time of day, sends short messages\n"
       "to the display window and plays a timing sound and an end sound.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                                GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUORVANE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its Wayland platform as a plugin, which dpkg-shlibdeps cannot see; a Wayland session
# without XWayland needs it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
