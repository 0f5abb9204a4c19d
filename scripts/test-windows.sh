#!/usr/bin/env bash
# The Windows half, proven on Windows' own terms: cross-compiles with MinGW-w64 the
# Win32 platform layer, the emulated device as SAT_x64.DLL (with its version
# resource) and the Win32 tests into build-mingw/, then runs them under Wine.
# Called by test.sh; runs alone too. Extra arguments go to ctest.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

WINDOWS_PACKAGES=(mingw-w64 wine64)
BUILD_DIR="$PROJECT_DIR/build-mingw"
mkdir -p "$BUILD_DIR"

# Only a machine that cannot install them skips these tests, and says so in one line.
if ! (ensure_packages "${WINDOWS_PACKAGES[@]}") 2>&1 | tee "$BUILD_DIR/packages.log"; then
    echo "Windows tests skipped: cannot install ${WINDOWS_PACKAGES[*]} (see $BUILD_DIR/packages.log)"
    exit 0
fi

configure_and_build "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE="$PROJECT_DIR/cmake/mingw-w64-x86_64.cmake" \
    -DSATCONSOLE_BUILD_CONSOLE=OFF -DCMAKE_BUILD_TYPE=Debug -DSATCONSOLE_WERROR=ON

# A Wine profile of this tree's own, made once (a few seconds) before the tests run,
# so that no test's timeout pays for it. Console programs need no display (none is
# used even where there is one); the .NET and HTML engines Wine would offer to
# download are switched off.
export WINEPREFIX="$BUILD_DIR/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
WINE=/usr/lib/wine/wine64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine profile in $WINEPREFIX"
    "$WINE" wineboot --init >"$BUILD_DIR/wineboot.log" 2>&1
fi

cd "$BUILD_DIR"
status=0
ctest --output-on-failure "$@" || status=$?
# This profile's Wine server, started by these tests, ends with them.
/usr/lib/wine/wineserver -k 2>/dev/null || true
exit "$status"
