#!/usr/bin/env bash
# Draws the program icon (a shield with a check mark) from simple shapes and writes
# vantorel.ico with 16, 32, 48 and 256 pixel images. Run it again after changing the drawing.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 256x256 xc:none \
    -fill '#1f5fa8' -stroke '#0d3460' -strokewidth 10 \
    -draw "path 'M 128,16 L 228,52 L 228,120 C 228,186 184,224 128,244 C 72,224 28,186 28,120 L 28,52 Z'" \
    -fill none -stroke white -strokewidth 26 -draw "stroke-linejoin round stroke-linecap round line 78,130 114,168 line 114,168 182,92" \
    -define icon:auto-resize=256,48,32,16 vantorel.ico
