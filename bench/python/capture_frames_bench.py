#!/usr/bin/python3
"""Reading every frame of a capture into NumPy arrays with the module vantor,
against lidar-export on the same capture, against the module's own work
without Python (build/bench/frames_into_arrays) and against reading the file.

Reports wall-clock and processor seconds (the median of the runs; processor
time is the steadier measure on a shared machine), the capture's MB per
second, and each run's peak resident memory. Every run is a process of its
own; the file is read once first, so that every run finds it in the page
cache. Reports, never asserts.

    PYTHONPATH=build/python bench/python/capture_frames_bench.py CAPTURE [--runs N]

A 1 GiB capture of the simulator's street:
    build/bench/capture_bench --write-capture=/tmp/big.pcap --generate-mb=1024
"""

import argparse
import os
import pathlib
import statistics
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]

# Iterates the frames in a process of its own; prints frames and points.
ITERATE = """
import sys, vantor
frames = points = 0
channels = None if sys.argv[2] == "all" else [int(sys.argv[2])]
for frame in vantor.Capture(sys.argv[1]).frames(channels=channels):
    frames += 1
    points += len(frame.points)
print(frames, points)
"""

# Reads the file in 1 MiB pieces and does nothing with them.
READ = """
import os, sys
fd = os.open(sys.argv[1], os.O_RDONLY)
while os.read(fd, 1 << 20):
    pass
"""


def run(command):
    """Runs a command in a process of its own; returns its wall and processor
    seconds, its peak resident memory (MiB) and its output."""
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    out = process.stdout.read().decode()
    err = process.stderr.read().decode()
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{' '.join(command)} failed: {err}")
    return {"wall": wall, "cpu": usage.ru_utime + usage.ru_stime,
            "rss": usage.ru_maxrss / 1024, "out": out.strip()}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("capture")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--bin", default=str(ROOT / "build" / "bin"))
    args = parser.parse_args()
    size = os.path.getsize(args.capture)
    python = sys.executable
    export = str(pathlib.Path(args.bin) / "lidar-export")
    floor = str(pathlib.Path(args.bin).parent / "bench" / "frames_into_arrays")
    cases = [
        ("read the file (1 MiB reads)", [python, "-c", READ, args.capture]),
        ("lidar-export --channels 0 > /dev/null",
         [export, "--quiet", "--channels", "0", args.capture, "/dev/null"]),
        ("frames_into_arrays, channel 0", [floor, args.capture, "0"]),
        ("vantor, channels=[0]", [python, "-c", ITERATE, args.capture, "0"]),
        ("frames_into_arrays, every channel", [floor, args.capture]),
        ("vantor, every channel", [python, "-c", ITERATE, args.capture, "all"]),
        ("lidar-export, every channel > /dev/null",
         [export, "--quiet", args.capture, "/dev/null"]),
    ]
    run([python, "-c", READ, args.capture])  # into the page cache
    print(f"{args.capture}: {size / 2**20:.0f} MiB, median of {args.runs} runs")
    print(f"{'':42} {'wall s':>8} {'cpu s':>8} {'MB/s':>8} {'peak MiB':>9}")
    results = {}
    for name, command in cases:
        runs = [run(command) for _ in range(args.runs)]
        wall = statistics.median(r["wall"] for r in runs)
        cpu = statistics.median(r["cpu"] for r in runs)
        rss = max(r["rss"] for r in runs)
        results[name] = (wall, cpu)
        extra = f"  ({runs[0]['out']})" if runs[0]["out"] else ""
        print(f"{name:42} {wall:8.2f} {cpu:8.2f} {size / 1e6 / wall:8.0f} {rss:9.0f}{extra}")
    for name, base in (("vantor, channels=[0]", "lidar-export --channels 0 > /dev/null"),
                       ("vantor, every channel", "lidar-export --channels 0 > /dev/null"),
                       ("vantor, channels=[0]", "frames_into_arrays, channel 0"),
                       ("vantor, every channel", "frames_into_arrays, every channel")):
        (wall, cpu), (base_wall, base_cpu) = results[name], results[base]
        print(f"{name} / {base}: wall {wall / base_wall:.2f}x, cpu {cpu / base_cpu:.2f}x")


if __name__ == "__main__":
    main()
