#!/usr/bin/python3
"""Times ngspice's AC analysis of the exported netlist beside corvantile's own sweep.

Both cover the default design over the same span (a quarter to four times the design
frequency, logarithmic) with 10,001 points. The netlist is the one `corvantile-cli export
spice` writes; for ngspice the script reports

  - the AC analysis time ngspice measures itself (`rusage everything`, "AC analysis time",
    millisecond resolution), best of --runs runs, with the netlist's print line replaced by
    the rusage report so that printing 10,001 rows is not counted; and
  - the wall time of the whole `ngspice -b` process on the netlist as exported (start-up,
    parsing, analysis and printing, output discarded), best of --runs runs.

For corvantile it reports the median of BM_Sweep from corvantile-bench (wall and CPU time).
ngspice's analysis time is elapsed time (it can exceed the whole process's CPU time), so the
ratio is ngspice's AC analysis time over corvantile's median wall time; on a busy machine
both grow with the load, so run it on a quiet one.

Usage: bench/ngspice_vs_sweep.py [--build-dir build] [--runs 5] [--ngspice ngspice]
"""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

POINTS = 10001


def fail(message):
    print(f"ngspice_vs_sweep: {message}", file=sys.stderr)
    sys.exit(2)


def run(arguments, **kwargs):
    result = subprocess.run(arguments, capture_output=True, text=True,
                            env=dict(os.environ, LC_ALL="C"), **kwargs)
    if result.returncode != 0:
        fail(f"{' '.join(arguments)} exited {result.returncode}: {result.stderr.strip()}")
    return result.stdout


def ngspice_times(ngspice, netlist, runs):
    with open(netlist) as f:
        text = f.read()
    if "print zin_re zin_im pload\n" not in text:
        fail("the exported netlist has no print line to replace")
    timed = netlist.replace(".cir", "-rusage.cir")
    with open(timed, "w") as f:
        f.write(text.replace("print zin_re zin_im pload\n", "rusage everything\n"))

    analysis, rows = [], None
    for _ in range(runs):
        output = run([ngspice, "-b", timed])
        match = re.search(r"^AC analysis time\s*=\s*([0-9.eE+-]+)", output, re.M)
        if not match:
            fail("ngspice printed no AC analysis time")
        analysis.append(float(match.group(1)))
        found = re.search(r"No\. of Data Rows\s*:\s*(\d+)", output)
        rows = int(found.group(1)) if found else rows

    whole = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run([ngspice, "-b", netlist], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=True, env=dict(os.environ, LC_ALL="C"))
        whole.append(time.perf_counter() - start)
    return min(analysis), min(whole), rows


def sweep_median(bench):
    output = run([bench, "--benchmark_filter=^BM_Sweep$", "--benchmark_repetitions=10",
                  "--benchmark_report_aggregates_only=true", "--benchmark_format=json"])
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
    for entry in json.loads(output)["benchmarks"]:
        if entry.get("aggregate_name") == "median":
            unit = scale[entry["time_unit"]]
            return entry["real_time"] * unit, entry["cpu_time"] * unit
    fail("corvantile-bench reported no median for BM_Sweep")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", default="build")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--ngspice", default="ngspice")
    args = parser.parse_args()

    cli = os.path.join(args.build_dir, "src", "cli", "corvantile-cli")
    bench = os.path.join(args.build_dir, "bench", "corvantile-bench")
    for program in (cli, bench):
        if not os.access(program, os.X_OK):
            fail(f"{program} is missing; build it first (make build)")
    ngspice = shutil.which(args.ngspice)
    if ngspice is None:
        fail(f"{args.ngspice} not found; scripts/install-deps.sh installs it")

    with tempfile.TemporaryDirectory() as directory:
        netlist = os.path.join(directory, "sweep.cir")
        run([cli, "export", "spice", "--points", str(POINTS), "-o", netlist])
        spice_analysis, spice_whole, rows = ngspice_times(ngspice, netlist, args.runs)

    ours_wall, ours_cpu = sweep_median(bench)
    print(f"Default design, a quarter to four times 3.75 MHz, logarithmic, {POINTS} points")
    print(f"corvantile sweep (BM_Sweep, median of 10):   {ours_wall * 1e3:8.3f} ms wall, "
          f"{ours_cpu * 1e3:.3f} ms CPU")
    print(f"ngspice AC analysis ({rows} points, best of {args.runs}, its own 'AC analysis time'): "
          f"{spice_analysis * 1e3:8.1f} ms")
    print(f"ngspice -b, whole process on the exported netlist (best of {args.runs}): "
          f"{spice_whole * 1e3:8.1f} ms")
    if ours_wall > 0:
        print(f"ratio, ngspice AC analysis / corvantile sweep (wall): "
              f"{spice_analysis / ours_wall:.0f}x; whole ngspice run: "
              f"{spice_whole / ours_wall:.0f}x")
    return 0


if __name__ == "__main__":
    sys.exit(main())
