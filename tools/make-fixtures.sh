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

# --- WAV ----------------------------------------------------------------------------------
# 0.5 s of the signal in the wave formats the engine converts. 22050 Hz, mono unless stereo
# matters; the telephone codecs at 8000 Hz. sox writes "wavpcm" as plain PCM and "wav" with
# more than 16 bits as the extensible format; ffmpeg puts MPEG audio into WAV.
sox "$work/music.wav" -r 22050 "$work/wav-stereo.wav" trim 0 0.5
sox "$work/wav-stereo.wav" "$work/wav-mono.wav" remix -
sox "$work/wav-mono.wav" -r 8000 "$work/wav-8000.wav"
sox -D "$work/wav-mono.wav" -t wavpcm -b 8 -e unsigned-integer "$out/wav-pcm8-mono.wav"
sox -D "$work/wav-stereo.wav" -t wavpcm -b 16 "$out/wav-pcm16-stereo.wav"
sox -D "$work/wav-mono.wav" -t wavpcm -b 24 "$out/wav-pcm24-mono.wav"
sox -D "$work/wav-mono.wav" -t wav -b 24 "$out/wav-pcm24-extensible.wav"
sox -D "$work/wav-mono.wav" -e floating-point -b 32 "$out/wav-float32-mono.wav"
sox -D "$work/wav-stereo.wav" -e ms-adpcm "$out/wav-msadpcm-stereo.wav"
sox -D "$work/wav-mono.wav" -e ima-adpcm "$out/wav-imaadpcm-mono.wav"
sox -D "$work/wav-8000.wav" -e a-law "$out/wav-alaw-8000.wav"
sox -D "$work/wav-8000.wav" -e u-law "$out/wav-mulaw-8000.wav"
sox -D "$work/wav-8000.wav" -e gsm-full-rate "$out/wav-gsm-8000.wav"
ffmpeg -v error -y -i "$work/wav-mono.wav" -c:a libmp3lame -b:a 32k -fflags +bitexact \
    -f wav "$out/wav-mp3-mono.wav"
sox "$work/wav-mono.wav" -r 24000 "$work/wav-24000.wav"
ffmpeg -v error -y -i "$work/wav-24000.wav" -c:a mp2 -b:a 48k -fflags +bitexact \
    -f wav "$out/wav-mp2-mono.wav"
# References: sox decodes what it can; MPEG audio in WAV is decoded by ffmpeg.
for name in wav-msadpcm-stereo wav-imaadpcm-mono wav-alaw-8000 wav-mulaw-8000 wav-gsm-8000; do
    sox -D "$out/$name.wav" -b 16 -e signed-integer -t wavpcm "$out/$name.ref.wav"
done
for name in wav-mp3-mono wav-mp2-mono; do
    ffmpeg -v error -y -i "$out/$name.wav" -c:a pcm_s16le -fflags +bitexact "$out/$name.ref.wav"
done

ls -l "$out"
du -sh "$out"

# --- Tags ---------------------------------------------------------------------------------
# Short files (0.2 s) with tags written by id3v2, mutagen and oggenc, and tags.txt listing what
# each was given. The tag tests compare against exactly these values.
# Needs besides the above: id3v2 and python3 with mutagen.
py=python3
$py -c 'import mutagen' 2>/dev/null || py=/usr/bin/python3
sox "$work/music.wav" -r 22050 "$work/tagbase.wav" remix - trim 0 0.2
lame --quiet -m m -b 32 -t "$work/tagbase.wav" "$work/tagbase.mp3"
list="$out/tags.txt"
printf '%s\n' "# What tools/make-fixtures.sh wrote into each tag fixture." >"$list"

# ID3v2.3 by id3v2 (id3lib): Latin-1 texts, numeric genre "(17)", TYER, track "3/12".
cp "$work/tagbase.mp3" "$out/tag-id3v23.mp3"
id3v2 -2 -t "Fixture Title" -a "Fixture Artist" -A "Fixture Album" -g 17 -y 2004 -T 3/12 \
    "$out/tag-id3v23.mp3"
cat >>"$list" <<'LIST'
tag-id3v23.mp3: ID3v2.3 (id3v2 -2), encoding 0: TIT2 "Fixture Title", TPE1 "Fixture Artist", TALB "Fixture Album", TCON "(17)", TYER "2004", TRCK "3/12"
LIST

