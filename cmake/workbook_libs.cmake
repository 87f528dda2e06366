# The libraries of the workbook sheets, as one target: minizip (over zlib)
# zips and unzips them, expat parses them (their XML is written by
# office/sheets itself). Debian's packages on
# Linux; for a cross build, the static ones scripts/cross-libs.sh made from
# Debian's source packages, which its toolchain file finds first.
find_package(ZLIB REQUIRED)
find_package(EXPAT REQUIRED)
find_package(Threads REQUIRED)  # the sheet's deflate runs on a thread of its own
find_path(MINIZIP_INCLUDE_DIR minizip/unzip.h REQUIRED)
find_library(MINIZIP_LIBRARY minizip REQUIRED)
add_library(tallo_workbook_libs INTERFACE)
target_include_directories(tallo_workbook_libs INTERFACE ${MINIZIP_INCLUDE_DIR})
target_link_libraries(tallo_workbook_libs INTERFACE ${MINIZIP_LIBRARY} EXPAT::EXPAT ZLIB::ZLIB
  Threads::Threads)
if(CMAKE_CROSSCOMPILING)
  target_compile_definitions(tallo_workbook_libs INTERFACE XML_STATIC)
endif()
