# Cross-compiling for 32-bit Windows with Debian's MinGW-w64 (package mingw-w64): the
# 32-bit library helper, the emulated device as 32-bit DLLs and their tests.
#   cmake -S . -B build-mingw32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DSATCONSOLE_BUILD_CONSOLE=OFF
# The "-posix" compilers use the POSIX thread model; the default ("-win32") one has no
# std::mutex, which the emulated device needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs and DLLs that carry their own C++ and thread runtime.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Tests registered with CTest run under Wine; Debian's wine (from wine32:i386) runs
# 32-bit programs and keeps its loader out of PATH.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(SATCONSOLE_WINE32 NAMES wine PATHS /usr/lib/wine NO_CACHE)
    if(SATCONSOLE_WINE32)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${SATCONSOLE_WINE32})
    endif()
endif()
