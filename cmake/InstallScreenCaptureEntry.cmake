# Install-time part of Packaging.cmake: writes the screen-capture desktop file with the absolute
# path of the installed program and installs it. Runs inside cmake_install.cmake, after the
# VV_* variables were set there.

set(bindir "${VV_INSTALL_BINDIR}")
if(NOT IS_ABSOLUTE "${bindir}")
  set(bindir "${CMAKE_INSTALL_PREFIX}/${bindir}")
endif()
set(exec "${bindir}/vizovi-vevo")

# A path with characters that the Exec key reserves is quoted: inside the quotes " ` $ and \ take
# a backslash, the desktop file's own string escapes then double every backslash, and a percent
# sign, which would start a field code, is doubled.
if(NOT exec MATCHES "^[A-Za-z0-9_./+,:@=-]+$")
  foreach(reserved "\\" "\"" "`" "$")
    string(REPLACE "${reserved}" "\\${reserved}" exec "${exec}")
  endforeach()
  string(REPLACE "\\" "\\\\" exec "${exec}")
  string(REPLACE "%" "%%" exec "${exec}")
  set(exec "\"${exec}\"")
endif()

set(VV_EXEC "${exec}")
configure_file("${VV_SCREEN_CAPTURE_TEMPLATE}" "${VV_SCREEN_CAPTURE_STAGED}" @ONLY)
file(INSTALL "${VV_SCREEN_CAPTURE_STAGED}"
     DESTINATION "${CMAKE_INSTALL_PREFIX}/${VV_INSTALL_APPLICATIONSDIR}")