# ID3v2.4 by mutagen, every frame in UTF-8 (encoding 3).
cp "$work/tagbase.mp3" "$out/tag-id3v24-utf8.mp3"
$py - "$out/tag-id3v24-utf8.mp3" <<'PY'
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TCON, TRCK, TDRC
tag = ID3()
tag.add(TIT2(encoding=3, text="노래 제목"))
tag.add(TPE1(encoding=3, text="Beyoncé & Ørjan"))
tag.add(TALB(encoding=3, text="Café del Mar 𝄞"))
tag.add(TCON(encoding=3, text="Trance"))
tag.add(TRCK(encoding=3, text="3/12"))
tag.add(TDRC(encoding=3, text="2004-05-01"))
tag.save(sys.argv[1], v2_version=4, padding=lambda info: 64)
PY
cat >>"$list" <<'LIST'
tag-id3v24-utf8.mp3: ID3v2.4 (mutagen), encoding 3: TIT2 "노래 제목", TPE1 "Beyoncé & Ørjan", TALB "Café del Mar 𝄞", TCON "Trance", TRCK "3/12", TDRC "2004-05-01"
LIST

# ID3v2.4 by mutagen in UTF-16: encoding 1 (with a byte-order mark) and, for the album,
# encoding 2 (big-endian, no mark).
cp "$work/tagbase.mp3" "$out/tag-id3v24-utf16.mp3"
$py - "$out/tag-id3v24-utf16.mp3" <<'PY'
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TCON, TRCK, TDRC
tag = ID3()
tag.add(TIT2(encoding=1, text="한국어 제목"))
tag.add(TPE1(encoding=1, text="Sigur Rós"))
tag.add(TALB(encoding=2, text="Ágætis byrjun"))
tag.add(TCON(encoding=1, text="(17)Rock"))
tag.add(TRCK(encoding=1, text="7"))
tag.add(TDRC(encoding=1, text="1999"))
tag.save(sys.argv[1], v2_version=4, padding=lambda info: 0)
PY
cat >>"$list" <<'LIST'
tag-id3v24-utf16.mp3: ID3v2.4 (mutagen), encoding 1 except TALB encoding 2: TIT2 "한국어 제목", TPE1 "Sigur Rós", TALB "Ágætis byrjun", TCON "(17)Rock", TRCK "7", TDRC "1999"
LIST

# ID3v1.1 only, by id3v2 -1: the track makes byte 125 zero.
cp "$work/tagbase.mp3" "$out/tag-id3v1.mp3"
id3v2 -1 -t "Version One Title" -a "Version One Artist" -A "Version One Album" \
    -c "A comment" -g 31 -y 1998 -T 7 "$out/tag-id3v1.mp3"
cat >>"$list" <<'LIST'
tag-id3v1.mp3: ID3v1.1 only (id3v2 -1): title "Version One Title", artist "Version One Artist", album "Version One Album", comment "A comment", genre 31, year 1998, track 7
LIST

# Both tags with different values: ID3v1 first, then an ID3v2.3 tag in front.
cp "$work/tagbase.mp3" "$out/tag-both.mp3"
id3v2 -1 -t "Old Title" -a "Old Artist" -A "Old Album" -g 0 -y 1980 -T 1 "$out/tag-both.mp3"
id3v2 -2 -t "New Title" -a "New Artist" -y 2010 "$out/tag-both.mp3"
cat >>"$list" <<'LIST'
tag-both.mp3: ID3v1.1 (id3v2 -1): title "Old Title", artist "Old Artist", album "Old Album", genre 0, year 1980, track 1; then ID3v2.3 (id3v2 -2): TIT2 "New Title", TPE1 "New Artist", TYER "2010"
LIST

# Ogg Vorbis by oggenc; lower-case and mixed-case names, a title longer than 63 characters.
long="A title that runs on for quite a while, well past sixty-three characters"
oggenc --quiet -q 0 -o "$out/tag-vorbis.ogg" -c "title=$long" -c "Artist=Jürgen Ö" \
    -c "ALBUM=앨범" -c "genre=Synthpop" -c "tracknumber=5/9" -c "COMMENT=Ogg comment" \
    -c "DATE=2001" "$work/tagbase.wav"
cat >>"$list" <<LIST
tag-vorbis.ogg: Vorbis comments (oggenc -c): "title=$long", "Artist=Jürgen Ö", "ALBUM=앨범", "genre=Synthpop", "tracknumber=5/9", "COMMENT=Ogg comment", "DATE=2001"
LIST

