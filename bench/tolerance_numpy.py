#!/usr/bin/python3
"""Times a plain numpy vectorised Monte Carlo of part tolerances beside corvantile's own.

Both runs build the nearest standard-value network of the default design (a Pi from a
1500-ohm source to a 300-ohm load at 3.75 MHz; the part values are read from the benchmark's
counters) with every part drawn uniformly within 5 %, and compute per build the reflection
against the source at f0, the VSWR yields at 1.5:1 and 2:1, the return-loss percentiles
1/5/50/95/99 and a histogram; the second pair of runs also takes the envelope (least and most
return loss over the builds) at 201 logarithmic frequencies from f0/4 to 4 f0.

corvantile's figures are the medians (wall time) of BM_Tolerance100kAtDesign/0 and
BM_Tolerance10kEnvelope201/0 from corvantile-bench; numpy's the median of --runs runs. The
yields of both are printed too: they come from different random numbers, so they agree to
their statistical error, not exactly. On a busy machine both times grow with the load.

Usage: bench/tolerance_numpy.py [--build-dir build] [--runs 7]
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import time

import numpy as np

F0 = 3.75e6
RS = 1500.0
RL = 300.0
TOLERANCE = 0.05


def fail(message):
    print(f"tolerance_numpy: {message}", file=sys.stderr)
    sys.exit(2)


def corvantile_medians(bench):
    result = subprocess.run(
        [bench, "--benchmark_filter=^BM_Tolerance(100kAtDesign|10kEnvelope201)/0",
         "--benchmark_repetitions=7", "--benchmark_report_aggregates_only=true",
         "--benchmark_format=json"], capture_output=True, text=True)
    if result.returncode != 0:
        fail(f"corvantile-bench exited {result.returncode}: {result.stderr.strip()}")
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
    out = {}
    for entry in json.loads(result.stdout)["benchmarks"]:
        if entry.get("aggregate_name") == "median":
            name = entry["run_name"].split("/")[0]
            out[name] = (entry["real_time"] * scale[entry["time_unit"]], entry)
    if len(out) != 2:
        fail("corvantile-bench reported no medians for the tolerance benchmarks")
    return out


def reflected_share(omega, c1, l2, c3, rng, builds):
    """|reflection|^2 per build (rows) and frequency (columns) of the Pi network."""
    d = rng.uniform(-TOLERANCE, TOLERANCE, size=(3, builds, 1))
    y1 = 1j * omega * c1 * (1.0 + d[0])
    z2 = 1j * omega * l2 * (1.0 + d[1])
    y3 = 1j * omega * c3 * (1.0 + d[2])
    back = 1.0 / (1.0 / RL + y3)
    zin = 1.0 / (1.0 / (back + z2) + y1)
    gamma = (zin - RS) / (zin + RS)
    return np.abs(gamma) ** 2


def at_design(c1, l2, c3, builds, rng):
    share = reflected_share(np.array([2 * np.pi * F0]), c1, l2, c3, rng, builds)[:, 0]
    rl = -10.0 * np.log10(np.maximum(share, 1e-30))
    vswr15 = np.mean(share <= (0.5 / 2.5) ** 2)
    vswr2 = np.mean(share <= (1.0 / 3.0) ** 2)
    percentiles = np.percentile(rl, [1, 5, 50, 95, 99])
    histogram = np.histogram(rl, bins=40)
    return vswr15, vswr2, percentiles, histogram


def envelope(c1, l2, c3, builds, rng):
    frequencies = np.geomspace(F0 / 4, F0 * 4, 201)
    share = reflected_share(2 * np.pi * frequencies[None, :], c1, l2, c3, rng, builds)
    rl = -10.0 * np.log10(np.maximum(share, 1e-30))
    return rl.min(axis=0), rl.max(axis=0)


def median_time(function, runs):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        result = function()
        times.append(time.perf_counter() - start)
    return statistics.median(times), result


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", default="build")
    parser.add_argument("--runs", type=int, default=7)
    args = parser.parse_args()
    bench = os.path.join(args.build_dir, "bench", "corvantile-bench")
    if not os.access(bench, os.X_OK):
        fail(f"{bench} is missing; build it first (make build)")

    ours = corvantile_medians(bench)
    counters = ours["BM_Tolerance100kAtDesign"][1]
    c1, l2, c3 = counters["c1_farads"], counters["l2_henries"], counters["c3_farads"]
    rng = np.random.default_rng(1)

    numpy_f0, (y15, y2, _, _) = median_time(lambda: at_design(c1, l2, c3, 100000, rng), args.runs)
    numpy_env, _ = median_time(lambda: envelope(c1, l2, c3, 10000, rng), args.runs)
    ours_f0 = ours["BM_Tolerance100kAtDesign"][0]
    ours_env = ours["BM_Tolerance10kEnvelope201"][0]

    print(f"Nearest standard-value Pi of the default design: C1 {c1 * 1e12:.0f} pF, "
          f"L2 {l2 * 1e6:.0f} uH, C3 {c3 * 1e12:.0f} pF, 5 % uniform")
    print(f"100,000 builds at f0:       corvantile {ours_f0 * 1e3:8.2f} ms, "
          f"numpy {numpy_f0 * 1e3:8.2f} ms, ratio {numpy_f0 / ours_f0:5.1f}x")
    print(f"10,000 builds, 201-point envelope: corvantile {ours_env * 1e3:8.2f} ms, "
          f"numpy {numpy_env * 1e3:8.2f} ms, ratio {numpy_env / ours_env:5.1f}x")
    print(f"yield at VSWR 1.5 / 2: corvantile {counters['yield_vswr15']:.4f} / "
          f"{counters['yield_vswr2']:.4f}, numpy {y15:.4f} / {y2:.4f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
