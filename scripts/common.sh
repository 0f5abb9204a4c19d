# Shared by run.sh and test.sh: the Debian packages the project needs, and
# installing those that are missing.
# shellcheck shell=bash

PROJECT_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Build and run: compiler, CMake, Ninja, Qt 6 Widgets (its offscreen platform
# plugin included), a font with Tahoma-like widths for the windows, and OpenSSL's
# libcrypto for the emulated device's ICP-Brasil certificate request.
BUILD_PACKAGES=(g++ cmake ninja-build qt6-base-dev qt6-base-dev-tools libgl-dev fonts-liberation2 libssl-dev)
# Tests only: xmllint to check CF-e documents against the public schemas; a virtual
# X display and a scripted mouse to start the packed portable folder; Prometheus (with
# promtool), node_exporter, curl and jq for the fleet metrics' alert rules and the real
# Prometheus that reads what the command line writes; the openssl tool to read the
# device's certificate requests and sign them as a certificate authority.
TEST_PACKAGES=(libxml2-utils xvfb xauth xdotool prometheus prometheus-node-exporter curl jq openssl)
# The tour's screenshots: the virtual X display and ImageMagick to reduce colours.
SCREENSHOT_PACKAGES=(xvfb xauth imagemagick)
# Fuzzing: clang with libFuzzer and the sanitizer runtimes (fuzz.sh, fuzz-ci.sh).
FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)

# The Windows trees' build (test-windows.sh, screenshots-windows.sh): Debug, with its
# assertions, but without debugging sections, which nothing under Wine reads and which
# made the MinGW tree three times larger and its links slower.
WINDOWS_BUILD_OPTIONS=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG=-O0 -DCMAKE_CXX_FLAGS_DEBUG=-O0
    -DSATCONSOLE_WERROR=ON)

# windows_build BUILD_DIR WINE TOOLCHAIN [cmake options...]: configures and builds one
# Windows tree (test-windows.sh, test-windows32.sh), makes its Wine profiles (wine_profile,
# before the tests, so that no test's timeout pays for it) and runs its tests with the
# arguments in CTEST_ARGS; the profiles' Wine server ends with them. The profiles are
# those WINDOWS_PROFILES names: by default the tests' own with no display at all and
# the one of the tests that draw on a virtual X display (the zip's console, the tour).
windows_build() {
    local dir="$1" wine="$2" toolchain="$3" status=0 profile profiles=("${WINDOWS_PROFILES[@]}")
    shift 3
    [ ${#profiles[@]} -gt 0 ] || profiles=(wineprefix-tela wineprefix)
    configure_and_build "$dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" "${WINDOWS_BUILD_OPTIONS[@]}" "$@"
    for profile in "${profiles[@]}"; do
        wine_profile "$wine" "$dir/$profile" "$dir/$profile.log"
        export WINEPREFIX="$dir/$profile"
    done
    (cd "$dir" && ctest --output-on-failure --parallel "$(nproc)" "${CTEST_ARGS[@]}") || status=$?
    "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
    return "$status"
}

# ensure_packages PKG...: installs what is missing when run as root, otherwise
# prints the exact command to run and stops.
ensure_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Install them with:"
        echo "  sudo apt-get install -y ${missing[*]}"
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# wine_profile WINE PREFIX LOG: makes the Wine profile PREFIX (a few seconds, so that
# no test's timeout pays for it), or makes it again when the Wine packages changed
# since: a profile made before wine32 was installed cannot start 32-bit programs
# ("could not load kernel32.dll"). The list of Wine's packages is kept beside it.
wine_profile() {
    local wine="$1" prefix="$2" log="$3" pacotes
    pacotes=$(dpkg-query -W -f='${Package}:${Architecture} ${Version}\n' 'wine*' 'libwine*' 2>/dev/null | sort)
    if [ -f "$prefix/system.reg" ] && [ "$(cat "$prefix/.pacotes-do-wine" 2>/dev/null)" = "$pacotes" ]; then
        return 0
    fi
    if [ -e "$prefix" ]; then
        echo "Making the Wine profile in $prefix again: Wine's packages changed since it was made"
        rm -rf "$prefix"
    else
        echo "Creating the Wine profile in $prefix"
    fi
    WINEPREFIX="$prefix" "$wine" wineboot --init >"$log" 2>&1
    WINEPREFIX="$prefix" "$(dirname "$wine")/wineserver" -w
    printf '%s\n' "$pacotes" >"$prefix/.pacotes-do-wine"
}

# configure_and_build BUILD_DIR [cmake options...]
configure_and_build() {
    local dir="$1"
    shift
    cmake -S "$PROJECT_DIR" -B "$dir" -G Ninja "$@"
    cmake --build "$dir" --parallel "$(nproc)"
}

# build_fuzzers BUILD_DIR TARGET...: the fuzz tree (clang, SATCONSOLE_FUZZ), with
# only the named targets built ("fuzzers" builds them all).
build_fuzzers() {
    local dir="$1"
    shift
    cmake -S "$PROJECT_DIR" -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DSATCONSOLE_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
    nice cmake --build "$dir" --parallel "$(nproc)" --target "$@"
}

# reduce_picture SOURCE DESTINATION: a window picture with its colours reduced (window
# pictures hold few: 64 keep the text and the device's picture clean), refused when it
# stays at 60 KB or more.
reduce_picture() {
    local limite=$((60 * 1024)) tamanho
    convert "$1" -strip -colors 64 "PNG8:$2"
    tamanho=$(stat -c %s "$2")
    if [ "$tamanho" -ge "$limite" ]; then
        echo "$2 is $tamanho bytes, over $limite" >&2
        return 1
    fi
    echo "$2 ($tamanho bytes)"
}
