"""Runs the engine and heif-dec on the same samples; see run-engine-bench.sh."""
import os
import statistics
import subprocess
import sys
import tempfile
import time

PHONE_SAMPLES = ["pillow_heif/arrow.heic", "pillow_heif/iPhoneXR.heic", "pillow_heif/pug.heic",
                 "pillow_heif/PUG3.HEIC", "libvips/heic-orientation-6.heic", "libvips/Example1.heic"]
HUGE_SAMPLE = "pillow_heif/200MP.heic"
# AV1 pictures and a 10-bit camera HIF, each on a row of its own.
OTHER_SAMPLES = ["avif/kimono.avif", "avif/fox.profile0.10bpc.yuv420.avif", "pillow_heif/cat.hif"]
PLUGINS = "/usr/lib/x86_64-linux-gnu/libheif/plugins"
# Runs per file (median) and the modes to run, from the environment for a short run.
RUNS = int(os.environ.get("ENGINE_BENCH_RUNS", "5"))
HUGE_RUNS = int(os.environ.get("ENGINE_BENCH_HUGE_RUNS", str(min(RUNS, 3))))
ONLY_MODES = os.environ.get("ENGINE_BENCH_MODES", "").split()
WITH_PLUGINS = os.environ.get("ENGINE_BENCH_PLUGINS", "1") == "1"
# mode: (description, heif-dec arguments, output suffix)
MODES = {
    "jpg90": ("JPG quality 90, 100 %, EXIF kept", ["-q", "90"], "jpg"),
    "default": ("JPG quality 100, 100 %, EXIF kept (the defaults)", ["-q", "100"], "jpg"),
    "png": ("PNG, 100 %, quality 100", [], "png"),
    "noexif90": ("JPG quality 90, 100 %, EXIF left out", ["-q", "90"], "jpg"),
    "half90": ("JPG quality 90, 50 % (heif-dec at full size)", ["-q", "90"], "jpg"),
    "bmp": ("BMP, 100 % (heif-dec writes no BMP: against its PNG)", [], "png"),
    "noexif100": ("JPG quality 100, 100 %, EXIF left out", ["-q", "100"], "jpg"),
    "half100": ("JPG quality 100, 50 % (heif-dec at full size)", ["-q", "100"], "jpg"),
    "halfnoexif90": ("JPG quality 90, 50 %, EXIF left out (heif-dec at full size)", ["-q", "90"],
                     "jpg"),
    "halfnoexif100": ("JPG quality 100, 50 %, EXIF left out (heif-dec at full size)",
                      ["-q", "100"], "jpg"),
    "png50": ("PNG, 50 % (heif-dec at full size)", [], "png"),
    "bmp50": ("BMP, 50 % (heif-dec's PNG at full size)", [], "png"),
}
# Whether to time conversions after collection too (only the defaults write a stored stream).
WITH_STORED = os.environ.get("ENGINE_BENCH_STORED", "1") == "1"
WITH_OTHERS = os.environ.get("ENGINE_BENCH_OTHERS", "1") == "1"


def measured(command, env=None):
    """Wall seconds and peak resident megabytes of one child process."""
    start = time.perf_counter()
    child = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env)
    output = child.stdout.read()
    _, status, usage = os.wait4(child.pid, 0)
    seconds = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        raise RuntimeError(f"failed: {' '.join(command)}")
    return seconds, usage.ru_maxrss / 1024.0, output.decode()


def runs_of(command, runs, env=None):
    results = [measured(command, env) for _ in range(runs)]
    wall = statistics.median(r[0] for r in results)
    peak = max(r[1] for r in results)
    return wall, peak, [r[2] for r in results]


def file_size_ratio(work, suffix):
    """For PNG, the size of the engine's file against heif-dec's, as text."""
    if suffix != "png":
        return ""
    ours = [f for f in os.listdir(f"{work}/fresh") if f.endswith(".png")]
    if len(ours) != 1:
        return ""
    ratio = os.path.getsize(f"{work}/fresh/{ours[0]}") / os.path.getsize(f"{work}/peer.png")
    return f" file {ratio:4.2f}x"


