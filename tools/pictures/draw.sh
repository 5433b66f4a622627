#!/usr/bin/env bash
# Draws the program's pictures into src/ui/resources (ImageMagick). Run again after a change.
set -euo pipefail
out="$(cd "$(dirname "$0")/../../src/ui/resources" && pwd)"
im=/usr/bin/convert

# Window icon: a grey-and-yellow terminal case, a white screen with rows of text, a strip of
# red and green lamps below the screen. Drawn at 32 x 32, scaled down for 16 x 16.
$im -size 32x32 xc:none \
  -fill '#c0c0c0' -stroke '#404040' -draw 'roundrectangle 1,2 30,29 3,3' \
  -fill '#ffd800' -stroke none -draw 'rectangle 2,3 29,5' \
  -fill white -stroke '#404040' -draw 'rectangle 5,7 26,20' \
  -stroke '#000080' -draw 'line 7,10 20,10' -draw 'line 7,13 23,13' -draw 'line 7,16 16,16' \
  -stroke none -fill '#ffd800' -draw 'rectangle 3,22 28,27' \
  -fill '#e00000' -draw 'rectangle 6,24 8,25' -draw 'rectangle 11,24 13,25' \
  -fill '#00c000' -draw 'rectangle 18,24 20,25' -draw 'rectangle 23,24 25,25' \
  -colors 16 "PNG8:$out/terminal.png"
$im "$out/terminal.png" -resize 16x16 -colors 16 "PNG8:$out/terminal16.png"

# Warning picture: a yellow triangle with a black exclamation mark.
$im -size 32x32 xc:none \
  -fill '#ffd800' -stroke black -strokewidth 1.5 -draw 'polygon 16,2 30,29 2,29' \
  -fill black -stroke none -draw 'polygon 14.5,10 17.5,10 16.8,21 15.2,21' \
  -draw 'circle 16,25 16,26.6' \
  "PNG8:$out/warning.png"

# About logo, 127 x 68: the maker's wordmark over a strip of lamps.
$im -size 127x68 xc:white \
  -fill '#1c2f6b' -draw 'roundrectangle 2,2 124,65 6,6' \
  -fill '#ffd800' -draw 'rectangle 8,44 118,47' \
  -font DejaVu-Sans-Bold -pointsize 22 -fill white -gravity north -annotate +0+10 'BRENIX' \
  -font DejaVu-Sans -pointsize 8 -fill '#ffd800' -gravity south -annotate +0+6 'INDUSTRIES, INC.' \
  -gravity northwest -fill '#e00000' -draw 'circle 12,56 12,58' \
  -fill '#00c000' -draw 'circle 115,56 115,58' \
  "PNG8:$out/logo.png"
