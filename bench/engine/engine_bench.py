"""Runs the engine and heif-dec on the same samples; see run-engine-bench.sh."""
import os
import statistics
import subprocess
import sys
import time

PHONE_SAMPLES = ["pillow_heif/arrow.heic", "pillow_heif/iPhoneXR.heic", "pillow_heif/pug.heic",
                 "pillow_heif/PUG3.HEIC", "libvips/heic-orientation-6.heic", "libvips/Example1.heic"]
HUGE_SAMPLE = "pillow_heif/200MP.heic"


def measured(command):
    """Wall seconds and peak resident megabytes of one child process."""
    start = time.perf_counter()
    child = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    output = child.stdout.read()
    _, status, usage = os.wait4(child.pid, 0)
    seconds = time.perf_counter() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        sys.exit(f"failed: {' '.join(command)}")
    return seconds, usage.ru_maxrss / 1024.0, output.decode()


def runs_of(command, runs):
    results = [measured(command) for _ in range(runs)]
    wall = statistics.median(r[0] for r in results)
    peak = max(r[1] for r in results)
    return wall, peak, [r[2] for r in results]


def bench_file(engine, sample, work, runs):
    name = os.path.basename(sample)
    peer_wall, peer_peak, _ = runs_of(["heif-dec", "-q", "90", sample, f"{work}/peer.jpg"], runs)
    fresh_wall, fresh_peak, outputs = runs_of([engine, "fresh", sample, f"{work}/fresh"], runs)
    fresh_call = statistics.median(float(o.split()[0]) for o in outputs)
    _, _, outputs = runs_of([engine, "stored", sample, f"{work}/stored", str(runs)], 1)
    stored_call = statistics.median(float(t) for t in outputs[0].split())
    print(f"{name:<26} {peer_wall:7.3f} {peer_peak:6.0f} | {fresh_call:7.3f} {fresh_wall:7.3f} "
          f"{fresh_peak:6.0f} | {stored_call:7.3f} | {fresh_call / peer_wall:5.2f}x "
          f"{stored_call / peer_wall:5.2f}x {fresh_peak / peer_peak:5.2f}x")
    return fresh_call / peer_wall, stored_call / peer_wall, fresh_peak / peer_peak


def main():
    engine, data, work = sys.argv[1:4]
    print(f"JPG quality 90, 100 %, EXIF kept; {os.cpu_count()} cores; median of runs, peak memory in MB")
    print(f"{'':<26} {'heif-dec':>14} | {'engine, decoded for the call':>30} | {'stored':>7} | ratios to heif-dec")
    print(f"{'file':<26} {'wall':>7} {'peak':>6} | {'call':>7} {'process':>7} {'peak':>6} | "
          f"{'call':>7} | fresh stored peak")
    phone = []
    for sample in PHONE_SAMPLES:
        path = os.path.join(data, sample)
        if os.path.exists(path):
            phone.append(bench_file(engine, path, work, 5))
    huge = os.path.join(data, HUGE_SAMPLE)
    if os.path.exists(huge):
        bench_file(engine, huge, work, 3)
    if phone:
        print(f"12 MP median ratios: fresh {statistics.median(p[0] for p in phone):.2f}x, "
              f"stored {statistics.median(p[1] for p in phone):.2f}x of heif-dec's wall time")


main()
