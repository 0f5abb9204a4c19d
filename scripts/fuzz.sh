#!/usr/bin/env bash
# Builds one fuzzer of fuzz/ and runs it:
#   scripts/fuzz.sh TARGET [SECONDS] [libFuzzer options...]
# SECONDS defaults to 60; 0 runs without a time limit (give -runs=N then).
# New inputs go to build-fuzz/corpus/TARGET, the committed seeds in fuzz/corpus/TARGET
# are only read; a crash is written to build-fuzz/artifacts/TARGET/ and the script
# fails. Example: scripts/fuzz.sh resposta 0 -runs=1000000
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [ $# -lt 1 ]; then
    echo "usage: $0 TARGET [SECONDS] [libFuzzer options...]" >&2
    echo "targets: $(ls "$PROJECT_DIR/fuzz/corpus" | tr '\n' ' ')" >&2
    exit 2
fi
TARGET="$1"
SECONDS_LIMIT="${2:-60}"
shift $(($# >= 2 ? 2 : 1))

ensure_packages "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
BUILD_DIR="$PROJECT_DIR/build-fuzz"
build_fuzzers "$BUILD_DIR" "fuzz_$TARGET"

SEEDS="$PROJECT_DIR/fuzz/corpus/$TARGET"
WORK="$BUILD_DIR/corpus/$TARGET"
ARTIFACTS="$BUILD_DIR/artifacts/$TARGET"
mkdir -p "$WORK" "$ARTIFACTS" "$SEEDS"
OPTIONS=(-max_total_time="$SECONDS_LIMIT" -timeout=10 -artifact_prefix="$ARTIFACTS/" -print_final_stats=1)
[ -f "$PROJECT_DIR/fuzz/$TARGET.dict" ] && OPTIONS+=(-dict="$PROJECT_DIR/fuzz/$TARGET.dict")
# fuzz/TARGET.options: libFuzzer options of that target, one a line.
[ -f "$PROJECT_DIR/fuzz/$TARGET.options" ] && mapfile -t -O "${#OPTIONS[@]}" OPTIONS < "$PROJECT_DIR/fuzz/$TARGET.options"

# A smaller quarantine and short allocation stacks: the readers allocate a lot, and
# longer stacks walked through Qt (built without frame pointers) are mostly bogus,
# each one new to ASan's stack store, which then grows and slows every allocation.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=64:malloc_context_size=3}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
nice "$BUILD_DIR/bin/fuzz_$TARGET" "${OPTIONS[@]}" "$@" "$WORK" "$SEEDS"
