#!/usr/bin/env bash
# The 32-bit Windows half: cross-compiles with MinGW-w64's i686 compiler the 32-bit
# library helper (sat-host32.exe), the emulated device as 32-bit DLLs in the three
# forms makers ship (cdecl; stdcall decorated; stdcall plain) and their tests into
# build-mingw32/, then runs them under Wine's 32-bit side (Debian's wine32:i386).
# Called by test.sh; runs alone too. Extra arguments go to ctest.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

WINDOWS32_PACKAGES=(mingw-w64 wine32:i386)
BUILD_DIR="$PROJECT_DIR/build-mingw32"
mkdir -p "$BUILD_DIR"

# wine32 is an i386 package: the architecture is added first (root only).
instalar() {
    if ! { dpkg --print-architecture; dpkg --print-foreign-architectures; } | grep -qx i386; then
        if [ "$(id -u)" -ne 0 ]; then
            echo "Missing the i386 architecture. Add it with:"
            echo "  sudo dpkg --add-architecture i386 && sudo apt-get update"
            exit 1
        fi
        dpkg --add-architecture i386
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
    fi
    ensure_packages "${WINDOWS32_PACKAGES[@]}"
}
# Only a machine that cannot install them skips these tests, and says so in one line.
if ! (instalar) >"$BUILD_DIR/packages.log" 2>&1; then
    echo "32-bit Windows tests skipped: cannot install ${WINDOWS32_PACKAGES[*]} (see $BUILD_DIR/packages.log)"
    exit 0
fi

# No display for these tests: one Wine profile of this tree's own, with no .NET or HTML
# engine.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
WINDOWS_PROFILES=(wineprefix)
CTEST_ARGS=("$@")
windows_build "$BUILD_DIR" /usr/lib/wine/wine "$PROJECT_DIR/cmake/mingw-w64-i686.cmake" -DSATCONSOLE_BUILD_CONSOLE=OFF
