#!/usr/bin/env bash
# How far the meter window's frequency bars trail the sound, under a real X server (Xvfb): the
# player plays 1 kHz tone bursts after silence through the "wav:" output (a real-time clock that
# writes what it plays into a file, each piece when its last frame is due) and the delay from each
# burst's first played frame to the first paint of the meter window that shows it is printed.
# The bars take the library's mixed blocks when they are heard (the mixer runs ahead of the
# output by its latency, some 160 ms here), and are drawn every third block ("UpdateInterval" 8).
# Usage: bench/meter-latency.sh [BURSTS] [BUILD_DIR]   (default: 20 bursts, build)
#
# Measured on the 2-core build machine, 20 bursts: mean 25-45 ms, largest 50-60 ms.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bursts=${1:-20}
build=${2:-$top/build}
program=$build/bin/meter-latency
[ -x "$program" ] || { echo "build first: $program is missing (ninja -C $build meter-latency)" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "needs Xvfb: sudo apt-get install xvfb" >&2; exit 1; }

work=$(mktemp -d)
xvfb=""
cleanup() {
    [ -n "$xvfb" ] && kill -TERM "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 >"$work/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1; }

DISPLAY=:$(head -n1 "$work/display") QT_QPA_PLATFORM=xcb "$program" "$bursts" 2>"$work/player.log" ||
    { cat "$work/player.log" >&2; exit 1; }
