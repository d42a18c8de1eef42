#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in their own build directory and runs each for a short
# while on a copy of its seed corpus (the repository is never written). Any crash, leak, timeout
# or out-of-memory fails the script. Usage: tests/fuzz/run-ci.sh [BUILD_DIR] [SECONDS_PER_TARGET]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build_dir=$(realpath -m "${1:-$source_dir/build-fuzz}")
seconds=${2:-25}
targets="fuzz_loadscript fuzz_config fuzz_query fuzz_indexname"

# The configuration of tests/sanitize/run-ci.sh with clang, so that one build serves both.
cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-g1 \
    -DCMAKE_CXX_COMPILER=clang++ -DVEDRA_FUZZ=ON >/dev/null
# shellcheck disable=SC2086
cmake --build "$build_dir" -j2 --target $targets

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A fresh directory without config.ini: the controller starts from its defaults.
cd "$work"
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$source_dir/tests/fuzz/lsan.supp"
status=0
for target in $targets; do
    corpus="$work/corpus-${target#fuzz_}"
    cp -r "$source_dir/tests/fuzz/corpus/${target#fuzz_}" "$corpus"
    echo "== $target, ${seconds}s"
    if "$build_dir/tests/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=4096 \
        -timeout=10 -artifact_prefix="$work/$target-" "$corpus" >"$work/$target.log" 2>&1; then
        grep -E '^Done [0-9]+ runs' "$work/$target.log" || true
    else
        status=1
        echo "$target found a problem:" >&2
        grep -v -E '^(#[0-9]+|\s+NEW_FUNC|"|This plugin does not support)' "$work/$target.log" |
            tail -n 60 >&2
        for artifact in "$work/$target"-*; do
            [ -e "$artifact" ] || continue
            echo "input ($artifact), base64:" >&2
            base64 "$artifact" | head -c 4096 >&2
            echo >&2
        done
    fi
done
exit $status
