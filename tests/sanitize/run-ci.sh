#!/usr/bin/env bash
# Builds Vedra and every test with AddressSanitizer and UndefinedBehaviorSanitizer in their own
# build directory and runs the whole suite. Undefined behaviour aborts the test that hits it.
# Usage: tests/sanitize/run-ci.sh [BUILD_DIR]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build_dir=$(realpath -m "${1:-$source_dir/build-sanitize}")

# -g1: line numbers in the reports at a fraction of the size of full debug information. With
# clang the same build also makes the fuzz targets (VEDRA_FUZZ brings both sanitizers), so that
# tests/fuzz/run-ci.sh given this directory builds nothing more: one sanitizer build for both.
if command -v clang++ >/dev/null; then
    configuration=(-DCMAKE_CXX_COMPILER=clang++ -DVEDRA_FUZZ=ON)
else
    configuration=(-DVEDRA_SANITIZE=ON)
fi
cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-g1 \
    "${configuration[@]}" >/dev/null
cmake --build "$build_dir" -j2

# Leaks are checked, except the process-lifetime allocations of the libraries under Qt.
export LSAN_OPTIONS="suppressions=$source_dir/tests/fuzz/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_stack_use_after_return=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1"
# The ten-million-record test (label "huge") runs in the regular build; under the sanitizers it
# would only repeat the same code paths, ten times slower.
ctest --test-dir "$build_dir" --output-on-failure -j2 -LE huge
