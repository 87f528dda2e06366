# Cross-build the core, the tools and the unit tests for 32-bit ARM (the
# handheld's processor; hard-float EABI) with Debian's cross compiler. The
# binaries run through qemu-arm: ctest and the tests start them that way,
# so no binfmt_misc registration is needed. Their C library (loader, iconv
# code-page modules) is Debian's armhf one under /usr/lib/arm-linux-gnueabihf.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(TOOLCHAIN_PREFIX arm-linux-gnueabihf)
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(TALLO_QEMU_ARM qemu-arm REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TALLO_QEMU_ARM})

# The notes that GCC 7.1 changed how some arguments are passed concern
# mixing objects built by old and new compilers; everything here is built
# by the one compiler.
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")
