# Everything a desktop installation holds besides the executables, and the Debian package made
# of all of it with CPack (`make deb`).

install(FILES ${PROJECT_SOURCE_DIR}/data/vizovi-vevo.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# KWin lets a program read the screen when a desktop file whose Exec is that very executable
# lists KWin's screenshot interface. The file names the path the program is installed at, which
# is known at install time only (cpack installs under a prefix of its own).
install(CODE "set(VV_SCREEN_CAPTURE_TEMPLATE [[${PROJECT_SOURCE_DIR}/data/vizovi-vevo-screen-capture.desktop.in]])
set(VV_SCREEN_CAPTURE_STAGED [[${PROJECT_BINARY_DIR}/install/vizovi-vevo-screen-capture.desktop]])
set(VV_INSTALL_BINDIR [[${CMAKE_INSTALL_BINDIR}]])
set(VV_INSTALL_APPLICATIONSDIR [[${CMAKE_INSTALL_DATADIR}/applications]])")
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/InstallScreenCaptureEntry.cmake)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/vizovi-vevo.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The manual pages carry the project's version in their footer.
foreach(page vizovi-vevo phone-scan vizovi-vevo-dial)
  configure_file(${PROJECT_SOURCE_DIR}/data/man/${page}.1.in ${PROJECT_BINARY_DIR}/man/${page}.1
                 @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

set(VV_PACKAGE_MAINTAINER "Vizovi Vevo maintainers <vizovi-vevo@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vizovi-vevo)
set(CPACK_PACKAGE_VENDOR Halvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pick a phone number on the screen")
# CPack indents each line of the long description for the control file.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "A short-lived picker, started from a keyboard shortcut, that snapshots the monitor\n"
       "under the pointer, recognises its text on this computer, finds the phone numbers and\n"
       "shows them in a full-screen picker. The picked number is written as a JSON status\n"
       "line for a companion application, and vizovi-vevo-dial opens it as a tel: URI.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VV_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries' packages come from dpkg-shlibdeps; the recogniser's English model is
# data the binaries cannot declare, and so is Qt's Wayland platform plugin, loaded at run time in a
# Wayland session.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "tesseract-ocr-eng, qt6-wayland")
# The dial helper opens the number with xdg-open; without a tel: handler it hands the number to
# the clipboard (xclip on X11, wl-copy on Wayland) and says so through notify-send. The program
# itself needs none of them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, xclip | wl-clipboard, libnotify-bin")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
