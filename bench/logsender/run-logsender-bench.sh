#!/usr/bin/env bash
# One minute's pass of the log sender over a day's log of 1,000,000 lines, against
# tail+head doing the same skip-and-take in one run.
#   bench/logsender/run-logsender-bench.sh [build dir]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build}
cmake --build "$BUILD" --target bench_logsender_pass >/dev/null
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
LOG=$WORK/day.log
python3 - "$LOG" <<'PY'
import sys
with open(sys.argv[1], "w") as f:
    for i in range(1_000_000):
        f.write(f"[2026-12-08 10:{i // 60000 % 60:02d}:{i // 1000 % 60:02d},{i % 1000:03d}][INFO]-->"
                f"[QProcessThread::slotConvertImage,{i % 900}] convert file {i} to /home/user/Pixvue/JPG\n")
PY
SKIP=990000
read -r OURS TAKEN < <("$BUILD/bench/bench_logsender_pass" "$LOG" $SKIP 7)
PEER=$(python3 - "$LOG" $SKIP <<'PY'
import subprocess, sys, time
log, skip = sys.argv[1], int(sys.argv[2])
runs = []
for _ in range(7):
    t = time.perf_counter()
    subprocess.run(f"tail -n +{skip + 1} '{log}' | head -n 10000 > /dev/null", shell=True, check=True)
    runs.append(time.perf_counter() - t)
print(f"{sorted(runs)[len(runs) // 2]:.4f}")
PY
)
SIZE=$(du -m "$LOG" | cut -f1)
echo "log of 1000000 lines (${SIZE} MB), ${SKIP} already sent, ${TAKEN} taken"
echo "log sender pass: ${OURS} s (median of 7)"
echo "tail | head    : ${PEER} s (median of 7)"
python3 -c "print(f'ratio log sender / tail+head: {$OURS / $PEER:.2f}x')"
