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

mkdir -p "$PROJECT_DIR/docs"
for foto in "$FOTOS"/*.png; do
    reduce_picture "$foto" "$PROJECT_DIR/docs/$(basename "$foto")"
done
