#!/usr/bin/env bash
# CI's fuzzing: builds every fuzzer of fuzz/ and runs each from its committed seeds, in
# a scratch corpus, for a bounded number of executions (FUZZ_RUNS, 20000 by default)
# and never longer than FUZZ_SECONDS (120 by default), so that a slow machine cannot
# stretch CI. Any crash, sanitizer report or broken property fails the script, and the
# input that did it is printed so it can be added to fuzz/corpus/TARGET.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
BUILD_DIR="$PROJECT_DIR/build-fuzz"
build_fuzzers "$BUILD_DIR" fuzzers

RUNS="${FUZZ_RUNS:-20000}"
SCRATCH="$(mktemp -d)"
trap 'rm -rf "$SCRATCH"' EXIT
# Short allocation stacks and a smaller quarantine, as fuzz.sh says why.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=64:malloc_context_size=3}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"

failed=()
for fuzzer in "$BUILD_DIR"/bin/fuzz_*; do
    target="${fuzzer##*/fuzz_}"
    seeds="$PROJECT_DIR/fuzz/corpus/$target"
    mkdir -p "$SCRATCH/$target/corpus" "$SCRATCH/$target/artifacts"
    options=(-runs="$RUNS" -max_total_time="${FUZZ_SECONDS:-120}" -timeout=10 -seed=1 -artifact_prefix="$SCRATCH/$target/artifacts/")
    [ -f "$PROJECT_DIR/fuzz/$target.dict" ] && options+=(-dict="$PROJECT_DIR/fuzz/$target.dict")
    [ -f "$PROJECT_DIR/fuzz/$target.options" ] && mapfile -t -O "${#options[@]}" options < "$PROJECT_DIR/fuzz/$target.options"
    start=$SECONDS
    if nice "$fuzzer" "${options[@]}" "$SCRATCH/$target/corpus" "$seeds" >"$SCRATCH/$target/log" 2>&1; then
        echo "fuzz $target: $(grep -o 'DONE.*' "$SCRATCH/$target/log" | head -1 | tr -s ' ') ($((SECONDS - start)) s)"
    else
        echo "fuzz $target: FAILED"
        tail -n 60 "$SCRATCH/$target/log"
        for artifact in "$SCRATCH/$target/artifacts"/*; do
            [ -f "$artifact" ] && echo "input ($(basename "$artifact")), base64: $(base64 -w0 "$artifact")"
        done
        failed+=("$target")
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found problems in: ${failed[*]}"
    exit 1
fi
echo "fuzzing: every target ran $RUNS executions without a finding"
