#!/usr/bin/env bash
# Puts Qt 6.4.2 for 64-bit Windows (MinGW-w64) in place for the cross-build and prints
# its folder (the CMAKE_PREFIX_PATH) on the last line:
#   scripts/qt-windows.sh [DEST]   (DEST defaults to build-mingw/)
# The packed build comes from ../shared/qt-mingw/ beside the project folder, or from
# the cache ($SATCONSOLE_CACHE, else ~/.cache/ativacao-sat) where an earlier run left
# one. With neither, Qt is built here from Debian's own source package qt6-base with
# the recipe below (the same as ../shared/qt-mingw/build.sh) and the result is kept in
# the cache. With --check it only says whether a packed build is at hand (exit 0) or
# not (exit 1), and builds nothing.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

QT_VERSION=6.4.2
QT_DEBIAN_VERSION=6.4.2+dfsg-10
QT_NAME=qt-$QT_VERSION-mingw64
SHARED_TARBALL="$PROJECT_DIR/../shared/qt-mingw/$QT_NAME.tar.xz"
CACHE_DIR="${SATCONSOLE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/ativacao-sat}"
CACHE_TARBALL="$CACHE_DIR/$QT_NAME.tar.xz"

packed_qt() {
    local t
    for t in "$SHARED_TARBALL" "$CACHE_TARBALL"; do
        if [ -f "$t" ]; then
            echo "$t"
            return 0
        fi
    done
    return 1
}

if [ "${1:-}" = "--check" ]; then
    packed_qt >/dev/null
    exit
fi

# build_qt TARBALL: cross-compiles qtbase (Core, Gui, Widgets, Test; the windows,
# offscreen and minimal platform plugins; the windowsvista style) and packs the
# installed tree as TARBALL. Needs root on Debian 12 (it installs packages and adds
# the Debian source entry apt-get source needs).
build_qt() {
    local out="$1" work prefix
    ensure_packages mingw-w64 qt6-base-dev qt6-base-dev-tools cmake ninja-build xz-utils dpkg-dev
    work=$(mktemp -d /tmp/qt-mingw-XXXX)
    # Debian's source entries are not enabled by default: add them beside the binary
    # ones, from the same archive this machine already uses.
    if ! apt-cache showsrc qt6-base 2>/dev/null | grep -q "^Version: $QT_VERSION"; then
        local src=/etc/apt/sources.list.d/debian.sources
        if [ -f "$src" ]; then
            sed -n '/^Types: deb$/,/^$/p' "$src" | sed 's/^Types: deb$/Types: deb-src/' \
                >/etc/apt/sources.list.d/debian-src.sources
        else
            grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' >/etc/apt/sources.list.d/debian-src.list
        fi
        apt-get update -qq
    fi
    (cd "$work" && apt-get source --download-only "qt6-base=$QT_DEBIAN_VERSION" >/dev/null)
    tar -C "$work" -xJf "$work/qt6-base_${QT_VERSION}+dfsg.orig.tar.xz"
    cat >"$work/toolchain.cmake" <<'TC'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TC
    prefix="$work/$QT_NAME"
    # Debian's source drops the tablet driver's header (src/3rdparty/wintab), so tablet
    # events are off; the console needs no pen tablet. SQL, network, OpenGL, D-Bus and
    # printing are off: the console uses none (with OpenGL off, Qt 6.4.2's Windows
    # platform plugin compiles only with dynamic GL off too).
    cmake -S "$work/qtbase-everywhere-src-$QT_VERSION" -B "$work/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
        -DCMAKE_C_FLAGS="-ffile-prefix-map=$work=/usr/src" -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$work=/usr/src" \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
        -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF \
        -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF -DFEATURE_xml=OFF -DFEATURE_zstd=OFF \
        -DFEATURE_icu=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF \
        -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF \
        -DFEATURE_system_jpeg=OFF -DFEATURE_system_doubleconversion=OFF -DFEATURE_tabletevent=OFF \
        -DFEATURE_dynamicgl=OFF >"$work/configure.log"
    cmake --build "$work/build" --parallel "$(nproc)" >"$work/build.log"
    cmake --install "$work/build" >"$work/install.log"
    x86_64-w64-mingw32-strip --strip-unneeded "$prefix"/bin/*.dll "$prefix"/plugins/*/*.dll
    mkdir -p "$(dirname "$out")"
    tar -C "$work" -cJf "$out.part" "$QT_NAME"
    mv "$out.part" "$out"
    rm -rf "$work"
}

DEST="${1:-$PROJECT_DIR/build-mingw}"
mkdir -p "$DEST"
if ! tarball=$(packed_qt); then
    echo "Building Qt $QT_VERSION for Windows from Debian's source into $CACHE_DIR (about an hour on 2 cores)"
    build_qt "$CACHE_TARBALL"
    tarball="$CACHE_TARBALL"
fi
# Unpacked once per tree; again only when the packed build changes.
stamp="$DEST/$QT_NAME.from"
if [ ! -f "$DEST/$QT_NAME/lib/cmake/Qt6/Qt6Config.cmake" ] || [ "$(cat "$stamp" 2>/dev/null)" != "$tarball" ] ||
    [ "$tarball" -nt "$stamp" ]; then
    rm -rf "${DEST:?}/$QT_NAME"
    tar -C "$DEST" -xJf "$tarball"
    echo "$tarball" >"$stamp"
fi
echo "$DEST/$QT_NAME"
