#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Pixvue and runs every test: the format check, the release
# build, the fuzz targets for a bounded time, then the AddressSanitizer+UBSan and ThreadSanitizer
# builds. Each stage prints the time it took, and the end a summary of all of them.
#   PIXVUE_SKIP_SETUP=1        do not install packages
#   PIXVUE_SKIP_SANITIZERS=1   only the release build and the fuzz run
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
JOBS=$(nproc)
RUN_START=$SECONDS
STAGE_TIMES=()

# Runs "$@" as the stage named $1 (the rest is the command) and records its time.
stage() {
  local name=$1
  shift
  local start=$SECONDS
  echo "=== $name"
  "$@"
  local took=$((SECONDS - start))
  STAGE_TIMES+=("$(printf '%-16s %3d:%02d' "$name" $((took / 60)) $((took % 60)))")
  printf '=== %s took %d:%02d\n' "$name" $((took / 60)) $((took % 60))
}

print_stage_times() {
  local total=$((SECONDS - RUN_START))
  echo "=== stage times (min:s)"
  printf '  %s\n' "${STAGE_TIMES[@]}"
  printf '  %-16s %3d:%02d\n' total $((total / 60)) $((total % 60))
}
trap print_stage_times EXIT

# Our own C++ sources, formatted as .clang-format says.
check_format() {
  git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
}

configure_and_build() {
  local preset=$1 dir=$2
  cmake --preset "$preset" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}

run_tests() {
  ctest --test-dir "$1" --output-on-failure -j "$JOBS"
}

if [ "${PIXVUE_SKIP_SETUP:-0}" != 1 ]; then
  stage setup bash scripts/setup-debian.sh
fi

stage format check_format
stage "release build" configure_and_build release build
stage "release tests" run_tests build
stage install bash tests/install/check-install.sh build

if [ -f tests/fuzz/run-fuzz.sh ]; then
  stage fuzz bash tests/fuzz/run-fuzz.sh
fi

if [ "${PIXVUE_SKIP_SANITIZERS:-0}" != 1 ]; then
  SUPP=$ROOT/tests/sanitizers
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
  export LSAN_OPTIONS="suppressions=$SUPP/lsan.supp:print_suppressions=0:fast_unwind_on_malloc=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  stage "asan build" configure_and_build asan build-asan
  stage "asan tests" run_tests build-asan
  unset ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS
  # Every TSan test sets its TSAN_OPTIONS (tests/sanitizers/tsan.supp); the tsan_canary test
  # expects its deliberate race to be reported through those suppressions.
  stage "tsan build" configure_and_build tsan build-tsan
  stage "tsan tests" run_tests build-tsan
fi
echo "=== all tests passed"
