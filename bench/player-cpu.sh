#!/usr/bin/env bash
# The player (sonvale) playing a 128 kbit/s MP3 at real speed under Xvfb, with the null audio
# output (a real-time clock that discards the sound), against mpg123 playing the same file at real
# speed, in one run: each one's CPU as a share of one core over the same window, and its resident
# memory at the end. Then the player's threads, each with its share.
# mpg123 has no output that keeps real time without a sound device (-o dummy and -t decode the
# whole file at once), so it writes raw samples into a pipe that pv drains at 44.1 kHz stereo;
# only mpg123's own CPU is counted. mpg123 -t's CPU per second of audio is shown beside it, as a
# check (decoding alone, no output).
# Usage: bench/player-cpu.sh [--duration SECONDS] [BUILD_DIR]   (default: 30 s, build)
#        or DURATION=SECONDS bench/player-cpu.sh
#
# Measured on the 2-core build machine (30 s windows, % of one core; the clock counts in 10 ms
# ticks, so a thread's figure moves by about 0.03 between runs):
#                                     before    after
#   player in all                      1.13     0.70-0.73
#   mixer thread (run-time library)    0.47     0.40-0.47   46-51 wakes/s, one per mixed block
#   null output thread                 0.37     0.03        110 -> 11 wakes/s
#   UI thread                          0.20     0.20        14-16 wakes/s
#   playback monitor                   0.07     0.03
#   mpg123 paced through pv            0.17-0.23
# Before: the null output slept in 10 ms steps and was woken by every block written behind the
# one it played; mpg123 read the file a frame header or body at a time (some 80 reads a second).
# After, the mixer's figure is mostly the cost of waking once per 1024-frame block, which its
# tick needs; what the UI thread does follows the view's timers and posted steps.
# With the player session (the view draws only what changed, the LCD's timer runs only while its
# line scrolls, observers hear only of real changes): player in all 0.63-0.80, mixer 0.30-0.43,
# UI thread 0.20 at 10-11 wakes/s, monitor 0.03-0.07.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
duration=${DURATION:-30}
settle=${SETTLE:-3}
if [ "${1:-}" = --duration ]; then duration=$2; shift 2; fi
build=${1:-$top/build}
player=$build/bin/sonvale
[ -x "$player" ] || { echo "build first: $player is missing (ninja -C $build sonvale)" >&2; exit 1; }
for tool in Xvfb mpg123 lame sox pv bc python3; do
    command -v $tool >/dev/null || { echo "needs $tool: sudo apt-get install xvfb mpg123 lame sox pv bc" >&2; exit 1; }
done
case $duration in '' | *[!0-9]* | 0) echo "DURATION must be a whole number of seconds" >&2; exit 1 ;; esac
tick=$(getconf CLK_TCK)

