# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (package mingw-w64):
#   cmake -S . -B build-mingw -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DSATCONSOLE_BUILD_CONSOLE=OFF
# or, with Qt for Windows (scripts/qt-windows.sh prints its folder) and Debian's Qt host tools:
#   cmake ... -DCMAKE_PREFIX_PATH=QT_FOLDER -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
# Its tests run under Debian's wine64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
set(MINGW_WINE wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
