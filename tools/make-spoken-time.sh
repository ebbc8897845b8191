#!/bin/sh
# Makes the sounds of the "Alarm Time" function under app/resources/sounds: one WAV per sound id,
# 16-bit mono 22050 Hz PCM, spoken by espeak-ng and trimmed by sox, and the .qrc that embeds them
# under the prefix "/sounds" (":/sounds/<id>.wav").
#
# Needs: espeak-ng, sox. The results are committed, so the build and CI never need these
# programs; run this only to remake the files.
#
# The player says the time as: opener, hour, then "o'clock" on the full hour or the minutes.
#   326 opener before noon, 324 opener from noon on
#   295 "twelve" (midnight hour), 296..306 "one".."eleven", 307 "twelve" (noon hour)
#   308..312 the tens "ten".."fifty"
#   313..321 the units "one".."nine"; 322 the unit 0
#   323 "o'clock"
# So 0:00 is "Before noon, it is twelve o'clock" and 13:45 "After noon, it is one forty five".
#
# Choices the fixed set of sounds forces:
# - Minutes 11..19 come out as "ten one" .. "ten nine": the units sounds follow every tens sound,
#   so there is no room for "eleven".."nineteen". Reading it like a counter keeps it unambiguous.
# - The unit 0 after a round ten ("one forty") is a short pause, not "zero": "one forty" is what
#   a person says, and the pause closes the sentence the same way a spoken unit would.
# - Minutes 1..9 have no tens sound, so 7:05 is "seven five".
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/app/resources/sounds"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

voice="en-us+f3"
speed=160

# say ID TEXT: speaks TEXT into <ID>.wav, cut to the voice with a short tail between words.
say() {
    espeak-ng -v "$voice" -s "$speed" -w "$work/raw.wav" "$2"
    sox "$work/raw.wav" -r 22050 -b 16 -c 1 "$out/$1.wav" \
        silence 1 0.01 0.1% reverse silence 1 0.01 0.1% reverse pad 0 0.06
}

say 326 "Before noon, it is"
say 324 "After noon, it is"

say 295 "twelve"
id=296
for word in one two three four five six seven eight nine ten eleven; do
    say $id "$word"
    id=$((id + 1))
done
say 307 "twelve"

id=308
for word in ten twenty thirty forty fifty; do
    say $id "$word"
    id=$((id + 1))
done

id=313
for word in one two three four five six seven eight nine; do
    say $id "$word"
    id=$((id + 1))
done
sox -n -r 22050 -b 16 -c 1 "$out/322.wav" trim 0 0.15

say 323 "o'clock"

{
    echo '<!DOCTYPE RCC>'
    echo '<RCC version="1.0">'
    echo '<qresource prefix="/sounds">'
    for id in $(seq 295 324) 326; do
        echo "    <file>$id.wav</file>"
    done
    echo '</qresource>'
    echo '</RCC>'
} >"$out/sounds.qrc"
