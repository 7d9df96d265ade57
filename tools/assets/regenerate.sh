#!/usr/bin/env bash
# Regenerates every image of converter/resources and bugreport/resources from the drawings in
# pixvue_assets.py. Needs python3, rsvg-convert (librsvg2-bin) and ImageMagick.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
python3 "$here/pixvue_assets.py" "$root" "$@"
