# 64-bit Windows programs: an extra build that sees the 64-bit ODBC drivers,
# and the one the wine tests run where wine cannot run 32-bit programs.
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake ...
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORVEL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
