#!/usr/bin/env bash
# Decoding speed of the built-in engine against madplay (raw libmad) and mpg123, on a 5-minute
# 128 kbit/s MP3, in one run; then the CPU share of real-time playback and the allocations made
# while decoding. Usage: bench/decode-bench.sh [BUILD_DIR]   (default: build)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
cli=$build/bin/sonvale-cli
[ -x "$cli" ] || { echo "build first: $cli is missing" >&2; exit 1; }
for tool in madplay mpg123 lame sox; do
    command -v $tool >/dev/null || { echo "needs $tool: sudo apt-get install madplay mpg123 lame sox" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "Making the test files..."
# Dense material (noise under a chord), so that every subband of every frame carries data, as in
# loud popular music; decoders skip work on quiet frames.
sox -n -r 44100 -c 2 "$work/music.wav" synth 300 pinknoise synth 300 sine mix 220 \
    synth 300 sine mix 277 tremolo 2 30 gain -8 2>/dev/null
lame --quiet -b 128 "$work/music.wav" "$work/music.mp3"
sox "$work/music.wav" "$work/short.wav" trim 0 60
lame --quiet -b 128 "$work/short.wav" "$work/short.mp3"

# Best of three wall-clock times of a command, in seconds.
best() {
    local best=""
    for _ in 1 2 3; do
        local start end t
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s.%N)
        t=$(echo "$end - $start" | bc -l)
        if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
    done
    echo "$best"
}

effects=(--eq 20,25,28,31,31,31,33,36,38,40 --preamp 28 --surround 50 --chorus 30 --bass 10
         --echo 120,30 --reverb 80,25)
t_madplay=$(best madplay -Q -o "raw:$work/madplay.raw" "$work/music.mp3")
t_mpg123=$(best mpg123 -q -t "$work/music.mp3")
t_plain=$(best "$cli" decode "$work/music.mp3" -o "$work/plain.wav")
t_effects=$(best "$cli" decode "$work/music.mp3" -o "$work/effects.wav" "${effects[@]}")

printf '\n%-40s %8s %8s\n' "5 min 128 kbit/s MP3, best of 3" "seconds" "ratio"
printf '%-40s %8.3f %8s\n' "madplay -o raw (libmad)" "$t_madplay" "1.00"
printf '%-40s %8.3f %8.2f\n' "mpg123 -t" "$t_mpg123" "$(echo "$t_mpg123 / $t_madplay" | bc -l)"
printf '%-40s %8.3f %8.2f\n' "sonvale-cli decode, effects off" "$t_plain" "$(echo "$t_plain / $t_madplay" | bc -l)"
printf '%-40s %8.3f %8.2f\n' "sonvale-cli decode, equalizer + 5 effects" "$t_effects" "$(echo "$t_effects / $t_madplay" | bc -l)"

echo
echo "Real-time playback on the null device for 20 s (CPU share of one core):"
/usr/bin/time -f "  %U s user + %S s system in %e s = %P" \
    env SONVALE_AUDIO=null timeout 20 "$cli" play "$work/music.mp3" "${effects[@]}" >/dev/null || true

echo
echo "Allocations while decoding (the same count for 1 and 5 minutes means none per block):"
gcc -shared -fPIC -O2 -o "$work/alloc-count.so" "$top/bench/alloc-count.c" -ldl
for f in short music; do
    printf '  %-8s ' "$f"
    LD_PRELOAD=$work/alloc-count.so "$cli" decode "$work/$f.mp3" -o "$work/$f-out.wav" "${effects[@]}" 2>&1 >/dev/null | grep allocations
done
