# Debian packages the build needs; scripts/install-deps installs them.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PLIST REQUIRED IMPORTED_TARGET libplist-2.0)
pkg_check_modules(SQLITE REQUIRED IMPORTED_TARGET sqlite3)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
pkg_check_modules(PANGOCAIRO REQUIRED IMPORTED_TARGET pangocairo)
pkg_check_modules(ICU REQUIRED IMPORTED_TARGET icu-uc icu-i18n)
pkg_check_modules(JPEG REQUIRED IMPORTED_TARGET libjpeg)
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
pkg_check_modules(GMIME REQUIRED IMPORTED_TARGET gmime-3.0)
# Evolution's EVCard reads the vCard files of phones and mail programs (2.1, 3.0, 4.0).
pkg_check_modules(EBOOK REQUIRED IMPORTED_TARGET libebook-contacts-1.2)
# The live simulator's HTTP server and the JSON of its API.
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
find_package(nlohmann_json REQUIRED)
find_package(Threads REQUIRED)
find_package(GTest REQUIRED)
find_package(benchmark REQUIRED)

find_library(PHONENUMBER_LIBRARY phonenumber REQUIRED)
find_path(PHONENUMBER_INCLUDE_DIR phonenumbers/phonenumberutil.h REQUIRED)
add_library(phonenumber::phonenumber UNKNOWN IMPORTED)
set_target_properties(phonenumber::phonenumber PROPERTIES
  IMPORTED_LOCATION ${PHONENUMBER_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${PHONENUMBER_INCLUDE_DIR})

find_path(CLI11_INCLUDE_DIR CLI/CLI.hpp REQUIRED)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${CLI11_INCLUDE_DIR})
