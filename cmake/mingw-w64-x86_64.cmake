# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (package mingw-w64):
#   cmake -S . -B build-mingw -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DSATCONSOLE_BUILD_CONSOLE=OFF
# or, with Qt for Windows (scripts/qt-windows.sh prints its folder) and Debian's Qt host tools:
#   cmake ... -DCMAKE_PREFIX_PATH=QT_FOLDER -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
# The "-posix" compilers use the POSIX thread model; the default ("-win32") one has no
# std::mutex, which the emulated device needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
# A Qt for Windows given as CMAKE_PREFIX_PATH (scripts/qt-windows.sh) is a root of its
# own: packages, libraries and headers are then found in it too.
foreach(prefixo IN LISTS CMAKE_PREFIX_PATH)
    list(APPEND CMAKE_FIND_ROOT_PATH ${prefixo})
endforeach()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs and DLLs that carry their own C++ and thread runtime, so that they run on a
# bare Windows (or Wine) without MinGW's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Tests registered with CTest run under Wine when it is there (Debian's wine64 keeps
# its loader out of PATH).
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(SATCONSOLE_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CACHE)
    if(SATCONSOLE_WINE64)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${SATCONSOLE_WINE64})
    endif()
endif()
