#!/usr/bin/env bash
# Writes a contact sheet of every generated image (scaled up, on light and on band-coloured tiles)
# to the file given as first argument, for looking at the design.
set -euo pipefail
out="${1:?usage: contact_sheet.sh OUT.png [scale]}"
scale="${2:-200}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
mapfile -t files < <(cd "$root" && find converter/resources bugreport/resources \
    \( -name '*.png' -o -name '*.gif' \) -not -path '*/appicon/*' | sort)
args=()
for f in "${files[@]}"; do
    bg="#FFFFFF"
    case "$f" in *btn_menu*|*btn_min*|*btn_close*|*res/btn_dlgclose*|*png_logo*) bg="#718AB9" ;;
                 *png_close*|*png_converting*|*gif_checking*) bg="#5A6578" ;; esac
    args+=( "(" "$root/$f[0]" -background "$bg" -flatten -filter point -resize "${scale}%" \
            -set label "$(basename "$f")" ")" )
done
convert-im6.q16 "${args[@]}" miff:- | montage-im6.q16 - -tile 8x -geometry +6+6 -background "#DDDDDD" \
    -font DejaVu-Sans -pointsize 11 "$out"