ls -l "$out"/tag-* "$list"

# --- Run-time library ---------------------------------------------------------------------
# VBR without a Xing/Info frame (lame -t): 2 s of digital silence, then 1 s of loud noise. The
# first frames are at the lowest bitrate, so a length estimated from the file size and the
# first frame comes out far too long; only a scan of every frame gives the right one.
sox -R -n -r 44100 -b 16 -c 2 "$work/silence.wav" trim 0 2
sox -R -n -r 44100 -b 16 -c 2 "$work/noise.wav" synth 1 whitenoise norm -3
sox "$work/silence.wav" "$work/noise.wav" "$work/silence-noise.wav"
lame --quiet --vbr-new -V 2 -t "$work/silence-noise.wav" "$out/mpeg1-l3-vbr-plain.mp3"

# The opposite case, 12 s long: 1 s of loud noise, then 11 s of a quiet tone. The first frames
# are at 256 kbit/s, so the same estimate comes out at under 4 s; the player must still play
# (and in the end show) all 12 s.
sox -R -n -r 44100 -b 16 -c 2 "$work/loud.wav" synth 1 whitenoise norm -3
sox -R -n -r 44100 -b 16 -c 2 "$work/quiet.wav" synth 11 sine 440 vol 0.02
sox "$work/loud.wav" "$work/quiet.wav" "$work/loud-quiet.wav"
lame --quiet --vbr-new -V 2 -t "$work/loud-quiet.wav" "$out/mpeg1-l3-vbr-plain-12s.mp3"

# Lyrics and comment frames by mutagen, as ID3v2.3 and as ID3v2.4: SYLT (Latin-1, times in
# milliseconds, lyrics, empty descriptor), USLT, COMM and a TIT2. tags.txt lists the contents.
for v in 3 4; do
    cp "$work/tagbase.mp3" "$out/tag-lyrics-id3v2$v.mp3"
    $py - "$out/tag-lyrics-id3v2$v.mp3" "$v" <<'PY'
import sys
from mutagen.id3 import ID3, COMM, SYLT, TIT2, USLT
tag = ID3()
tag.add(TIT2(encoding=0, text="Lyrics Fixture"))
tag.add(SYLT(encoding=0, lang="eng", format=2, type=1, desc="",
             text=[("First line", 1000), ("Second line", 2500), ("Third line", 4000)]))
tag.add(USLT(encoding=0, lang="eng", desc="", text="Plain lyrics\nSecond plain line"))
tag.add(COMM(encoding=0, lang="eng", desc="", text="A lyrics comment"))
tag.save(sys.argv[1], v2_version=int(sys.argv[2]), padding=lambda info: 32)
PY
done
cat >>"$list" <<'LIST'
tag-lyrics-id3v23.mp3, tag-lyrics-id3v24.mp3: ID3v2.3 / ID3v2.4 (mutagen), encoding 0 everywhere: TIT2 "Lyrics Fixture"; SYLT language "eng", time format 2 (ms), type 1, descriptor "", lines "First line" 1000, "Second line" 2500, "Third line" 4000; USLT "eng", "", "Plain lyrics\nSecond plain line"; COMM "eng", "", "A lyrics comment"
LIST

# Ogg Vorbis with the synchronised lyrics comment of another player and a lyrics block name.
oggenc --quiet -q 0 -o "$out/tag-synclyric.ogg" -c "TITLE=Synclyric Fixture" "$work/tagbase.wav"
vorbiscomment -a -e -t 'JETAUDIO_SYNCLYRIC=[00:01.000]First line\n[00:02.500]Second line' \
    -t 'LDB=Lyrics block bytes' "$out/tag-synclyric.ogg"
cat >>"$list" <<'LIST'
tag-synclyric.ogg: Vorbis comments (oggenc -c, vorbiscomment -a -e): "TITLE=Synclyric Fixture", "JETAUDIO_SYNCLYRIC=[00:01.000]First line\n[00:02.500]Second line" (\n a line feed), "LDB=Lyrics block bytes"
LIST
ls -l "$out"/mpeg1-l3-vbr-plain.mp3 "$out"/mpeg1-l3-vbr-plain-12s.mp3 "$out"/tag-lyrics-* "$out"/tag-synclyric.ogg

