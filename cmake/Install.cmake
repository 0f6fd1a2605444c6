# Installing the program like any other on the system, and its Debian package.
include(GNUInstallDirs)

install(TARGETS plova plova-cli mainunit-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The data folder also tells an installed program that it is one
# (platform/AppPaths.h): its settings then go to the per-user folders.
install(FILES res/icons/plova.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/plova)

install(FILES res/desktop/plova.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The licence of the programs and of the libraries they are linked with, where
# a Debian system looks for it (usr/share/doc/plova/copyright).
install(FILES res/doc/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES res/desktop/jp.plova.Plova.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES res/icons/plova.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES res/icons/plova-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME plova.png)
endforeach()

# The manual page lists the commands plova-cli itself reports, so it cannot
# fall behind the program.
set(PLOVA_MANPAGE ${CMAKE_BINARY_DIR}/man/plova-cli.1)
add_custom_command(
  OUTPUT ${PLOVA_MANPAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
  COMMAND python3 ${PROJECT_SOURCE_DIR}/scripts/make-manpage
          ${PROJECT_SOURCE_DIR}/res/man/plova-cli.1.in ${PLOVA_MANPAGE} $<TARGET_FILE:plova-cli> ${PROJECT_VERSION}
  DEPENDS plova-cli ${PROJECT_SOURCE_DIR}/res/man/plova-cli.1.in ${PROJECT_SOURCE_DIR}/scripts/make-manpage
  COMMENT "Writing the plova-cli manual page")
add_custom_target(manpage ALL DEPENDS ${PLOVA_MANPAGE})
install(FILES ${PLOVA_MANPAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Installs into a scratch root and checks what lands there.
add_test(NAME InstallCheck
         COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-install ${CMAKE_BINARY_DIR})

# make package: a .deb whose dependencies dpkg-shlibdeps reads off the binaries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plova)
set(CPACK_PACKAGE_VENDOR "PLOVA developers")
set(CPACK_PACKAGE_CONTACT "PLOVA developers <plova@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "voice-file manager for a business telephone system's main unit")
set(CPACK_PACKAGE_DESCRIPTION
    "Downloads the voice messages of a telephone system's main unit over FTP into\n"
    "local box folders, lists them, converts their G.729 Annex A speech to WAV and\n"
    "plays it, and manages messages, box names and backups. plova-cli does the\n"
    "same without a window; mainunit-sim serves a simulated main unit for trying it.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialogs in Japanese (loaded at start); the libraries are read off the binaries.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
