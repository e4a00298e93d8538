# 32-bit Windows programs (the ones a technician copies): a 32-bit program
# runs on 32- and 64-bit Windows and sees the 32-bit ODBC drivers, among them
# the Access driver that comes with Windows.
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake ...
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ORVEL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
