#!/usr/bin/env python3
"""Times scikit-rf reading a 100,001-point 2-port Touchstone file beside corvantile's reader.

The script writes the file once (1 MHz to 1 GHz, RI, full digits), times skrf.Network() on
it (best of --runs), runs BM_ReadTouchstone2Port of corvantile-bench on the same file
(median of 10) and prints both and their ratio. Run it with the system's python3, where
Debian's python3-scikit-rf is installed, on a quiet machine: on a busy one the wall times grow with the load and the CPU-time
ratio is the fairer one.

Usage: /usr/bin/python3 bench/touchstone_vs_skrf.py [--build-dir build] [--runs 5]
"""
import argparse
import cmath
import json
import os
import subprocess
import sys
import tempfile
import time

import numpy as np

# Debian 12's scikit-rf 0.15 still spells numpy's complex type np.complex.
if "complex" not in np.__dict__:
    np.complex = complex

import skrf  # noqa: E402

POINTS = 100001


def fail(message):
    print(f"touchstone_vs_skrf: {message}", file=sys.stderr)
    sys.exit(2)


def write_file(path):
    lines = ["! 2-port benchmark file", "# Hz S RI R 50"]
    for k in range(POINTS):
        f = 1e6 + (1e9 - 1e6) * k / (POINTS - 1)
        phase = f * 2e-9
        s11 = 0.6 * cmath.exp(-1j * phase) + 0.1
        s21 = 0.7 * cmath.exp(-3j * phase)
        values = [s11, s21, s21, -s11]
        lines.append(" ".join([repr(f)] + [repr(x) for v in values for x in (v.real, v.imag)]))
    with open(path, "w") as out:
        out.write("\n".join(lines) + "\n")


def skrf_best(path, runs):
    wall, cpu = [], []
    for _ in range(runs):
        start, start_cpu = time.perf_counter(), time.process_time()
        network = skrf.Network(path)
        wall.append(time.perf_counter() - start)
        cpu.append(time.process_time() - start_cpu)
        if len(network.f) != POINTS:
            fail(f"scikit-rf read {len(network.f)} points")
    return min(wall), min(cpu)


def ours_median(bench, path):
    result = subprocess.run(
        [bench, "--benchmark_filter=^BM_ReadTouchstone2Port$", "--benchmark_repetitions=10",
         "--benchmark_report_aggregates_only=true", "--benchmark_format=json"],
        capture_output=True, text=True, env=dict(os.environ, CORVANTILE_BENCH_S2P=path))
    if result.returncode != 0:
        fail(f"corvantile-bench exited {result.returncode}: {result.stderr.strip()}")
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
    for entry in json.loads(result.stdout)["benchmarks"]:
        if entry.get("aggregate_name") == "median":
            unit = scale[entry["time_unit"]]
            return entry["real_time"] * unit, entry["cpu_time"] * unit
    fail("corvantile-bench reported no median for BM_ReadTouchstone2Port")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", default="build")
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    bench = os.path.join(args.build_dir, "bench", "corvantile-bench")
    if not os.access(bench, os.X_OK):
        fail(f"{bench} is missing; build it first (make build)")
    with tempfile.TemporaryDirectory() as directory:
        path = os.path.join(directory, "bench.s2p")
        write_file(path)
        size = os.path.getsize(path)
        theirs, theirs_cpu = skrf_best(path, args.runs)
        wall, cpu = ours_median(bench, path)
    print(f"2-port file, {POINTS} points, {size / 1e6:.1f} MB")
    print(f"scikit-rf {skrf.__version__} skrf.Network() (best of {args.runs}): "
          f"{theirs * 1e3:9.1f} ms wall, {theirs_cpu * 1e3:.1f} ms CPU")
    print(f"corvantile ReadTouchstoneFile (BM_ReadTouchstone2Port, median of 10): "
          f"{wall * 1e3:9.1f} ms wall, {cpu * 1e3:.1f} ms CPU")
    print(f"ratio, scikit-rf / corvantile: {theirs / wall:.1f}x wall, "
          f"{theirs_cpu / cpu:.1f}x CPU")
    return 0


if __name__ == "__main__":
    sys.exit(main())