def bench_file(engine, mode, sample, work, runs, env):
    name = os.path.basename(sample)
    _, peer_args, suffix = MODES[mode]
    # Without --disable-limits heif-dec refuses to write the 200 MP sample as PNG.
    peer_wall, peer_peak, _ = runs_of(
        ["heif-dec", "--disable-limits", *peer_args, sample, f"{work}/peer.{suffix}"], runs, env)
    fresh_wall, fresh_peak, outputs = runs_of([engine, "fresh", mode, sample, f"{work}/fresh"],
                                              runs, env)
    fresh_call = statistics.median(float(o.split()[0]) for o in outputs)
    stored_call = float("nan")
    if WITH_STORED:
        _, _, outputs = runs_of([engine, "stored", mode, sample, f"{work}/stored", str(runs)], 1,
                                env)
        stored_call = statistics.median(float(t) for t in outputs[0].split())
    print(f"{name:<26} {peer_wall:7.3f} {peer_peak:6.0f} | {fresh_call:7.3f} {fresh_wall:7.3f} "
          f"{fresh_peak:6.0f} | {stored_call:7.3f} | {fresh_call / peer_wall:5.2f}x "
          f"{stored_call / peer_wall:5.2f}x {fresh_peak / peer_peak:5.2f}x"
          f"{file_size_ratio(work, suffix)}")
    return fresh_call / peer_wall, stored_call / peer_wall, fresh_peak / peer_peak


def bench_mode(engine, mode, data, work, env, with_huge):
    print(f"\n{MODES[mode][0]}; {os.cpu_count()} cores; median of runs, peak memory in MB")
    print(f"{'':<26} {'heif-dec':>14} | {'engine, decoded for the call':>30} | {'stored':>7} | "
          "ratios to heif-dec")
    print(f"{'file':<26} {'wall':>7} {'peak':>6} | {'call':>7} {'process':>7} {'peak':>6} | "
          f"{'call':>7} | fresh stored peak")
    phone = []
    for sample in PHONE_SAMPLES:
        path = os.path.join(data, sample)
        if os.path.exists(path):
            phone.append(bench_file(engine, mode, path, work, RUNS, env))
    for sample in OTHER_SAMPLES if WITH_OTHERS else []:
        path = os.path.join(data, sample)
        if os.path.exists(path):
            bench_file(engine, mode, path, work, RUNS, env)
    huge = os.path.join(data, HUGE_SAMPLE)
    if with_huge and HUGE_RUNS > 0 and os.path.exists(huge):
        try:
            bench_file(engine, mode, huge, work, HUGE_RUNS, env)
        except RuntimeError as failure:
            print(f"{os.path.basename(huge):<26} not compared: {failure}")
    if phone:
        print(f"12 MP median ratios ({mode}): fresh {statistics.median(p[0] for p in phone):.2f}x, "
              f"stored {statistics.median(p[1] for p in phone):.2f}x of heif-dec's wall time")


def plugin_env(plugin, work):
    """An environment in which libheif loads only the given HEVC decoder plugin."""
    folder = tempfile.mkdtemp(prefix=plugin, dir=work)
    os.symlink(os.path.join(PLUGINS, f"libheif-{plugin}.so"),
               os.path.join(folder, f"libheif-{plugin}.so"))
    env = dict(os.environ)
    env["LIBHEIF_PLUGIN_PATH"] = folder
    return env


def main():
    engine, data, work = sys.argv[1:4]
    for mode in MODES:
        if not ONLY_MODES or mode in ONLY_MODES:
            bench_mode(engine, mode, data, work, None, True)
    if not WITH_PLUGINS:
        return
    decoders = [p for p in ("libde265", "ffmpegdec")
                if os.path.exists(os.path.join(PLUGINS, f"libheif-{p}.so"))]
    if len(decoders) == 2:
        for plugin in decoders:
            print(f"\n--- HEVC decoder plugin {plugin} only")
            bench_mode(engine, "default", data, work, plugin_env(plugin, work), True)


main()