work=$(mktemp -d)
xvfb="" sonvale="" mpg="" drain=""
cleanup() {
    if [ -n "$sonvale" ] && kill -0 "$sonvale" 2>/dev/null; then
        kill -TERM "$sonvale" 2>/dev/null || true
        for _ in $(seq 30); do kill -0 "$sonvale" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$sonvale" 2>/dev/null || true
    fi
    for pid in $mpg $drain $xvfb; do kill -TERM "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Long enough that neither program runs out of music inside the window.
length=$((duration + settle + 30))
echo "Making the test file ($length s)..."
# Dense material (noise under a chord), so that every frame carries data, as in loud music.
sox -n -r 44100 -c 2 "$work/music.wav" synth $length pinknoise synth $length sine mix 220 \
    synth $length sine mix 277 tremolo 2 30 gain -8 2>/dev/null
lame --quiet -b 128 "$work/music.wav" "$work/music.mp3"
rm "$work/music.wav"

# utime + stime of a process or a thread, in clock ticks (the name in the stat line may hold
# spaces and parentheses, so the fields are counted after its closing parenthesis).
ticks() {
    local stat
    stat=$(cat "$1" 2>/dev/null) || { echo 0; return; }
    stat=${stat##*) }
    # shellcheck disable=SC2086
    set -- $stat
    echo $((${12} + ${13}))
}
now() { date +%s.%N; }
rss_kb() { awk -v f="$2:" '$1 == f {print $2}' "/proc/$1/status"; }
percent() { echo "$1 * 100 / $tick / $2" | bc -l; }

echo "Starting Xvfb..."
exec 3>"$work/display"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 >"$work/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1; }
display=:$(head -n1 "$work/display")

mkdir "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
first_start() {
    DISPLAY=$display SONVALE_HOME=$work/home SONVALE_AUDIO=null XDG_RUNTIME_DIR=$work/runtime \
        "$player" "$@" >"$work/sonvale.log" 2>&1
}
# The meter window's state, as the player reads it at start: 0 shows the frequency bars
# (UseSpectrum 1), 11 the lyrics board, which draws nothing while the track has no lyrics.
set_meter_state() {
    python3 - "$work/home/registry.db" "$1" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
key = db.execute("select key from regvalues where lname = 'dispstate'").fetchone()[0]
for name, value in (("UseSpectrum", 1), ("DispState", int(sys.argv[2]))):
    db.execute("insert or replace into regvalues values (1, ?, ?, ?, 4, ?, '')",
               (key, name.lower(), name, value))
db.commit()
PY
}
echo "A first start on $display writes the settings..."
first_start --screenshot "$work/first.png" || { cat "$work/sonvale.log" >&2; exit 1; }

# Context switches of a thread: about how often it wakes.
switches() { awk '/_ctxt_switches:/ {n += $2} END {print n + 0}' "$1" 2>/dev/null || echo 0; }
declare -A thread_start switch_start thread_end switch_end thread_name thread_wchan
# measure_player METER_STATE: the player's CPU over the window into player_pct, its memory into
# player_rss and player_hwm, and its threads into the arrays above.
measure_player() {
    set_meter_state "$1"
    DISPLAY=$display SONVALE_HOME=$work/home SONVALE_AUDIO=null XDG_RUNTIME_DIR=$work/runtime \
        "$player" "$work/music.mp3" >"$work/sonvale.log" 2>&1 &
    sonvale=$!
    sleep 1
    kill -0 "$sonvale" 2>/dev/null || { echo "the player exited at once:" >&2; cat "$work/sonvale.log" >&2; exit 1; }
    sleep "$settle"
    kill -0 "$sonvale" 2>/dev/null || { echo "the player exited while settling:" >&2; cat "$work/sonvale.log" >&2; exit 1; }
    thread_start=() switch_start=() thread_end=() switch_end=() thread_name=() thread_wchan=()
    for task in /proc/$sonvale/task/*; do
        thread_start[${task##*/}]=$(ticks "$task/stat")
        switch_start[${task##*/}]=$(switches "$task/status")
    done
    local p0 p1 w0 w1 tid
    p0=$(ticks "/proc/$sonvale/stat") w0=$(now)
    sleep "$duration"
    p1=$(ticks "/proc/$sonvale/stat") w1=$(now)
    for task in /proc/$sonvale/task/*; do
        tid=${task##*/}
        thread_end[$tid]=$(ticks "$task/stat")
        switch_end[$tid]=$(switches "$task/status")
        thread_name[$tid]=$(cat "$task/comm" 2>/dev/null || echo "?")
        thread_wchan[$tid]=$(cat "$task/wchan" 2>/dev/null || echo "?")
    done
    kill -0 "$sonvale" 2>/dev/null || { echo "the player exited during the window:" >&2; cat "$work/sonvale.log" >&2; exit 1; }
    player_window=$(echo "$w1 - $w0" | bc -l)
    player_pct=$(percent $((p1 - p0)) "$player_window")
    player_rss=$(rss_kb "$sonvale" VmRSS)
    player_hwm=$(rss_kb "$sonvale" VmHWM)
    kill -TERM "$sonvale"
    for _ in $(seq 30); do kill -0 "$sonvale" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$sonvale" 2>/dev/null || true
    wait "$sonvale" 2>/dev/null || true
    sonvale=""
}

echo "Measuring the player for $duration s with the lyrics board (no frequency bars)..."
measure_player 11
board_pct=$player_pct board_rss=$player_rss board_hwm=$player_hwm
echo "Measuring the player for $duration s with the frequency bars..."
measure_player 0
kill -TERM "$xvfb" 2>/dev/null || true
wait "$xvfb" 2>/dev/null || true
xvfb=""

echo "Measuring mpg123 for $duration s..."
# 44100 frames of two 16-bit samples a second.
mpg123 -q -s "$work/music.mp3" 2>"$work/mpg123.log" > >(exec pv -q -L 176400 >/dev/null) &
mpg=$!
sleep "$settle"
kill -0 "$mpg" 2>/dev/null || { echo "mpg123 exited early:" >&2; cat "$work/mpg123.log" >&2; exit 1; }
m0=$(ticks "/proc/$mpg/stat") w0=$(now)
sleep "$duration"
m1=$(ticks "/proc/$mpg/stat") w1=$(now)
kill -0 "$mpg" 2>/dev/null || { echo "mpg123 ran out of music inside the window" >&2; exit 1; }
mpg_pct=$(percent $((m1 - m0)) "$(echo "$w1 - $w0" | bc -l)")
mpg_rss=$(rss_kb "$mpg" VmRSS)
mpg_hwm=$(rss_kb "$mpg" VmHWM)
kill -TERM "$mpg" 2>/dev/null || true
wait "$mpg" 2>/dev/null || true
mpg=""

# Decoding alone, at full speed: CPU seconds per second of audio, as a share of one core.
# The file five times over, so that the clock's 10 ms steps matter less.
m=$work/music.mp3
/usr/bin/time -o "$work/time" -f "%U %S" mpg123 -q -t "$m" "$m" "$m" "$m" "$m" >/dev/null 2>&1
decode_pct=$(awk -v n=$((5 * $length)) '{print ($1 + $2) * 100 / n}' "$work/time")

printf '\n%-52s %12s %10s %10s\n' "128 kbit/s MP3 at real speed, $duration s window" "% of a core" "RSS MiB" "peak MiB"
printf '%-52s %12.2f %10.1f %10.1f\n' "mpg123 -s | pv -L 176400 (mpg123 only)" "$mpg_pct" \
    "$(echo "$mpg_rss / 1024" | bc -l)" "$(echo "$mpg_hwm / 1024" | bc -l)"
printf '%-52s %12.2f %10s %10s\n' "mpg123 -t, full speed, CPU per audio second" "$decode_pct" "" ""
printf '%-52s %12.2f %10.1f %10.1f\n' "sonvale under Xvfb, null output, lyrics board" "$board_pct" \
    "$(echo "$board_rss / 1024" | bc -l)" "$(echo "$board_hwm / 1024" | bc -l)"
printf '%-52s %12.2f %10.1f %10.1f\n' "sonvale under Xvfb, null output, frequency bars" "$player_pct" \
    "$(echo "$player_rss / 1024" | bc -l)" "$(echo "$player_hwm / 1024" | bc -l)"
printf '%-52s %12.2f\n' "ratio sonvale / mpg123 (paced)" \
    "$(echo "if ($mpg_pct > 0) $player_pct / $mpg_pct else 0" | bc -l)"

echo
echo "The player's threads over the window with the frequency bars (those that used any CPU):"
printf '%-8s %-18s %-34s %12s %10s\n' "tid" "name" "waiting in" "% of a core" "wakes/s"
for tid in "${!thread_end[@]}"; do
    used=$((thread_end[$tid] - ${thread_start[$tid]:-0}))
    [ "$used" -gt 0 ] || continue
    share=$(percent "$used" "$player_window")
    wakes=$(echo "(${switch_end[$tid]} - ${switch_start[$tid]:-0}) / $player_window" | bc -l)
    printf '%s\t%-8s %-18s %-34s %12.2f %10.0f\n' "$share" "$tid" "${thread_name[$tid]}" \
        "${thread_wchan[$tid]}" "$share" "$wakes"
done | sort -t$'\t' -k1,1 -rn | cut -f2-
