#!/usr/bin/env bash
# The Windows half, proven on Windows' own terms: cross-compiles the whole project with
# MinGW-w64 into build-mingw/ (the console too when Qt for Windows is at hand, see
# qt-windows.sh; else the platform layer, the emulated device as SAT_x64.DLL and the
# Win32 tests), then runs its tests under Wine with no display. Called by test.sh;
# runs alone too. Extra arguments go to ctest.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# The zip's test unpacks it; it and the tour draw on a virtual X display.
WINDOWS_PACKAGES=(mingw-w64 wine64 unzip xvfb xauth xdotool)
mkdir -p "$PROJECT_DIR/build-mingw"

# Only a machine that cannot install them skips these tests, and says so in one line.
if ! (ensure_packages "${WINDOWS_PACKAGES[@]}") 2>&1 | tee "$PROJECT_DIR/build-mingw/packages.log"; then
    echo "Windows tests skipped: cannot install ${WINDOWS_PACKAGES[*]} (see $PROJECT_DIR/build-mingw/packages.log)"
    exit 0
fi
# The installer's makensis: where it cannot be installed, only the installer and its
# test are left out (CMake finds no makensis and says so).
INSTALLER_PACKAGES=(nsis)
if ! (ensure_packages "${INSTALLER_PACKAGES[@]}") >>"$PROJECT_DIR/build-mingw/packages.log" 2>&1; then
    echo "Windows installer and its test skipped: cannot install ${INSTALLER_PACKAGES[*]} (see $PROJECT_DIR/build-mingw/packages.log)"
fi

# Console programs need no display (none is used even where there is one); the .NET
# and HTML engines Wine would offer to download are switched off.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

CTEST_ARGS=("$@")

# The 64-bit tree: with Qt for Windows the whole console, else only its Qt-free half.
QT_OPTIONS=(-DSATCONSOLE_BUILD_CONSOLE=OFF)
if "$PROJECT_DIR/scripts/qt-windows.sh" --check; then
    qt=$("$PROJECT_DIR/scripts/qt-windows.sh" "$PROJECT_DIR/build-mingw" | tail -n 1)
    QT_OPTIONS=(-DSATCONSOLE_BUILD_CONSOLE=ON -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
else
    echo "Windows console skipped: no Qt for Windows (../shared/qt-mingw/ or the cache); scripts/qt-windows.sh builds it (about an hour)"
fi
# The 32-bit helper and device, when the 32-bit tree was built (test-windows32.sh):
# the console takes sat-host32.exe beside itself and consults a 32-bit DLL through it.
HOSPEDEIRO32_OPTIONS=()
if [ -f "$PROJECT_DIR/build-mingw32/bin/sat-host32.exe" ] && [ -x /usr/lib/wine/wine ]; then
    HOSPEDEIRO32_OPTIONS=(-DSATCONSOLE_HOSPEDEIRO32_DIR="$PROJECT_DIR/build-mingw32/bin")
else
    echo "The 32-bit helper is not beside the Windows console: build-mingw32/ (scripts/test-windows32.sh) or wine32 is missing"
fi
windows_build "$PROJECT_DIR/build-mingw" /usr/lib/wine/wine64 "$PROJECT_DIR/cmake/mingw-w64-x86_64.cmake" \
    "${QT_OPTIONS[@]}" "${HOSPEDEIRO32_OPTIONS[@]}"
