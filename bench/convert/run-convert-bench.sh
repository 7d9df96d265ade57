#!/usr/bin/env bash
# Converts 20 copies of the 12 MP phone samples to JPG at the default settings (quality 100,
# 100 %, EXIF kept): through the file list, the progress dialog and its worker (several files at
# once, then one at a time, then after collecting every file), through the engine in a plain
# loop, through pixvue-convert -j (one file per core), and through heif-dec with one process per
# core; prints median wall times, their ratios and the longest stall of the GUI thread.
#   bench/convert/run-convert-bench.sh [build dir]     samples from $PIXVUE_TESTDATA
#   PIXVUE_BENCH_ROUNDS=n                              rounds of every case (default 2)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build}
DATA=${PIXVUE_TESTDATA:-$ROOT/../shared/testdata}
if [ ! -d "$DATA" ]; then
  echo "no samples folder at $DATA (set PIXVUE_TESTDATA)" >&2
  exit 1
fi
command -v heif-dec >/dev/null || { echo "heif-dec is missing (package libheif-examples)" >&2; exit 1; }
cmake --build "$BUILD" --target bench_convert pixvue-convert >/dev/null
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export XDG_DATA_HOME=$WORK/home XDG_CONFIG_HOME=$WORK/config QT_QPA_PLATFORM=offscreen
exec python3 "$ROOT/bench/convert/convert_bench.py" "$BUILD/bench/bench_convert" "$DATA" "$WORK" \
  "$BUILD/bin/pixvue-convert"
