#!/usr/bin/env bash
# Makes sound.wav, the notification chime: two soft sine tones (A5, then E6) of about 0.2 s each,
# each faded in and out, 22,050 Hz mono 16-bit. Needs sox. The generated file is kept in the
# repository, so building needs no sox; run this again only after changing the tones.
set -euo pipefail
cd "$(dirname "$0")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# -D: no dither, so the same script always writes the same bytes.
tone() { # frequency seconds output
    sox -D -n -r 22050 -c 1 -b 16 "$3" synth "$2" sine "$1" fade q 0.03 "$2" 0.12 vol 0.3
}
tone 880 0.18 "$work/first.wav"
tone 1318.51 0.22 "$work/second.wav"
sox -D "$work/first.wav" "$work/second.wav" sound.wav
sox --i sound.wav
