#!/usr/bin/env bash
# Installs what is missing, builds a Debug tree with AddressSanitizer and
# UndefinedBehaviorSanitizer, warnings as errors, and runs every test headless.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
BUILD_DIR="$PROJECT_DIR/build-test"
configure_and_build "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Debug -DSATCONSOLE_SANITIZE=ON -DSATCONSOLE_WERROR=ON
[ $# -gt 0 ] || "$PROJECT_DIR/scripts/fuzz-ci.sh" # the whole run fuzzes too; a chosen test does not

export QT_QPA_PLATFORM=offscreen
cd "$BUILD_DIR"
ctest --output-on-failure --parallel "$(nproc)" "$@"