# --- Windows Media Audio ------------------------------------------------------------------
# ffmpeg's ASF muxer: version 2 stereo in 1000-byte packets (media objects split across packets),
# with a simple index added after the data (the muxer writes none for audio alone), and version
# 1 mono in its usual 3200-byte packets without an index. Tags as ffmpeg writes them; tags.txt
# lists them. References decoded by ffmpeg.
ffmpeg -v error -y -i "$work/music.wav" -c:a wmav2 -b:a 64k -fflags +bitexact -packet_size 1000 \
    -metadata title="WMA Title" -metadata artist="WMA Artist" -metadata album="WMA Album" \
    -metadata WM/Year=2007 -metadata track=9 -metadata genre="Ambient" "$out/wma-v2-stereo.wma"
ffmpeg -v error -y -i "$work/mono22050.wav" -c:a wmav1 -b:a 32k -fflags +bitexact \
    -metadata title="Mono Title" -metadata artist="Mono Artist" -metadata album="Mono Album" \
    -metadata WM/Year=1999 -metadata track=3 -metadata genre="Jazz" "$out/wma-v1-mono.wma"
# The simple index: one entry per 100 ms of presentation time (which starts at the preroll),
# naming the last packet in which a media object starting at or before that time begins.
$py - "$out/wma-v2-stereo.wma" <<'PY'
import struct, sys
path = sys.argv[1]
data = bytearray(open(path, 'rb').read())
def guid(s):
    a, b, c, d, e = s.split('-')
    return struct.pack('<IHH', int(a, 16), int(b, 16), int(c, 16)) + bytes.fromhex(d + e)
at = struct.unpack_from('<Q', data, 16)[0]
assert data[at:at + 16] == guid('75B22636-668E-11CF-A6D9-00AA0062CE6C')
file_id = bytes(data[at + 24:at + 40])
count = struct.unpack_from('<Q', data, at + 40)[0]
props = data.find(guid('8CABDCA1-A947-11CF-8EE4-00C00C205365'))
size = struct.unpack_from('<I', data, props + 96)[0]
end_time = struct.unpack_from('<Q', data, props + 64)[0] // 10000
def field(p, t):
    n = (0, 1, 2, 4)[t & 3]
    return int.from_bytes(data[p:p + n], 'little'), p + n
starts = []  # (presentation time, packet)
for k in range(count):
    p = at + 50 + k * size
    if data[p] & 0x80:
        p += 1 + (data[p] & 0x0F)
    lf, pf = data[p], data[p + 1]
    p += 2
    _, p = field(p, lf >> 5)
    _, p = field(p, lf >> 1)
    _, p = field(p, lf >> 3)
    p += 6
    n, lt = 1, 0
    if lf & 1:
        n, lt = data[p] & 0x3F, data[p] >> 6
        p += 1
    for _ in range(n):
        p += 1
        _, p = field(p, pf >> 4)
        offset, p = field(p, pf >> 2)
        rep, p = field(p, pf)
        time = struct.unpack_from('<I', data, p + 4)[0]
        p += rep
        length, p = field(p, lt) if lf & 1 else (0, p)
        p += length
        if offset == 0:
            starts.append((time, k))
interval = 1000000  # 100 ms in 100 ns units
entries = []
for i in range(end_time // 100 + 1):
    t = i * 100
    packet = 0
    for time, k in starts:
        if time <= t:
            packet = k
    entries.append(packet)
body = file_id + struct.pack('<QII', interval, 1, len(entries))
body += b''.join(struct.pack('<IH', e, 1) for e in entries)
data += guid('33000890-E5B1-11CF-89F4-00A0C90349CB') + struct.pack('<Q', 24 + len(body)) + body
open(path, 'wb').write(data)
PY
for name in wma-v2-stereo wma-v1-mono; do
    ffmpeg -v error -y -i "$out/$name.wma" -c:a pcm_s16le -fflags +bitexact "$out/$name.ref.wav"
done
cat >>"$list" <<'LIST'
wma-v2-stereo.wma: ASF (ffmpeg -metadata): title "WMA Title", artist "WMA Artist", album "WMA Album", WM/Year "2007", track "9", genre "Ambient"; a simple index added
wma-v1-mono.wma: ASF (ffmpeg -metadata): title "Mono Title", artist "Mono Artist", album "Mono Album", WM/Year "1999", track "3", genre "Jazz"; no index
LIST
ls -l "$out"/wma-*
