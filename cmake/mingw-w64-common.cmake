# What both MinGW-w64 toolchain files share (mingw-w64-x86_64.cmake, mingw-w64-i686.cmake):
# each sets CMAKE_SYSTEM_PROCESSOR, MINGW_TRIPLET and MINGW_WINE (the Wine loader that runs
# its programs) and includes this file.
# The "-posix" compilers use the POSIX thread model; the default ("-win32") one has no
# std::mutex, which the emulated device needs.
set(CMAKE_SYSTEM_NAME Windows)

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

# Tests registered with CTest run under Wine when it is there (Debian keeps its loaders
# out of PATH).
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(SATCONSOLE_WINE NAMES ${MINGW_WINE} PATHS /usr/lib/wine NO_CACHE)
    if(SATCONSOLE_WINE)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${SATCONSOLE_WINE})
    endif()
endif()
