#!/usr/bin/env bash
# Follows the README's first tour on the emulated device and photographs every step
# into docs/: builds the console and the tour program (tools/tour.cpp) into build/,
# runs the tour under a virtual X display, and reduces each picture's colours so that
# it stays small. The tour stops, and this script fails, at the first step whose
# outcome is not the one the README describes.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" "${SCREENSHOT_PACKAGES[@]}"
BUILD_DIR="$PROJECT_DIR/build"
cmake -S "$PROJECT_DIR" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
cmake --build "$BUILD_DIR" --parallel "$(nproc)" --target tour ativacao-sat sat-host satemu

FOTOS="$(mktemp -d)"
trap 'rm -rf "$FOTOS"' EXIT
xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb "$BUILD_DIR/bin/tour" "$FOTOS"

# Window pictures hold few colours: 64 keep the text and the device's picture clean.
LIMITE=$((60 * 1024))
mkdir -p "$PROJECT_DIR/docs"
for foto in "$FOTOS"/*.png; do
    destino="$PROJECT_DIR/docs/$(basename "$foto")"
    convert "$foto" -strip -colors 64 "PNG8:$destino"
    tamanho=$(stat -c %s "$destino")
    if [ "$tamanho" -ge "$LIMITE" ]; then
        echo "$destino is $tamanho bytes, over $LIMITE" >&2
        exit 1
    fi
    echo "$destino ($tamanho bytes)"
done
