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

exec build/bin/zentarPixvue "$@"
