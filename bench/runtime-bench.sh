#!/usr/bin/env bash
# The run-time library (libfmodce.so) playing a 5-minute 128 kbit/s MP3 as fast as a WAV file
# output takes it, against mpg123 -t decoding the same file, in one run: CPU seconds per minute of
# audio. Then the CPU share of the mixer idling with output off and nothing playing.
# Usage: bench/runtime-bench.sh [BUILD_DIR]   (default: build)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
play=$build/bin/fmodce-play
[ -x "$play" ] || { echo "build first: $play is missing (ninja -C $build fmodce-play)" >&2; exit 1; }
for tool in mpg123 lame sox; do
    command -v $tool >/dev/null || { echo "needs $tool: sudo apt-get install mpg123 lame sox" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "Making the test file..."
# Dense material (noise under a chord), so that every frame carries data, as in loud music.
sox -n -r 44100 -c 2 "$work/music.wav" synth 300 pinknoise synth 300 sine mix 220 \
    synth 300 sine mix 277 tremolo 2 30 gain -8 2>/dev/null
lame --quiet -b 128 "$work/music.wav" "$work/music.mp3"

# Best of three CPU times (user + system) of a command, in seconds.
best_cpu() {
    local best=""
    for _ in 1 2 3; do
        local t
        /usr/bin/time -o "$work/time" -f "%U %S" "$@" >/dev/null 2>&1
        t=$(awk '{print $1 + $2}' "$work/time")
        if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
    done
    echo "$best"
}

t_mpg123=$(best_cpu mpg123 -q -t "$work/music.mp3")
t_mpg123w=$(best_cpu mpg123 -q -w "$work/mpg123.wav" "$work/music.mp3")
t_library=$(best_cpu env SONVALE_AUDIO="wav:$work/out.wav,fast" "$play" "$work/music.mp3")
printf '\n%-48s %12s %8s\n' "5 min 128 kbit/s MP3, best of 3" "CPU s/min" "ratio"
printf '%-48s %12.3f %8s\n' "mpg123 -t (decode only)" "$(echo "$t_mpg123 / 5" | bc -l)" "1.00"
printf '%-48s %12.3f %8.2f\n' "mpg123 -w (decode into a WAV file)" "$(echo "$t_mpg123w / 5" | bc -l)" \
    "$(echo "$t_mpg123w / $t_mpg123" | bc -l)"
printf '%-48s %12.3f %8.2f\n' "libfmodce.so to wav:...,fast" "$(echo "$t_library / 5" | bc -l)" \
    "$(echo "$t_library / $t_mpg123" | bc -l)"

echo
echo "The mixer idling with output off and nothing playing:"
"$play" --idle 20
