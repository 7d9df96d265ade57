"""A conversion run of 20 phone photos, ours against heif-dec; see run-convert-bench.sh."""
import os
import shutil
import statistics
import subprocess
import sys
import time

PHONE_SAMPLES = ["pillow_heif/iPhoneXR.heic", "pillow_heif/pug.heic", "pillow_heif/arrow.heic",
                 "libvips/heic-orientation-6.heic", "libvips/Example1.heic"]
FILES = 20
CORES = os.cpu_count() or 1


def make_sources(data, folder):
    """FILES copies of the phone samples, in turn, and their contents read once."""
    samples = [os.path.join(data, s) for s in PHONE_SAMPLES if os.path.exists(os.path.join(data, s))]
    if not samples:
        sys.exit(f"none of the phone samples in {data}")
    os.makedirs(folder)
    for i in range(FILES):
        shutil.copyfile(samples[i % len(samples)], os.path.join(folder, f"IMG_{i:04d}.heic"))
    for name in os.listdir(folder):
        with open(os.path.join(folder, name), "rb") as f:
            f.read()
    return sorted(os.path.join(folder, n) for n in os.listdir(folder))


def fresh_folder(path):
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


def cpu_seconds(usage):
    return usage.ru_utime + usage.ru_stime


def heif_dec_pool(sources, output):
    """Wall and CPU seconds of heif-dec -q 100 on every file, one process per core."""
    pending = list(sources)
    running = []
    cpu = 0.0
    start = time.perf_counter()
    while pending or running:
        while pending and len(running) < CORES:
            source = pending.pop(0)
            target = os.path.join(output, os.path.basename(source)[:-5] + ".jpg")
            running.append(subprocess.Popen(["heif-dec", "-q", "100", source, target],
                                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        pid, status, usage = os.wait4(-1, 0)
        cpu += cpu_seconds(usage)
        child = next(c for c in running if c.pid == pid)
        running.remove(child)
        if os.waitstatus_to_exitcode(status) != 0:
            raise RuntimeError(f"heif-dec failed: {' '.join(child.args)}")
        child.returncode = 0
    return {"wall": time.perf_counter() - start, "cpu": cpu, "outputs": len(os.listdir(output))}


def command_line(program, sources_dir, output):
    """Wall and CPU seconds of pixvue-convert -j (one file per core) on the folder."""
    start = time.perf_counter()
    child = subprocess.Popen([program, "-j", str(CORES), "-o", output, sources_dir],
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        raise RuntimeError(f"failed: {' '.join(child.args)}")
    return {"wall": wall, "cpu": cpu_seconds(usage), "outputs": len(os.listdir(output))}


def ours(bench, mode, sources_dir, output, *extra):
    """The figures bench_convert prints as key=value."""
    child = subprocess.Popen([bench, mode, sources_dir, output, *extra], stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, text=True)
    line = child.stdout.read().split()
    _, status, _ = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        raise RuntimeError(f"failed: {' '.join(child.args)}")
    figures = {key: float(value) for key, value in (item.split("=", 1) for item in line)}
    return figures


def main():
    bench, data, work, program = sys.argv[1:5]
    rounds = max(1, int(os.environ.get("PIXVUE_BENCH_ROUNDS", "2")))
    sources_dir = os.path.join(work, "sources")
    sources = make_sources(data, sources_dir)
    output = os.path.join(work, "out")
    cases = {
        "heif-dec": lambda: heif_dec_pool(sources, fresh_folder(output)),
        "engine loop": lambda: ours(bench, "engine", sources_dir, fresh_folder(output)),
        "pixvue-convert -j": lambda: command_line(program, sources_dir, fresh_folder(output)),
        "GUI, at once": lambda: ours(bench, "gui", sources_dir, fresh_folder(output), "0"),
        "GUI, one at a time": lambda: ours(bench, "gui", sources_dir, fresh_folder(output), "1"),
        "GUI, collected": lambda: ours(bench, "collected", sources_dir, fresh_folder(output)),
    }
    results = {name: [] for name in cases}
    for _ in range(rounds):
        for name, case in cases.items():
            results[name].append(case())
    shutil.rmtree(output, ignore_errors=True)

    def median(name, key="wall"):
        return statistics.median(r[key] for r in results[name])

    print(f"{FILES} files of 12 MP to JPG at the defaults (quality 100, 100 %, EXIF kept); "
          f"{CORES} cores; median of {rounds} rounds, wall seconds")
    for name, runs in results.items():
        walls = " ".join(f"{r['wall']:.2f}" for r in runs)
        cpu = statistics.median(r["cpu"] for r in runs)
        extra = ""
        if "stall" in runs[0]:
            worst = max(runs, key=lambda r: r["stall"])
            extra = (f"   longest GUI stall {worst['stall']:.0f} ms "
                     f"({worst['stall_busy']:.1f} ms of it busy)")
        print(f"  {name:<20} {median(name):7.2f} s  CPU {cpu:6.2f} s  (runs: {walls}; outputs "
              f"{runs[0]['outputs']:.0f}){extra}")
    stored = results["GUI, collected"][0]
    print(f"  collected first: {stored['stored']:.0f} of {stored['of']:.0f} files in the store "
          f"({stored['store_mb']:.0f} MB of 500 MB), collection {stored['collect']:.2f} s")
    ratios = [("GUI at once / heif-dec per core", "GUI, at once", "heif-dec", "<= 0.9x"),
              ("GUI collected / heif-dec per core", "GUI, collected", "heif-dec", "<= 0.2x"),
              ("GUI one at a time / engine loop", "GUI, one at a time", "engine loop", "<= 1.05x"),
              ("GUI at once / engine loop", "GUI, at once", "engine loop", ""),
              ("pixvue-convert -j / heif-dec per core", "pixvue-convert -j", "heif-dec",
               "<= 0.6x")]
    def best(name):
        return min(r["wall"] for r in results[name])

    print("  ratios of median wall time (of the best runs; of median CPU time)")
    for label, ours_case, other, goal in ratios:
        wall = median(ours_case) / median(other)
        fastest = best(ours_case) / best(other)
        cpu = median(ours_case, "cpu") / median(other, "cpu")
        print(f"  {label:<38} {wall:5.2f}x ({fastest:4.2f}x; CPU {cpu:4.2f}x) "
              f"{('goal ' + goal) if goal else ''}")
    worst = max((r for runs in results.values() for r in runs if "stall" in r),
                key=lambda r: r["stall"])
    failed = sum(r.get("failed", 0) for runs in results.values() for r in runs)
    print(f"  longest GUI-thread stall {worst['stall']:.0f} ms (goal < 100 ms), the GUI thread "
          f"busy {worst['stall_busy']:.1f} ms of it (the rest waiting for a core); "
          f"failed conversions {failed:.0f}")
    print(f"  load average at the end: {' '.join(f'{x:.1f}' for x in os.getloadavg())}")


main()
