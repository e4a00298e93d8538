# Cross-builds for Windows with mingw-w64 on Debian, for the processor named
# by the toolchain file that includes this one (mingw-w64-i686.cmake,
# mingw-w64-x86_64.cmake).
#
# The posix-thread variant of the compiler is named explicitly: the win32
# variant lacks std::thread, std::mutex and std::future, and when both are
# installed the unsuffixed <triple>-g++ is the win32 one.  Programs built
# here run under wine, so ctest can run them as they are.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ORVEL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVEL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ORVEL_MINGW_TRIPLE}-windres)

# Libraries and headers of the target only; programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ORVEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
