#!/usr/bin/env bash
# Draws the raster pictures of app/resource/ with ImageMagick (package imagemagick):
# the window icon, the login logo and the window background. The outputs are committed;
# rerun after changing a drawing here. Metadata is stripped so reruns give the same bytes.
set -euo pipefail
OUT=${1:-"$(cd "$(dirname "$0")/.." && pwd)/app/resource"}
FONT=DejaVu-Sans-Bold
SKY='#87CEEB'
DEEP='#1F6E9C'
CLEAN=(-strip -define png:exclude-chunks=date,time)

# Window icon: a sky-blue rounded tile with a white Q and a red tick, in four sizes.
convert -size 256x256 xc:none \
  -fill "$SKY" -draw 'roundrectangle 8,8 247,247 48,48' \
  -fill white -font "$FONT" -pointsize 190 -gravity center -annotate +0-8 'Q' \
  -fill '#CD2626' -draw 'polygon 150,176 214,236 190,244 134,190' \
  -depth 8 -define icon:auto-resize=256,48,32,16 "$OUT/qeto.ico"

# Login logo, 380x60 on a transparent ground: a small candle mark and the name.
convert -size 380x60 xc:none \
  -fill "$SKY" -draw 'roundrectangle 6,8 50,52 8,8' \
  -fill white -draw 'rectangle 16,22 21,42' -draw 'rectangle 26,16 31,36' -draw 'rectangle 36,26 41,46' \
  -fill "$DEEP" -font "$FONT" -pointsize 38 -gravity west -annotate +62+0 'Qeto-Desk' \
  "${CLEAN[@]}" "$OUT/Qeto-Desk.png"

# Window background, 1280x720: a soft diagonal gradient from pale sky to white.
convert -size 1280x720 -define gradient:angle=135 gradient:'#D6ECF7-#FAFDFF' \
  -strip -quality 90 "$OUT/background.jpg"

# Menu icon of the Debian package: the SVG drawn by hand, rendered to the hicolor sizes
# (rsvg-convert, package librsvg2-bin).
ICONS="$(cd "$(dirname "$0")/.." && pwd)/packaging/icons"
for size in 16 24 32 48 64 128 256; do
  mkdir -p "$ICONS/hicolor/${size}x${size}"
  rsvg-convert -w "$size" -h "$size" "$ICONS/qeto-desk.svg" |
    convert png:- "${CLEAN[@]}" "$ICONS/hicolor/${size}x${size}/qeto-desk.png"
done

echo "pictures written to $OUT and $ICONS"
