#!/bin/sh
# Makes the audio fixtures under tests/fixtures with real encoders, and beside each decodable
# file a reference decode by another program (16-bit WAV, "<name>.ref.wav").
#
# Needs: sox, lame, ffmpeg, oggenc, oggdec, mpg123. The results are committed, so the build and
# CI never need these programs; run this only to remake the files.
#
# The test signal is short on purpose (the whole folder stays well under 1.5 MB): 1.2 s of
# plucked chords on the left and a sine sweep on the right, made by sox in repeatable mode.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/tests/fixtures"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# --- Signals ------------------------------------------------------------------------------
# Left: a guitar-like chord (six plucked strings, strummed), then a second chord.
sox -R -n -r 44100 -b 16 -c 1 "$work/chord1.wav" synth 0.6 \
    pl G2 pl B2 pl D3 pl G3 pl D4 pl G4 delay 0 .02 .04 .06 .08 .1 remix - norm -4
sox -R -n -r 44100 -b 16 -c 1 "$work/chord2.wav" synth 0.6 \
    pl C3 pl E3 pl G3 pl C4 pl E4 delay 0 .02 .04 .06 .08 remix - norm -4
sox "$work/chord1.wav" "$work/chord2.wav" "$work/left.wav"
# Right: a sweep over most of the audible range with a quieter fifth above it.
sox -R -n -r 44100 -b 16 -c 1 "$work/right.wav" synth 1.2 sine 200-6000 sine 300-9000 \
    remix - norm -6
sox -M "$work/left.wav" "$work/right.wav" "$work/music.wav"

# Mono 22050 Hz with 0.4 s of digital silence at the head and at the tail.
sox "$work/music.wav" -r 22050 "$work/mono22050.wav" remix - norm -3 pad 0.4 0.4
# Mono 24000 Hz.
sox "$work/music.wav" -r 24000 "$work/mono24000.wav" remix - norm -3

# Two different short streams for a chained Ogg file.
sox "$work/music.wav" "$work/part1.wav" trim 0 0.5
sox -R -n -r 44100 -b 16 -c 2 "$work/part2.wav" synth 0.5 sine 440-2000 sine 660 norm -6

# --- MPEG audio ---------------------------------------------------------------------------
# MPEG-1 Layer III 44100 Hz stereo, 128 kbit/s CBR; lame writes an "Info" frame first.
lame --quiet -b 128 "$work/music.wav" "$out/mpeg1-l3-cbr-info.mp3"
# The same without the Info frame.
lame --quiet -t -b 128 "$work/music.wav" "$out/mpeg1-l3-cbr-plain.mp3"
# The same with an ID3v2 tag (with padding) in front and an ID3v1 tag at the end.
lame --quiet -b 128 --add-id3v2 --pad-id3v2-size 1500 --tt "Fixture Title" \
    --ta "Fixture Artist" --tl "Fixture Album" --ty 2004 --tn 7 \
    "$work/music.wav" "$out/mpeg1-l3-id3v2.mp3"
# VBR with a "Xing" frame.
lame --quiet -V 4 "$work/music.wav" "$out/mpeg1-l3-vbr-xing.mp3"
# MPEG-2 Layer III 22050 Hz mono, 64 kbit/s, silence at head and tail.
lame --quiet -m m -b 64 "$work/mono22050.wav" "$out/mpeg2-l3-22050-mono.mp3"
# Layer II: MPEG-1 44100 Hz stereo and MPEG-2 24000 Hz mono (no tags).
ffmpeg -v error -y -i "$work/music.wav" -c:a mp2 -b:a 192k -f mp2 "$out/mpeg1-l2-44100.mp2"
ffmpeg -v error -y -i "$work/mono24000.wav" -c:a mp2 -b:a 64k -f mp2 "$out/mpeg2-l2-24000.mp2"

# --- Ogg Vorbis ---------------------------------------------------------------------------
oggenc --quiet -q 2 -t "Fixture Title" -a "Fixture Artist" -o "$out/vorbis-44100.ogg" \
    "$work/music.wav"
oggenc --quiet -q 2 -t "First Stream" -a "Artist One" -o "$work/part1.ogg" "$work/part1.wav"
oggenc --quiet -q 2 -t "Second Stream" -a "Artist Two" -o "$work/part2.ogg" "$work/part2.wav"
cat "$work/part1.ogg" "$work/part2.ogg" >"$out/vorbis-chained.ogg"

# --- Reference decodes --------------------------------------------------------------------
# mpg123 without gapless trimming: the encoder delay and padding stay in, but an Info/Xing
# frame is not decoded (the engine plays it as one frame of silence). See README.md there.
for name in mpeg1-l3-cbr-plain mpeg1-l3-vbr-xing mpeg2-l3-22050-mono mpeg1-l2-44100 \
    mpeg2-l2-24000; do
    file=$(ls "$out/$name".mp?)
    mpg123 --quiet --no-gapless -w "$out/$name.ref.wav" "$file"
done
# Ogg Vorbis: the granule positions give the exact length, so every decoder agrees.
for name in vorbis-44100 vorbis-chained; do
    oggdec --quiet -b 16 -e 0 -s 1 -o "$out/$name.ref.wav" "$out/$name.ogg"
done

ls -l "$out"
du -sh "$out"
