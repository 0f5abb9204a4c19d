# Cross-compiling for 32-bit Windows with Debian's MinGW-w64 (package mingw-w64): the
# 32-bit library helper, the emulated device as 32-bit DLLs and their tests.
#   cmake -S . -B build-mingw32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DSATCONSOLE_BUILD_CONSOLE=OFF
# Its tests run under Debian's wine (from wine32:i386), which runs 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_TRIPLET i686-w64-mingw32)
set(MINGW_WINE wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
