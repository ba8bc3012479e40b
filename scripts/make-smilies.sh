#!/usr/bin/env bash
# Draws the chat's 18 smiley pictures (17 x 16 PNG, transparent background)
# into resources/pictures/smileyNN.png, NN = 10 .. 27 as typed after ":)#".
set -euo pipefail

out="$(cd "$(dirname "$0")/.." && pwd)/resources/pictures"
mkdir -p "$out"

# face NN FILL EYES MOUTH [EXTRA]: EYES, MOUTH and EXTRA are ImageMagick draw
# primitives on the 17 x 16 canvas; the face is a circle centred at (8, 8).
face() {
    local code=$1 fill=$2 eyes=$3 mouth=$4 extra=${5:-}
    convert -size 17x16 xc:none \
        -fill "$fill" -stroke '#6b4a00' -strokewidth 1 -draw 'circle 8,8 8,1' \
        -fill none -stroke '#202020' -draw "$mouth" \
        -fill '#202020' -stroke none -draw "$eyes" \
        ${extra:+-draw "$extra"} \
        -define png:exclude-chunks=date,time -strip "PNG32:$out/smiley$code.png"
}

dots='rectangle 5,5 6,6 rectangle 10,5 11,6'
wink='rectangle 5,6 7,6 rectangle 10,5 11,6'
closed='rectangle 4,6 7,6 rectangle 10,6 13,6'
big='circle 5.5,5.5 5.5,4 circle 10.5,5.5 10.5,4'
smile='arc 4,5 12,12 20,160'
grin='line 4,9 12,9 arc 4,5 12,13 0,180'
frown='arc 4,10 12,15 200,340'
flat='line 5,11 11,11'
open='ellipse 8,11 2,2 0,360'

face 10 '#ffd800' "$dots" "$smile"
face 11 '#ffd800' "$dots" "$frown"
face 12 '#ffd800' "$wink" "$smile"
face 13 '#ffd800' "$dots" "$grin"
face 14 '#ffd800' "$big" "$open"
face 15 '#ffd800' "$dots" "$flat"
face 16 '#ffd800' "$dots" "$smile" 'fill #e0245e rectangle 8,11 10,13'
face 17 '#ffd800' 'rectangle 3,4 7,7 rectangle 9,4 13,7 rectangle 7,5 9,5' "$smile"
face 18 '#ff5a36' 'line 4,4 7,6 line 12,4 9,6 rectangle 5,6 6,7 rectangle 10,6 11,7' "$frown"
face 19 '#8cc8ff' "$dots" "$frown" 'fill #1f6fd0 rectangle 5,8 5,10'
face 20 '#ffd800' "$closed" "$grin"
face 21 '#ffd800' "$dots" 'ellipse 9,11 1,1 0,360' 'fill #e0245e rectangle 11,8 12,9 rectangle 13,7 13,7'
face 22 '#ffd800' "$closed" "$flat" 'fill #4060ff rectangle 13,1 15,1 rectangle 14,2 14,2 rectangle 13,3 15,3'
face 23 '#ffb0c8' "$dots" "$smile" 'fill #e0245e circle 3,9 3,10 circle 13,9 13,10'
face 24 '#ffd800' "$big" "$grin"
face 25 '#a0e070' "$dots" 'line 4,11 6,10 line 6,10 8,12 line 8,12 10,10 line 10,10 12,11'
face 26 '#ffd800' "$dots" "$smile" 'fill #202020 rectangle 3,0 13,1 rectangle 5,-1 11,0'
face 27 '#ffd800' "$dots" "$open" 'fill #ffffff stroke #202020 polygon 1,1 5,1 3,4'
ls "$out"/smiley*.png | wc -l
