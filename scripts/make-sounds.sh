#!/usr/bin/env bash
# Makes the program's sound effects into resources/sounds/ from sox and espeak-ng.
# Speech for the spoken chatter sounds, synthesised effects for the rest.
# Everything comes out as small mono WAV files: unsigned 8-bit at 11 025 Hz,
# "tick" as 16-bit at 44 100 Hz. Run it again to remake the whole set.
set -euo pipefail

out="$(cd "$(dirname "$0")/.." && pwd)/resources/sounds"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out"

# finish NAME INPUT [effects...]: converts INPUT into the stored format.
finish() {
    local name=$1 input=$2
    shift 2
    sox -V1 "$input" -r 11025 -c 1 -b 8 -e unsigned-integer "$out/$name.wav" "$@" norm -3
}

# synth NAME SECONDS [synth arguments and effects...]
synth() {
    local name=$1 len=$2
    shift 2
    sox -V1 -n -r 22050 -c 1 -b 16 "$tmp/$name.wav" synth "$len" "$@"
    finish "$name" "$tmp/$name.wav"
}

# speak NAME VOICE TEXT [effects...]
speak() {
    local name=$1 voice=$2 text=$3
    shift 3
    espeak-ng -v "$voice" -s 150 -w "$tmp/$name-raw.wav" "$text"
    sox -V1 "$tmp/$name-raw.wav" "$tmp/$name.wav" silence 1 0.01 1% reverse silence 1 0.01 1% reverse "$@"
    finish "$name" "$tmp/$name.wav"
}

# Game sounds.
synth entered 0.45 sine 523.25:1046.5 fade q 0.01 0.45 0.2
synth gameover 1.0 sine 440:220 tremolo 6 40 fade q 0.02 1.0 0.4
synth notiles 0.5 square 300:150 fade q 0.01 0.5 0.2 vol 0.5
synth place 0.12 pinknoise lowpass 900 fade q 0.005 0.12 0.08
synth remove 0.15 sine 700:350 fade q 0.005 0.15 0.1
synth time 0.8 square 880 tremolo 8 90 fade q 0.01 0.8 0.2 vol 0.5
synth turn 0.4 sine 660 sine 880 fade q 0.01 0.4 0.2
synth turnnew 0.6 pluck 587.33 pluck 880 fade q 0.005 0.6 0.3
synth word 0.5 sine 392:784 fade q 0.01 0.5 0.25
synth zbgood 0.7 sine 523.25:1568 tremolo 12 50 fade q 0.01 0.7 0.3
synth zbbad 0.7 sawtooth 400:120 fade q 0.01 0.7 0.3 vol 0.5
synth winner 1.1 pluck 523.25 pluck 659.25 pluck 783.99 fade q 0.005 1.1 0.5

# The clock tick keeps 16 bits at 44 100 Hz.
sox -V1 -n -r 44100 -c 1 -b 16 "$out/tick.wav" synth 0.1 sine 1200 fade q 0.002 0.1 0.09 norm -3

# Chatter sounds, numbered as in the chat column's sound menu.
speak wave1 en+m3 "Doh!"
synth wave2 0.5 brownnoise lowpass 1200 tremolo 9 100 fade q 0.01 0.5 0.15
speak wave3 en+f3 "Hello!"
speak wave4 en+m3 "Thank you!"
speak wave5 en+f3 "Where have you been?"
synth wave6 1.1 brownnoise lowpass 400 tremolo 0.9 100 fade q 0.2 1.1 0.3
synth wave7 0.6 whitenoise highpass 2000 fade q 0.15 0.6 0.35
speak wave8 en+m3 "Sorry."
speak wave9 en+f3 "Welcome!"
speak wave10 en+m3 "Yee haa!" pitch 300
speak wave11 en+f3 "Yippee!" pitch 300
speak wave12 en+m3 "Oh no!"
synth wave13 1.1 whitenoise bandpass 2500 1000h tremolo 23 80 fade q 0.1 1.1 0.4
synth wave14 0.5 square 220 square 277 fade q 0.01 0.5 0.1 vol 0.5
speak wave15 en+f3 "Oooooh!"
synth wave16 0.7 sawtooth 90 tremolo 30 90 fade q 0.02 0.7 0.2 vol 0.6
synth wave17 1.1 pinknoise bandpass 1800 1500h tremolo 17 60 fade q 0.3 1.1 0.5
speak wave18 en+f4 "ha ha ha ha!" pitch 400
speak wave19 en+m1 "ho ho ho ho!" pitch -200
synth wave20 1.1 sine 700:400 tremolo 4 60 fade q 0.1 1.1 0.4 vol 0.6

ls -l "$out"/*.wav | awk '{ total += $5 } END { print NR " sounds, " total " bytes" }'
