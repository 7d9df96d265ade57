#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Pixvue and runs every test: the release build, the fuzz
# targets for a bounded time, then the AddressSanitizer+UBSan and ThreadSanitizer builds.
#   PIXVUE_SKIP_SETUP=1        do not install packages
#   PIXVUE_SKIP_SANITIZERS=1   only the release build and the fuzz run
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
JOBS=$(nproc)

if [ "${PIXVUE_SKIP_SETUP:-0}" != 1 ]; then
  bash scripts/setup-debian.sh
fi

build_and_test() {
  local preset=$1 dir=$2
  echo "=== $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build "$dir" -j "$JOBS"
  echo "=== $preset tests"
  ctest --test-dir "$dir" --output-on-failure -j "$JOBS"
}

build_and_test release build

if [ -x tests/fuzz/run-fuzz.sh ] || [ -f tests/fuzz/run-fuzz.sh ]; then
  echo "=== fuzz (bounded)"
  bash tests/fuzz/run-fuzz.sh
fi

if [ "${PIXVUE_SKIP_SANITIZERS:-0}" != 1 ]; then
  SUPP=$ROOT/tests/sanitizers
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
  export LSAN_OPTIONS="suppressions=$SUPP/lsan.supp:print_suppressions=0:fast_unwind_on_malloc=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  build_and_test asan build-asan
  unset ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS
  export TSAN_OPTIONS="suppressions=$SUPP/tsan.supp:halt_on_error=1:second_deadlock_stack=1"
  build_and_test tsan build-tsan
fi
echo "=== all tests passed"
