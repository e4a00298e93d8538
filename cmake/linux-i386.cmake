# 32-bit x86 Linux, built with the build machine's multilib compilers: the
# same sources as the native build, where size_t, pointers and ODBC's
# SQLLEN/SQLULEN are 4 bytes, as in the 32-bit Windows programs.  Debian's
# i386 libraries (unixODBC, fmt, GoogleTest) are installed beside the
# build machine's own and found by their architecture folder.  Programs
# built here are started as they are: where the kernel runs no 32-bit code,
# ./test-i386 first registers qemu-i386 for every 32-bit program, so that
# the programs the tests start (the command-line tool, the ODBC drivers it
# loads) run as well as the tests themselves.
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i386.cmake ...
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)

set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig)
