#!/bin/bash
# Contact sheets for reviewing the character art: per edition one PNG with
# every pose composed with the balloon at 1:1 (420x350, as the character
# window shows it) on mid-grey and on white, then the three icons at every
# size on both backgrounds; and one more PNG (EDITION@2x.png) with the poses
# drawn at twice the size composed with the balloon drawn at twice the size
# (840x700, as the window shows them at 200 % display scale).
#
#   assets/art/contact_sheet.sh [OUTPUT_FOLDER]   (default: build/contact-sheet)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
dest=${1:-$root/build/contact-sheet}
art=$here/out
ids="150 151 152 153 154 155 156 157 158 159 160 138 140 142 143 144 145 146 147 148"
grey='#808080'

# ImageMagick 6 (convert, montage) or 7 (magick)
if command -v magick >/dev/null 2>&1; then
  im() { magick "$@"; }
  montage_() { magick montage "$@"; }
elif [ -x /usr/bin/convert ]; then
  im() { /usr/bin/convert "$@"; }
  montage_() { /usr/bin/montage "$@"; }
else
  echo "contact_sheet: ImageMagick is needed (apt-get install imagemagick)" >&2
  exit 1
fi

mkdir -p "$dest"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for ed in hinata tsubaki sazanka; do
  [ -d "$art/$ed" ] || continue
  frames=()
  doubles=()
  for id in $ids; do
    im -size 420x350 xc:none "$art/balloon/149.png" -geometry +0+0 -composite \
      "$art/$ed/$id.png" -geometry +245+0 -composite "PNG32:$work/$ed-$id.png"
    frames+=("$work/$ed-$id.png")
    if [ -f "$art/$ed/$id@2x.png" ]; then
      im -size 840x700 xc:none "$art/balloon/149@2x.png" -geometry +0+0 -composite \
        "$art/$ed/$id@2x.png" -geometry +490+0 -composite "PNG32:$work/$ed-$id@2x.png"
      doubles+=("$work/$ed-$id@2x.png")
    fi
  done
  for bg in "$grey" white; do
    name=$([ "$bg" = white ] && echo white || echo grey)
    montage_ -label '%t' -font DejaVu-Sans -pointsize 12 "${frames[@]}" -tile 5x \
      -geometry +6+6 -background "$bg" "$work/$ed-poses-$name.png"
    if [ ${#doubles[@]} -gt 0 ]; then
      montage_ -label '%t' -font DejaVu-Sans -pointsize 24 "${doubles[@]}" -tile 5x \
        -geometry +12+12 -background "$bg" "$work/$ed-doubles-$name.png"
    fi
  done
  if [ ${#doubles[@]} -gt 0 ]; then
    im "$work/$ed-doubles-grey.png" "$work/$ed-doubles-white.png" -background white -append \
      +repage -depth 8 "$dest/$ed@2x.png"
    echo "$dest/$ed@2x.png"
  fi
  icons=()
  for icon in 130 134 135; do
    # every image of the .ico, smallest first, side by side at 1:1
    im "$art/$ed/$icon.ico" -background none -gravity south +append +repage "PNG32:$work/$ed-icon-$icon.png"
    icons+=("$work/$ed-icon-$icon.png")
  done
  for bg in "$grey" white; do
    name=$([ "$bg" = white ] && echo white || echo grey)
    im "${icons[@]}" -background none -gravity west -splice 24x0 -gravity south +append +repage \
      -background "$bg" -flatten -bordercolor "$bg" -border 12 "$work/$ed-icons-$name.png"
  done
  im "$work/$ed-poses-grey.png" "$work/$ed-icons-grey.png" "$work/$ed-poses-white.png" \
    "$work/$ed-icons-white.png" -background white -gravity west -append +repage -depth 8 "$dest/$ed.png"
  echo "$dest/$ed.png"
done
