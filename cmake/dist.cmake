# The release zip (make dist): tallo.exe, filmtool.exe and filmdesk.exe (the
# back office in a window) stripped, the user guide as one HTML file with its
# pictures inside, the licence, and the licences of the libraries the back
# office holds. A 32-bit build makes the
# x86 zip, a 64-bit one the x64 zip.
file(GLOB guide_pictures ${PROJECT_SOURCE_DIR}/docs/*.png)
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/guide.html
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/user-guide.sh ${PROJECT_SOURCE_DIR}/README.md
          ${PROJECT_BINARY_DIR}/guide.html ${PROJECT_VERSION}
  DEPENDS ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/scripts/user-guide.sh
          ${guide_pictures}
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  VERBATIM)
add_custom_target(guide DEPENDS ${PROJECT_BINARY_DIR}/guide.html)

# The zip's programs; scripts/dist.sh checks each of them.
install(TARGETS tallo filmtool filmdesk RUNTIME DESTINATION .)
install(FILES ${PROJECT_BINARY_DIR}/guide.html DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
# The licences of the libraries filmtool.exe and filmdesk.exe hold
# (scripts/cross-libs.sh).
if(TALLO_LIBRARY_LICENSES)
  install(DIRECTORY ${TALLO_LIBRARY_LICENSES}/ DESTINATION licenses)
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tallo)
set(CPACK_PACKAGE_VENDOR "the tallo developers")
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(TALLO_WINDOWS_ARCH x86)
else()
  set(TALLO_WINDOWS_ARCH x64)
endif()
set(CPACK_PACKAGE_FILE_NAME tallo-${PROJECT_VERSION}-windows-${TALLO_WINDOWS_ARCH})
set(CPACK_STRIP_FILES ON)
include(CPack)
