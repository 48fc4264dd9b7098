#!/usr/bin/env bash
# Regenerates the README's pictures in docs/images/ from a fresh walkthrough run:
# builds qeto-walkthrough, runs it headless and keeps a few of its pictures, shrunk to
# 256-colour PNGs with ImageMagick so that they stay small in the repository.
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$(pwd)
OUT=$ROOT/docs/images
GALLERY=$(mktemp -d -t qeto-walkthrough.XXXXXX)
trap 'rm -rf "$GALLERY"' EXIT

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"${JOBS:-2}" --target qeto-walkthrough qeto-sim
QT_QPA_PLATFORM=offscreen build/walkthrough/qeto-walkthrough "$GALLERY" >/dev/null

# picture <step> <file> <width>: the picture of the journey step of that name.
picture() {
  local src
  src=$(grep -F "<figure id=\"$1\">" "$GALLERY/index.html" | head -n1 | sed 's/.*img src="\([^"]*\)".*/\1/')
  if [ -z "$src" ]; then echo "no picture of step '$1'" >&2; exit 1; fi
  convert "$GALLERY/$src" -resize "$3x>" -strip -colors 256 -define png:exclude-chunks=date,time "PNG8:$OUT/$2"
}

mkdir -p "$OUT"
picture login-wrong-password login.png 640
picture orders-ticked workspace.png 960
picture order-window-marketable order-window.png 510
picture hot-keys hot-keys.png 960
picture order-window-keyboard order-window-keyboard.png 510
picture funds-after-fill funds.png 260
picture deposit-withdrawal deposit.png 660
picture transfer transfer.png 800
du -ch "$OUT"/*.png | tail -n1
