#!/usr/bin/env bash
# Builds the tests that drive Vedra's threads with ThreadSanitizer in their own build directory and
# runs them: the canvas paints large scenes on threads of its own, a load reads a file's records
# and indexes their boxes on several, the follower lists the folder and the Timeline counts
# changes on one. (The export tests start the program as a child process, which ThreadSanitizer
# does not allow once threads run.) Then the window itself, built the same way, is driven through a
# short script (run-window.sh). A reported race fails the run.
# Usage: tests/sanitize/run-tsan.sh [BUILD_DIR]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build_dir=$(realpath -m "${1:-$source_dir/build-tsan}")
tests="tst_pancache tst_scenepainter tst_qwgtdisplay tst_culling tst_filecommands tst_objectarena
    tst_fileloader tst_filefollower tst_timelinedock tst_loadinblocks tst_boundsindex"

cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-g1 \
    -DVEDRA_TSAN=ON >/dev/null
# shellcheck disable=SC2086
cmake --build "$build_dir" -j2 --target $tests vedra

export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$source_dir/tests/sanitize/tsan.supp"
ctest --test-dir "$build_dir" --output-on-failure -j2 -R "^($(echo $tests | tr ' ' '|'))\$"
"$source_dir/tests/sanitize/run-window.sh" "$build_dir/vedra"
