#!/usr/bin/env bash
# Converts the 12 MP phone samples, two AVIF pictures, a 10-bit HIF and the 200 MP sample to
# JPG quality 90, to JPG with the default settings (quality 100, EXIF kept) and to PNG, through
# the engine (decoded for the call, and after collection) and through heif-dec, and prints
# median wall times, peak memory and their ratios; then the default settings once with each HEVC decoder plugin of libheif.
#   bench/engine/run-engine-bench.sh [build dir]      samples from $PIXVUE_TESTDATA
# A shorter run: ENGINE_BENCH_RUNS=3 ENGINE_BENCH_HUGE_RUNS=1 ENGINE_BENCH_MODES="default png"
# ENGINE_BENCH_PLUGINS=0; ENGINE_BENCH_STORED=0 leaves out the conversions after collection,
# ENGINE_BENCH_OTHERS=0 the AVIF and HIF rows. Modes: jpg90 default png noexif90 half90 bmp
# noexif100 half100 halfnoexif90 halfnoexif100 png50 bmp50.
# For PNG the last column gives the file's size against heif-dec's.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build}
DATA=${PIXVUE_TESTDATA:-$ROOT/../shared/testdata}
if [ ! -d "$DATA" ]; then
  echo "no samples folder at $DATA (set PIXVUE_TESTDATA)" >&2
  exit 1
fi
command -v heif-dec >/dev/null || { echo "heif-dec is missing (package libheif-examples)" >&2; exit 1; }
cmake --build "$BUILD" --target bench_engine_convert >/dev/null
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export XDG_DATA_HOME=$WORK/home
exec python3 "$ROOT/bench/engine/engine_bench.py" "$BUILD/bench/bench_engine_convert" "$DATA" "$WORK"
