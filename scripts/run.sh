#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Pixvue and starts it.
#   PIXVUE_SKIP_SETUP=1   do not install packages
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${PIXVUE_SKIP_SETUP:-0}" != 1 ]; then
  bash scripts/setup-debian.sh
fi
cmake --preset release >/dev/null
cmake --build build -j "$(nproc)"

BIN=build/bin
if [ -x "$BIN/zentarPixvue" ]; then
  exec "$BIN/zentarPixvue" "$@"
fi
# Until the converter window exists, the gallery shows every widget and dialog built so far.
if [ -x "$BIN/pixvue-gallery" ]; then
  OUT=${1:-$PWD/gallery}
  "$BIN/pixvue-gallery" "$OUT"
  echo "Gallery written to $OUT (en/ and zh/, a contact sheet per group)"
  exit 0
fi
echo "Nothing to start yet: no program has been built." >&2
exit 1
