#!/usr/bin/env bash
# Draws the small flag picture shown beside each shipped language on the language page, from
# plain rectangles and lines, with ImageMagick. Run it again after adding a language.
set -euo pipefail
cd "$(dirname "$0")"

width=48
height=32

# stripes NAME DIRECTION COLOUR...: equal stripes, horizontal ("h") or vertical ("v").
stripes() {
    local name=$1 direction=$2
    shift 2
    local count=$# index=0 draw=()
    for colour in "$@"; do
        if [ "$direction" = h ]; then
            draw+=(-fill "$colour" -draw "rectangle 0,$((index * height / count)) $((width - 1)),$(((index + 1) * height / count - 1))")
        else
            draw+=(-fill "$colour" -draw "rectangle $((index * width / count)),0 $(((index + 1) * width / count - 1)),$((height - 1))")
        fi
        index=$((index + 1))
    done
    convert -size "${width}x${height}" xc:white "${draw[@]}" -quality 92 "$name.jpg"
}

stripes German h '#000000' '#DD0000' '#FFCE00'
stripes French v '#002395' '#FFFFFF' '#ED2939'
stripes Italian v '#009246' '#FFFFFF' '#CE2B37'
stripes Dutch h '#AE1C28' '#FFFFFF' '#21468B'
stripes Polish h '#FFFFFF' '#DC143C'
stripes Russian h '#FFFFFF' '#0039A6' '#D52B1E'

# Spain: red, a yellow band twice as high, red.
convert -size "${width}x${height}" xc:'#AA151B' \
    -fill '#F1BF00' -draw "rectangle 0,$((height / 4)) $((width - 1)),$((height * 3 / 4 - 1))" \
    -quality 92 Spain.jpg

# Portugal: green and red split at two fifths, a yellow ring on the seam.
seam=$((width * 2 / 5))
convert -size "${width}x${height}" xc:'#DA291C' \
    -fill '#046A38' -draw "rectangle 0,0 $((seam - 1)),$((height - 1))" \
    -fill none -stroke '#FFE900' -strokewidth 2 -draw "circle $seam,$((height / 2)) $((seam + 7)),$((height / 2))" \
    -quality 92 Portuguese.jpg

# English: a blue field with the white and red diagonals and the white-edged red cross.
convert -size "${width}x${height}" xc:'#012169' \
    -stroke white -strokewidth 6 -draw "line 0,0 $width,$height" -draw "line 0,$height $width,0" \
    -stroke '#C8102E' -strokewidth 2 -draw "line 0,0 $width,$height" -draw "line 0,$height $width,0" \
    -stroke none -fill white \
    -draw "rectangle $((width / 2 - 5)),0 $((width / 2 + 4)),$((height - 1))" \
    -draw "rectangle 0,$((height / 2 - 5)) $((width - 1)),$((height / 2 + 4))" \
    -fill '#C8102E' \
    -draw "rectangle $((width / 2 - 3)),0 $((width / 2 + 2)),$((height - 1))" \
    -draw "rectangle 0,$((height / 2 - 3)) $((width - 1)),$((height / 2 + 2))" \
    -quality 92 English.jpg
