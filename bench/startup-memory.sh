#!/usr/bin/env bash
# Start-up and memory: the player (sonvale) under Xvfb opening a 128 kbit/s MP3, and starting
# with a saved 9,999-entry playlist (of distinct paths: hard links of that MP3): time from the
# start of the process to its first sound (the first sample not 0 that the `wav:` output writes:
# a track's first samples may be silent), resident memory after a few seconds of playing, and CPU
# while playing. Then the same (first sound through PulseAudio's null sink, when pactl finds a
# server) for any of Audacious, Qmmp and DeaDBeeF installed here, side by side in one run.
# Usage: bench/startup-memory.sh [BUILD_DIR]   (RUNS=N starts each case N times; default 5)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
runs=${RUNS:-5}
player=$build/bin/sonvale
[ -x "$player" ] || { echo "build first: $player is missing" >&2; exit 1; }
for tool in Xvfb lame sox python3 bc; do
    command -v $tool >/dev/null || { echo "needs $tool: sudo apt-get install xvfb lame sox bc" >&2; exit 1; }
done
tick=$(getconf CLK_TCK)
work=$(mktemp -d)
xvfb="" pid=""
cleanup() {
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
    [ -n "$xvfb" ] && kill -TERM "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

sox -n -r 44100 -c 2 "$work/music.wav" synth 60 pinknoise synth 60 sine mix 220 gain -8 2>/dev/null
lame --quiet -b 128 "$work/music.wav" "$work/music.mp3"
rm "$work/music.wav"
# The list keeps one entry per path, so the 9,999 entries are as many names of the one file.
mkdir "$work/tracks"
for i in $(seq -w 9999); do ln "$work/music.mp3" "$work/tracks/track-$i.mp3"; done

exec 3>"$work/display"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 >"$work/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$work/display")

ticks() { local s; s=$(cat "/proc/$1/stat" 2>/dev/null) || { echo 0; return; }; s=${s##*) }; set -- $s; echo $((${12} + ${13})); }
rss_mib() { awk '$1 == "VmRSS:" {printf "%.1f", $2 / 1024}' "/proc/$1/status"; }

# start_and_wait WAV COMMAND...: starts the command and waits until WAV holds sample data; the
# process is left in $pid and the milliseconds from the start in $ms.
start_and_wait() {
    local wav=$1; shift
    python3 - "$wav" "$@" <<'PY' >"$work/started"
import os, subprocess, sys, time
wav, command = sys.argv[1], sys.argv[2:]
start = time.monotonic()
process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
ms = -1
seen = 44  # a track may start with silence: the first sample not 0 counts
while time.monotonic() - start < 20 and ms < 0:
    try:
        with open(wav, "rb") as f:
            f.seek(seen)
            data = f.read()
        if any(data[: len(data) & ~1]):
            ms = (time.monotonic() - start) * 1000
        seen += len(data) & ~1
    except OSError:
        pass
    time.sleep(0.001)
print(process.pid, int(ms))
PY
    read -r pid ms <"$work/started"
}

# measure_sonvale LABEL FIRST [ARGUMENT]: the player's first sound, RSS and CPU (median first
# sound) when started with ARGUMENT (none: it restores the saved playlist), after a first start
# with FIRST (a file, or a folder whose files become the saved playlist).
measure_sonvale() {
    local label=$1 first=$2 times=() rss="" cpu=""
    local arguments=("${@:3}")
    for run in $(seq "$runs"); do
        rm -rf "$work/home" && mkdir -m 700 "$work/home"
        SONVALE_HOME=$work/home XDG_RUNTIME_DIR=$work/home SONVALE_AUDIO="wav:$work/out.wav" \
            DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent \
            "$player" --screenshot "$work/first.png" "$first" >/dev/null 2>&1 || true
        rm -f "$work/out.wav"
        SONVALE_HOME=$work/home XDG_RUNTIME_DIR=$work/home SONVALE_AUDIO="wav:$work/out.wav" \
            DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent start_and_wait "$work/out.wav" "$player" \
            "${arguments[@]}"
        times+=("$ms")
        if [ "$run" = "$runs" ]; then
            sleep 3
            local t0 t1
            t0=$(ticks "$pid"); sleep 5; t1=$(ticks "$pid")
            rss=$(rss_mib "$pid")
            cpu=$(echo "($t1 - $t0) * 100 / $tick / 5" | bc -l)
        fi
        kill -TERM "$pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null || true
        pid=""
    done
    local median
    median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
    printf '%-44s %10s %10s %10.2f   runs: %s\n' "$label" "$median" "$rss" "$cpu" "${times[*]}"
}

printf '\n%-44s %10s %10s %10s\n' "" "first ms" "RSS MiB" "% core"
measure_sonvale "sonvale, one MP3" "$work/music.mp3" "$work/music.mp3"
measure_sonvale "sonvale, saved 9,999-entry playlist" "$work/tracks"

# Peers: RSS and CPU always; first sound only with a PulseAudio server (the null sink).
for peer in audacious qmmp deadbeef; do
    command -v $peer >/dev/null || { printf '%-44s %10s\n' "$peer" "not installed"; continue; }
    first="-"
    start=$(date +%s%N)
    $peer "$work/music.mp3" >/dev/null 2>&1 &
    pid=$!
    if command -v pactl >/dev/null && pactl info >/dev/null 2>&1; then
        for _ in $(seq 2000); do
            pactl list short sink-inputs 2>/dev/null | grep -q . && { first=$((($(date +%s%N) - start) / 1000000)); break; }
            sleep 0.005
        done
    fi
    sleep 3
    t0=$(ticks "$pid"); sleep 5; t1=$(ticks "$pid")
    printf '%-44s %10s %10s %10.2f\n' "$peer, one MP3" "$first" "$(rss_mib "$pid")" \
        "$(echo "($t1 - $t0) * 100 / $tick / 5" | bc -l)"
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=""
done
