set(CMAKE_AUTOMOC ON)

find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets Concurrent DBus Test)
find_package(ICU REQUIRED COMPONENTS uc i18n)
find_package(nlohmann_json 3 REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(TESSERACT REQUIRED IMPORTED_TARGET tesseract lept)
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb xcb-randr xcb-shm xcb-image)
pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET wayland-client)
pkg_check_modules(PIPEWIRE REQUIRED IMPORTED_TARGET libpipewire-0.3)
pkg_check_modules(XLIB REQUIRED IMPORTED_TARGET x11)

# Debian's libphonenumber ships neither a pkg-config file nor a CMake package.
find_library(PHONENUMBER_LIB phonenumber REQUIRED)
find_path(PHONENUMBER_INCLUDE phonenumbers/phonenumbermatcher.h REQUIRED)
# Its numbers are protobuf messages: code that holds one (and clang's vptr check) needs protobuf.
find_library(PROTOBUF_LIB protobuf REQUIRED)
add_library(phonenumber::phonenumber UNKNOWN IMPORTED)
set_target_properties(phonenumber::phonenumber PROPERTIES
  IMPORTED_LOCATION ${PHONENUMBER_LIB}
  INTERFACE_INCLUDE_DIRECTORIES ${PHONENUMBER_INCLUDE}
  INTERFACE_LINK_LIBRARIES ${PROTOBUF_LIB})

if(VV_BUILD_TESTS)
  find_package(GTest REQUIRED)
  find_package(benchmark QUIET)
endif()
