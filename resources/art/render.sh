#!/usr/bin/env bash
# Renders every picture from its vector source, builds the stock glyphs from their pixel
# maps, checks sizes and formats, and rebuilds the contact sheet docs/artwork.png.
# Needs python3, rsvg-convert (Debian: librsvg2-bin) and ImageMagick. The build does not
# run this: it uses the committed PNG and BMP files.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cd "$here"

# name and size (width x height) of every picture
pictures=(
  category-data:48x48 category-music:48x48 category-video:48x48 category-tools:48x48
  task-grab-audio:48x48 task-disc-eraser:48x48 task-device-info:48x48
  task-iso-burner:48x48 task-iso-grabber:48x48
  glyph-help:32x32 glyph-ok:32x32
  leftlogo:171x238
  app-16:16x16 app-24:24x24 app-32:32x32 app-48:48x48 app-64:64x64 app-128:128x128 app-256:256x256
)
stock=(ok cancel help yes no close abort retry ignore all)

python3 compose.py
for entry in "${pictures[@]}"; do
  name=${entry%%:*}
  rsvg-convert "svg/$name.svg" -o "$name.png"
  python3 pngrgba.py "$name.png"
  size=${entry#*:}
  python3 pngrgba.py --check "${size%x*}" "${size#*x}" "$name.png"
done
python3 stock.py stock

# Contact sheet: each picture on white and on the selection grey #808080, at 1x and
# magnified without smoothing (4x; 2x for the logo and the 128 px icon, none for 256 px).
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
[ -n "${ART_KEEP:-}" ] && trap - EXIT && echo "$tmp"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
tile() {  # tile NAME SOURCE ZOOM (ZOOM 1: the 1x pair only)
  local name=$1 src=$2 zoom=$3
  if [ "$zoom" = 1 ]; then
    convert "$src" \( +clone -background white -flatten -bordercolor white -border 6 \) \
      \( -clone 0 -background '#808080' -flatten -bordercolor '#808080' -border 6 \) -delete 0 +append \
      "$tmp/$name.png"
    return
  fi
  convert \
    \( \( "$src" -background white -flatten -bordercolor white -border 6 \) \
       \( "$src" -background '#808080' -flatten -bordercolor '#808080' -border 6 \) +append \) \
    \( \( "$src" -filter point -resize "${zoom}00%" -background white -flatten -bordercolor white -border 6 \) \
       \( "$src" -filter point -resize "${zoom}00%" -background '#808080' -flatten -bordercolor '#808080' -border 6 \) +append \) \
    -background '#E8E8E8' -gravity west -append "$tmp/$name.png"
}
row() {  # row OUT TILE... : tiles side by side, each with its name above
  local out=$1 parts=() t
  shift
  for t in "$@"; do
    convert -font "$font" -pointsize 11 -background '#E8E8E8' -fill '#333333' "label:$(basename "$t" .png)" \
      "$t" -gravity west -append -bordercolor '#E8E8E8' -border 8 "$t.l.png"
    parts+=("$t.l.png")
  done
  convert "${parts[@]}" -background '#E8E8E8' -gravity north +append "$out"
}
heading() {  # heading OUT TEXT
  convert -font "$font" -pointsize 15 -background '#E8E8E8' -fill '#333333' "label:$2" \
    -bordercolor '#E8E8E8' -border 8 "$1"
}
for entry in "${pictures[@]}"; do
  name=${entry%%:*}
  case $name in
    leftlogo|app-128) tile "$name" "$name.png" 2 ;;
    app-256) tile "$name" "$name.png" 1 ;;
    *) tile "$name" "$name.png" 4 ;;
  esac
done
for name in "${stock[@]}"; do
  convert "stock/$name.bmp" -transparent '#FF00FF' PNG32:"$tmp/$name-glyph.png"
  tile "stock-$name" "$tmp/$name-glyph.png" 4
done
t() { for n in "$@"; do printf '%s\n' "$tmp/$n.png"; done; }
heading "$tmp/h1.png" "Pictures on white and on the selection grey #808080: 1x above, 4x below"
row "$tmp/r1.png" $(t category-data category-music category-video category-tools)
row "$tmp/r2.png" $(t task-grab-audio task-disc-eraser task-device-info task-iso-burner)
row "$tmp/r3.png" $(t task-iso-grabber glyph-help glyph-ok app-16 app-24)
row "$tmp/r4.png" $(t app-32 app-48 app-64)
heading "$tmp/h2.png" "Stock button glyphs, normal and disabled cell: 1x above, 4x below"
row "$tmp/r5.png" $(t stock-ok stock-cancel stock-help stock-yes stock-no)
row "$tmp/r6.png" $(t stock-close stock-abort stock-retry stock-ignore stock-all)
heading "$tmp/h3.png" "About logo and application icon 128 px: 1x and 2x; application icon 256 px: 1x"
row "$tmp/r7.png" $(t leftlogo app-128)
row "$tmp/r8.png" $(t app-256)
mkdir -p "$root/docs"
convert "$tmp"/h1.png "$tmp"/r[1-4].png "$tmp"/h2.png "$tmp"/r[56].png "$tmp"/h3.png "$tmp"/r[78].png \
  -background '#E8E8E8' -gravity west -append -strip PNG24:"$root/docs/artwork.png"
echo "rendered ${#pictures[@]} pictures, ${#stock[@]} stock glyphs, docs/artwork.png"
