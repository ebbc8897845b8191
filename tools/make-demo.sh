#!/bin/sh
# Makes the demo track the player puts in an empty playlist on first start, under
# app/resources/demo: 30 seconds of music synthesized by sox (a chord progression on soft pads and
# a plucked bass, a plucked melody, drums made from sine sweeps and noise bursts), encoded as Ogg
# Vorbis with its title and artist, and an LRC file with lines timed to the music.
#
# Needs: sox, oggenc. The results are committed, so the build and CI never need these programs;
# run this only to remake the files.
#
# The song runs at 120 beats a minute, so a bar is exactly two seconds and every lyric line sits on
# a whole second ("[mm:ss.00]"): a two-digit fraction is read as milliseconds by some readers and as
# hundredths by others, and a zero fraction means the same to both.
#   bars  1-2   0-4 s    intro: pads, bass and hi-hats
#   bars  3-6   4-12 s   verse: full drums, melody
#   bars  7-12  12-24 s  chorus: melody an octave up, busier drums
#   bars 13-15  24-30 s  outro: the last chords ring out and fade
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/app/resources/demo"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

rate=44100
eighth=0.25
bar=2

# Every piece is mono at one rate, made in repeatable mode so the result is the same each time.
mk() { sox -R -n -r $rate -b 16 -c 1 "$@"; }

# --- Chords: one bar each ----------------------------------------------------------------
# chord NAME NOTES...: a soft pad (detuned triangles, low-passed, swelling in) and a bass pluck on
# beats one and three.
chord() {
    name=$1
    shift
    tones=""
    for note in "$@"; do
        tones="$tones triangle $note"
    done
    mk "$work/pad-$name.wav" synth $bar $tones remix - lowpass 1800 tremolo 5 15 \
        fade h 0.3 $bar 0.4 norm -6
    mk "$work/bass1-$name.wav" synth 1 pluck "$1" lowpass 500 fade 0 1 0.3 norm -4
    sox "$work/bass1-$name.wav" "$work/bass1-$name.wav" "$work/bass-$name.wav"
}
chord C C3 E3 G3 C4
chord G G2 D3 G3 B3
chord Am A2 E3 A3 C4
chord F F2 C3 F3 A3
chord Em E2 B2 E3 G3

progression="C G  C G Am F  F G C Am F G  C F C"
pads=""
basses=""
for name in $progression; do
    pads="$pads $work/pad-$name.wav"
    basses="$basses $work/bass-$name.wav"
done
# shellcheck disable=SC2086
sox $pads "$work/pads.wav"
# shellcheck disable=SC2086
sox $basses "$work/bass.wav"

# --- Melody: NOTE:EIGHTHS, "r" rests ---------------------------------------------------------
melody="r:16
E4:2 G4:2 C5:3 r:1  B4:2 A4:2 G4:3 r:1  A4:2 C5:2 E5:2 C5:2  A4:3 G4:1 F4:4
C5:2 A4:2 C5:2 D5:2  D5:3 B4:1 G4:4  E5:2 D5:2 C5:2 G4:2  A4:2 C5:2 E5:4
F5:2 E5:2 D5:2 C5:2  D5:4 B4:2 G4:2
C5:8 A4:4 C5:4 C5:8"
notes=""
i=0
for step in $melody; do
    note=${step%%:*}
    length=$(echo "${step##*:} * $eighth" | bc -l)
    i=$((i + 1))
    file="$work/note-$i.wav"
    if [ "$note" = r ]; then
        mk "$file" trim 0 "$length"
    else
        mk "$file" synth "$length" pluck "$note" synth "$length" sine mix "$note" \
            fade 0.005 "$length" 0.08 vol 0.5
    fi
    notes="$notes $file"
done
# shellcheck disable=SC2086
sox $notes "$work/melody.wav"

# --- Drums: one file per eighth --------------------------------------------------------------
mk "$work/kick.wav" synth $eighth sine 140-45 fade q 0 $eighth 0.2 vol 0.9
mk "$work/snare.wav" synth $eighth whitenoise gain -8 highpass 900 lowpass 7000 synth $eighth sine mix 190 \
    fade l 0 $eighth 0.22 vol 0.45
mk "$work/hat.wav" synth $eighth whitenoise gain -8 highpass 7000 fade l 0 $eighth 0.23 vol 0.2
mk "$work/rest.wav" trim 0 $eighth
sox -m -v 1 "$work/kick.wav" -v 1 "$work/hat.wav" "$work/K.wav"
sox -m -v 1 "$work/snare.wav" -v 1 "$work/hat.wav" "$work/S.wav"
cp "$work/hat.wav" "$work/H.wav"
cp "$work/kick.wav" "$work/k.wav"
cp "$work/snare.wav" "$work/s.wav"
cp "$work/rest.wav" "$work/-.wav"

intro="H - H - H - H H"
verse="K H S H K H S H"
chorus="K H S H K K S H"
fill="K H S H K S S S"
outro="k - - - s - - -"
end="- - - - - - - -"
pattern="$intro $intro  $verse $verse $verse $fill
$chorus $chorus $chorus $chorus $chorus $fill  $outro $outro $end"
hits=""
for hit in $pattern; do
    hits="$hits $work/$hit.wav"
done
# shellcheck disable=SC2086
sox $hits "$work/drums.wav"

# --- Mix, master and encode ----------------------------------------------------------------------
sox -m -v 0.3 "$work/pads.wav" -v 0.35 "$work/bass.wav" -v 0.45 "$work/melody.wav" \
    -v 0.45 "$work/drums.wav" "$work/mix.wav"
sox "$work/mix.wav" -c 2 "$work/master.wav" remix 1 1 gain -3 reverb 35 50 70 100 12 \
    fade h 0 30 4 trim 0 30 norm -1
oggenc -Q -q 1 -t "Sonvale Demo" -a "Sonvale" -l "Sonvale" -G "Demo" \
    -o "$out/sonvale-demo.ogg" "$work/master.wav"

# --- Lyrics, one line per bar or two ---------------------------------------------------------
cat >"$out/sonvale-demo.lrc" <<'EOF'
[ti:Sonvale Demo]
[ar:Sonvale]
[al:Sonvale]
[00:00.00]Sonvale Demo
[00:04.00]Welcome to Sonvale, press play and listen
[00:08.00]The words light up in time with the song
[00:12.00]Every skin and every line is yours to change
[00:16.00]Put your own songs in the playlist
[00:20.00]And sing along with every line
[00:24.00]Thanks for listening
[00:28.00]Sonvale
EOF

# The .qrc that embeds both under the prefix "/demo" (":/demo/sonvale-demo.ogg").
cat >"$out/demo.qrc" <<'EOF2'
<!DOCTYPE RCC>
<RCC version="1.0">
<qresource prefix="/demo">
    <file>sonvale-demo.ogg</file>
    <file>sonvale-demo.lrc</file>
</qresource>
</RCC>
EOF2
