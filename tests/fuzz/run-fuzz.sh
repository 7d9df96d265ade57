#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each one for a bounded time on a
# seed corpus made from the real samples (HEIC, HEIF and AVIF) and the test fixtures. Exits non-zero when a target
# finds a crash, leak or time-out; the reproducer is kept in build-fuzz/fuzz-artifacts.
#   PIXVUE_FUZZ_SECONDS   time per target (30)
#   PIXVUE_FUZZ_TARGETS   targets to run (both)
#   PIXVUE_TESTDATA       folder of real samples (../shared/testdata)
#   PIXVUE_FUZZ_SEED      random seed (1, so that a run can be repeated; 0 picks one)
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD
BUILD=$ROOT/build-fuzz
SECONDS_PER_TARGET=${PIXVUE_FUZZ_SECONDS:-30}
FUZZ_SEED=${PIXVUE_FUZZ_SEED:-1}
TARGETS=${PIXVUE_FUZZ_TARGETS:-"fuzz_orientation fuzz_heic_to_jpgdata"}
TESTDATA=${PIXVUE_TESTDATA:-$ROOT/../shared/testdata}
HEIC_MAX_LEN=$((2 * 1024 * 1024))
EXIF_MAX_LEN=65536

echo "--- building the fuzz targets in $BUILD"
if ! grep -qs '^PIXVUE_FUZZ:BOOL=ON' "$BUILD/CMakeCache.txt"; then
  CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPIXVUE_FUZZ=ON >/dev/null
fi
# shellcheck disable=SC2086
cmake --build "$BUILD" -j2 --target $TARGETS

echo "--- preparing the seed corpora"
SEEDS=$BUILD/fuzz-seeds
rm -rf "$SEEDS"
mkdir -p "$SEEDS/fuzz_heic_to_jpgdata" "$SEEDS/fuzz_orientation" "$SEEDS/exif"
rm -rf "$BUILD/fuzz-fixtures"
bash tests/fixtures/make-fixtures.sh "$BUILD/fuzz-fixtures"

heic_samples=()
for dir in "$BUILD/fuzz-fixtures" "$TESTDATA/libheif" "$TESTDATA/pillow_heif" \
           "$TESTDATA/pillow_heif/corrupted" "$TESTDATA/pillow_heif/heif_truncated" \
           "$TESTDATA/libvips" "$TESTDATA/sdwebimage" "$TESTDATA/avif"; do
  [ -d "$dir" ] || continue
  for file in "$dir"/*.heic "$dir"/*.HEIC "$dir"/*.heif "$dir"/*.hif "$dir"/*.avif; do
    # Larger seeds than the decoder target accepts would only be cut short.
    if [ -f "$file" ] && [ "$(stat -c %s "$file")" -le "$HEIC_MAX_LEN" ]; then
      heic_samples+=("$file")
    fi
  done
done
if [ ! -d "$TESTDATA" ]; then
  echo "no samples folder at $TESTDATA: seeds from the fixtures only"
fi
i=0
for file in "${heic_samples[@]}"; do
  cp "$file" "$SEEDS/fuzz_heic_to_jpgdata/$i-$(basename "$file")"
  i=$((i + 1))
done

# The orientation readers get JPEG streams and EXIF blocks as a HEIF file stores them.
cp "$BUILD"/fuzz-fixtures/orient-*.jpg "$SEEDS/fuzz_orientation/"
exiftool -q -q -b -Exif -w "$SEEDS/exif/%c%f.tiff" "${heic_samples[@]}" 2>/dev/null || true
python3 - "$SEEDS/exif" "$SEEDS/fuzz_orientation" "$EXIF_MAX_LEN" <<'PY'
import os, struct, sys
src, out, max_len = sys.argv[1], sys.argv[2], int(sys.argv[3])
for name in sorted(os.listdir(src)):
    tiff = open(os.path.join(src, name), "rb").read()
    if not tiff or len(tiff) + 4 > max_len:
        continue
    stem = os.path.splitext(name)[0]
    open(os.path.join(out, stem + ".heif-exif"), "wb").write(b"\0\0\0\0" + tiff)
    if len(tiff) <= 65533 - 6:
        app1 = b"\xff\xe1" + struct.pack(">H", 2 + 6 + len(tiff)) + b"Exif\0\0" + tiff
        open(os.path.join(out, stem + ".jpg"), "wb").write(b"\xff\xd8" + app1 + b"\xff\xd9")
PY
echo "seeds: $(ls "$SEEDS/fuzz_heic_to_jpgdata" | wc -l) HEIF files," \
     "$(ls "$SEEDS/fuzz_orientation" | wc -l) JPEG streams and EXIF blocks"

# Corpus copies live in a scratch folder so that a run grows nothing in the tree.
WORK=$(mktemp -d "${TMPDIR:-/tmp}/pixvue-fuzz.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
ARTIFACTS=$BUILD/fuzz-artifacts
mkdir -p "$ARTIFACTS"

export ASAN_OPTIONS="detect_leaks=1"
export LSAN_OPTIONS="suppressions=$ROOT/tests/fuzz/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

failed=0
for target in $TARGETS; do
  case $target in
    fuzz_heic_to_jpgdata) max_len=$HEIC_MAX_LEN ;;
    *) max_len=$EXIF_MAX_LEN ;;
  esac
  corpus=$WORK/corpus-$target
  cp -r "$SEEDS/$target" "$corpus"
  echo "--- $target for ${SECONDS_PER_TARGET} s"
  status=0
  (cd "$WORK" && TMPDIR=$WORK "$BUILD/fuzz/$target" -max_total_time="$SECONDS_PER_TARGET" -seed="$FUZZ_SEED" \
    -timeout=10 -rss_limit_mb=2048 -max_len="$max_len" -print_final_stats=1 \
    -artifact_prefix="$ARTIFACTS/$target-" "$corpus" >"$WORK/$target.log" 2>&1) || status=$?
  grep -E '^(#[0-9]+[[:space:]]+(INITED|DONE)|stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb))' \
    "$WORK/$target.log" || true
  if [ "$status" -ne 0 ]; then
    failed=1
    tail -n 60 "$WORK/$target.log"
    cp "$WORK/$target.log" "$ARTIFACTS/$target.log"
    echo "FAILED: $target (exit $status); log in $ARTIFACTS/$target.log"
    grep -o "Test unit written to .*" "$WORK/$target.log" | sed 's/^Test unit written to /reproducer: /' || true
    echo "replay: $BUILD/fuzz/$target <reproducer>"
  fi
done
exit "$failed"
