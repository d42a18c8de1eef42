#!/usr/bin/env bash
# Drives the real window, as a user's scripts do, through remote control: a series of members
# large enough to load in the background on several threads, reloads and steps through it (what
# the Timeline's slider does), view changes painted by the frame renderer's threads, a pick, hiding
# and showing a type, and a PNG export painted in shares and encoded on a thread. Used under
# ThreadSanitizer: any report the window makes fails the run, and so does a request refused.
# Usage: tests/sanitize/run-window.sh VEDRA_PROGRAM
set -euo pipefail
vedra=$(realpath "$1")
work=$(mktemp -d)
# Whatever ended the run, the window goes, and what the sanitizer reported is shown.
finish() {
    kill "$window" 2>/dev/null || true
    if compgen -G "$work/report*" >/dev/null; then
        cat "$work"/report* >&2
        rm -rf "$work"
        exit 1
    fi
    rm -rf "$work"
}
window=0
trap finish EXIT
chmod 700 "$work"

# Each member holds more than the 8 MiB from which a load runs in the background.
for member in 1 2 3; do
    awk -v m="$member" 'BEGIN {
        print "property rect w double 0"; print "endheader"
        for (i = 0; i < 300000; i++)
            printf "rect %d %d %d %d %d w %d\n", i % 1000, int(i / 1000) + m, i % 1000 + 2,
                int(i / 1000) + m + 1, 1 + i % 16, i % 9
    }' >"$work/run.$member.las"
done

export VEDRA_SOCKET="$work/vedra.sock" QT_QPA_PLATFORM=offscreen
export TSAN_OPTIONS="${TSAN_OPTIONS:-}:log_path=$work/report"
"$vedra" --listen --fit "$work/run.1.las" >"$work/window.log" 2>&1 &
window=$!

remote() { "$vedra" --remote "$@" >/dev/null; }
for _ in $(seq 600); do
    remote status 2>/dev/null && break
    kill -0 "$window" || { cat "$work/window.log" >&2; exit 1; }
    sleep 0.1
done
for request in reload next next previous "goto 500 150 2" fit "pick rect:w>6" "hide rect" \
    "show rect" "export $work/picture.png" "open $work/run.3.las" reload previous \
    "goto 100 100 0.5" fit status; do
    # shellcheck disable=SC2086
    remote $request
done
test -s "$work/picture.png"
kill "$window"
wait "$window" || true
compgen -G "$work/report*" >/dev/null || echo "the window took every request without a report"
