#!/usr/bin/env bash
# Installs what is missing, builds the console and starts it with the emulated
# SAT device from the executable's own directory.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
BUILD_DIR="$PROJECT_DIR/build"
configure_and_build "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF

BIN_DIR="$BUILD_DIR/bin"
if [ ! -e "$BIN_DIR/SAT_x64.DLL" ] && [ ! -e "$BIN_DIR/SAT.DLL" ]; then
    echo "No SAT library is staged in $BIN_DIR (SAT_x64.DLL or SAT.DLL); the console will say so and end."
fi
# Where the emulated device keeps what it remembers, and how to start it afresh.
case "$(readlink -f "$BIN_DIR/SAT_x64.DLL" 2>/dev/null)" in
*/libsatemu.so*)
    echo "Emulated SAT device: its state is in ${SATEMU_HOME:-$BIN_DIR}/satemu-state.txt;" \
        "delete that file to reset it to factory (SATEMU_HOME picks another folder)." ;;
esac
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display: set DISPLAY (or run under xvfb-run) to see the console."
    exit 1
fi
# From its own directory, so that Parametros.xml and ConfRede.xml are the same
# files for the start-up check and for the parameter store.
cd "$BIN_DIR"
exec ./ativacao-sat
