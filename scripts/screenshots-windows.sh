#!/usr/bin/env bash
# The first tour on Windows: builds the console's MinGW tree in build-mingw/ (Qt for
# Windows from qt-windows.sh), runs the tour program under Wine on a virtual X display
# against satemu's DLL through sat-host.exe (tools/tour-windows.sh, which stops at the
# first step whose outcome is not the README's), and keeps the first page, the
# activation and the log page as docs/windows-*.png; then the installer's pages and the
# console it installed (tests/packaging/tst_instalador_windows.sh, which also runs every
# check of the installer's test) as docs/windows-instalador-*.png.
#   screenshots-windows.sh [instalador]   (instalador: only the installer's pictures)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages mingw-w64 wine64 "${SCREENSHOT_PACKAGES[@]}"
BUILD_DIR="$PROJECT_DIR/build-mingw"
qt=$("$PROJECT_DIR/scripts/qt-windows.sh" "$BUILD_DIR" | tail -n 1)
configure_and_build "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE="$PROJECT_DIR/cmake/mingw-w64-x86_64.cmake" \
    "${WINDOWS_BUILD_OPTIONS[@]}" -DSATCONSOLE_BUILD_CONSOLE=ON -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake

FOTOS="$(mktemp -d)"
trap 'rm -rf "$FOTOS"' EXIT
mkdir -p "$PROJECT_DIR/docs"
if [ "${1:-}" != "instalador" ]; then
    export WINEPREFIX="$BUILD_DIR/wineprefix-tela" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    "$PROJECT_DIR/tools/tour-windows.sh" "$BUILD_DIR" "$FOTOS" /usr/lib/wine/wine64
    for foto in 01-consulta 02-ativacao 08-logs; do
        reduce_picture "$FOTOS/$foto.png" "$PROJECT_DIR/docs/windows-$foto.png"
    done
fi

# The installer needs makensis, and its test a profile of its own (it makes one).
ensure_packages nsis
versao=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD_DIR/CMakeCache.txt")
cmake --build "$BUILD_DIR" --target ler_atalho sat_gravador
WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
    "$PROJECT_DIR/tests/packaging/tst_instalador_windows.sh" "$BUILD_DIR" "$versao" /usr/lib/wine/wine64 \
    "$BUILD_DIR/testlibs/ler_atalho.exe" "$BUILD_DIR/testlibs/sat_gravador.dll" "$FOTOS/instalador"
for foto in 1-boas-vindas 2-pasta 3-componentes 4-fim 5-console; do
    reduce_picture "$FOTOS/instalador/instalador-$foto.png" "$PROJECT_DIR/docs/windows-instalador-$foto.png"
done
