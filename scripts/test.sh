#!/usr/bin/env bash
# Installs what is missing, builds a Debug tree with AddressSanitizer and
# UndefinedBehaviorSanitizer, warnings as errors, and runs every test headless, then
# the Windows half under Wine and a bounded run of every fuzzer.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
BUILD_DIR="$PROJECT_DIR/build-test"
configure_and_build "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Debug -DSATCONSOLE_SANITIZE=ON -DSATCONSOLE_WERROR=ON
# The Windows half under Wine (not when picking tests): the 32-bit side first, whose
# helper and 32-bit device the 64-bit console then takes beside itself.
[ $# -gt 0 ] || "$PROJECT_DIR/scripts/test-windows32.sh"
[ $# -gt 0 ] || "$PROJECT_DIR/scripts/test-windows.sh"

export QT_QPA_PLATFORM=offscreen
cd "$BUILD_DIR"
ctest --output-on-failure --parallel "$(nproc)" "$@"
# Every fuzzer for a bounded number of executions (not when picking tests).
[ $# -gt 0 ] || "$PROJECT_DIR/scripts/fuzz-ci.sh"
