"""The built corvantile-cli's exports, opened in the tools they are written for.

Usage: export_tools_check.py CORVANTILE_CLI NGSPICE

- export spice: ngspice runs the netlist as it stands (exit status 0) and prints a row per
  frequency, whose input impedance and load power agree with `sweep --format json`.
- export spice with lossy parts: at the design frequency ngspice's input impedance and
  efficiency agree with the losses `design --json` reports (the tank example).
- export spice --line: ngspice, with the line as a ladder and the load itself, sees the source
  matched at f0 and the load receiving the watts the line's figures give.
- export touchstone: scikit-rf reads a lossless, reciprocal two-port with the right points.
- export csv: Python's csv reader finds the header and numeric rows.
- sweep --format json: Python's json reader parses it.
Exits with status 1 and a message per failure.
"""
import csv
import io
import json
import os
import subprocess
import sys
import tempfile

FAILURES = []


def check(condition, message):
    if not condition:
        FAILURES.append(message)
    return condition


def run(arguments):
    try:
        result = subprocess.run(arguments, capture_output=True, text=True,
                                env=dict(os.environ, LC_ALL="C"))
    except OSError as error:
        check(False, f"cannot run {arguments[0]}: {error}")
        return ""
    check(result.returncode == 0, f"{' '.join(arguments)} exited {result.returncode}: "
                                  f"{result.stderr.strip()}")
    return result.stdout


DESIGN = ["--family", "tee", "--phase", "-100", "--frequency", "7.1M", "--source",
          "series:1.5k:75", "--load", "parallel-part:50:-100p"]
SPAN = ["--from", "2M", "--to", "20M", "--points", "81"]


def check_spice(cli, ngspice, directory):
    netlist = os.path.join(directory, "match.cir")
    run([cli, "export", "spice", *DESIGN, *SPAN, "-o", netlist])
    output = run([ngspice, "-b", netlist])
    rows = []
    for line in output.splitlines():
        words = line.split()
        if len(words) == 5 and words[0].isdigit():
            rows.append([float(w) for w in words[1:]])
    if not check(len(rows) >= 80, f"ngspice printed {len(rows)} rows"):
        return
    # The engine at ngspice's own frequencies: sweep each printed frequency on its own would be
    # slow, so compare at the span's ends, which both sweep exactly.
    sweep = run([cli, "sweep", "--format", "json", *DESIGN, *SPAN])
    if not sweep:
        return
    ours = json.loads(sweep)["points"]
    for spice_row, our_row in ((rows[0], ours[0]), (rows[-1], ours[-1])):
        check(abs(spice_row[0] - our_row[0]) <= 1e-9 * our_row[0],
              f"frequency {spice_row[0]} against {our_row[0]}")
        zin = complex(spice_row[1], spice_row[2])
        ours_zin = complex(our_row[1], our_row[2])
        check(abs(zin - ours_zin) <= 1e-4 * abs(ours_zin), f"Zin {zin} against {ours_zin}")
        check(abs(spice_row[3] - our_row[9]) <= 1e-4 * our_row[9],
              f"load power {spice_row[3]} against {our_row[9]}")


TANK = ["--source", "series:2500:0", "--load", "series:50:0", "--family", "pi", "--fix",
        "x1=-208.33", "--power", "1.5k", "--q-capacitor", "2000", "--q-inductor", "200",
        "--q-law-inductor", "0"]


def check_lossy_spice(cli, ngspice, directory):
    netlist = os.path.join(directory, "tank.cir")
    # A three-point linear span whose first point is the design frequency, where each part's
    # series resistance is exact.
    run([cli, "export", "spice", *TANK, "--from", "3.75M", "--to", "3.8M", "--points", "3",
         "--linear", "-o", netlist])
    with open(netlist, encoding="utf-8") as file:
        text = file.read()
    emf = float(next(l for l in text.splitlines() if l.startswith("VEMF")).split()[-1])
    check("R2 e2 out" in text, "the lossy netlist has element 2's series resistance")
    rows = []
    for line in run([ngspice, "-b", netlist]).splitlines():
        words = line.split()
        if len(words) == 5 and words[0].isdigit():
            rows.append([float(w) for w in words[1:]])
    if not check(len(rows) == 3, f"ngspice printed {len(rows)} rows for the tank"):
        return
    design = run([cli, "design", "--json", *TANK])
    if not design:
        return
    losses = json.loads(design)["losses"]
    frequency, zin_re, zin_im, pload = rows[0]
    check(abs(frequency - 3.75e6) <= 1e-3, f"first frequency {frequency}")
    zin = complex(zin_re, zin_im)
    ours = complex(losses["input_impedance_re_ohm"], losses["input_impedance_im_ohm"])
    check(abs(zin - ours) <= 1e-6 * abs(ours), f"tank input impedance {zin} against {ours}")
    current = emf / (2500 + zin)
    power_in = abs(current) ** 2 * zin.real
    efficiency = pload / power_in
    check(abs(efficiency - losses["efficiency"]) <= 1e-3 * losses["efficiency"],
          f"tank efficiency {efficiency} against {losses['efficiency']}")


def check_line_spice(cli, ngspice, directory):
    # The network designed for the load seen through 20 m of RG-58, the netlist holding the line
    # as a ladder and the load itself: ngspice, solving it on its own, finds the source matched
    # at f0 and the power the line's figures say reaches the load.
    netlist = os.path.join(directory, "line.cir")
    lined = ["--load", "series:20:-80", "--source", "series:50:0", "--frequency", "3.6M",
             "--line", "RG-58:20"]
    run([cli, "export", "spice", *lined, "--from", "3.6M", "--to", "3.7M", "--points", "3",
         "--linear", "-o", netlist])
    rows = []
    for line in run([ngspice, "-b", netlist]).splitlines():
        words = line.split()
        if len(words) == 5 and words[0].isdigit():
            rows.append([float(w) for w in words[1:]])
    if not check(len(rows) == 3, f"ngspice printed {len(rows)} rows for the line"):
        return
    frequency, zin_re, zin_im, pload = rows[0]
    check(abs(frequency - 3.6e6) <= 1e-3, f"first frequency {frequency}")
    zin = complex(zin_re, zin_im)
    check(abs(zin - 50) <= 0.5, f"input impedance through the line {zin}, not 50 ohms")
    design = run([cli, "design", "--json", *lined])
    if not design:
        return
    reaching = json.loads(design)["line"]["watts_out"]
    check(abs(pload - reaching) <= 0.01 * reaching,
          f"load power {pload} W against the {reaching} W the line delivers")


def check_touchstone(cli, directory):
    path = os.path.join(directory, "match.s2p")
    run([cli, "export", "touchstone", *DESIGN, *SPAN, "--z0", "75", "-o", path])
    try:
        import skrf  # the Debian package python3-scikit-rf
    except ImportError:
        check(False, f"scikit-rf is not installed for {sys.executable}")
        return
    network = skrf.Network(path)
    check(network.nports == 2, f"{network.nports} ports")
    check(len(network.f) == 81, f"{len(network.f)} frequencies")
    check(abs(network.f[0] - 2e6) < 1e-3 and abs(network.f[-1] - 20e6) < 1e-3,
          f"frequencies {network.f[0]} to {network.f[-1]} Hz")
    check(abs(network.z0[0, 0] - 75) < 1e-12, f"reference impedance {network.z0[0, 0]}")
    s = network.s
    for k in range(len(network.f)):
        power = abs(s[k, 0, 0]) ** 2 + abs(s[k, 1, 0]) ** 2
        check(abs(power - 1) < 1e-12, f"|S11|^2 + |S21|^2 = {power} at {network.f[k]} Hz")
        check(abs(s[k, 0, 1] - s[k, 1, 0]) < 1e-12, f"S12 != S21 at {network.f[k]} Hz")


def check_csv(cli):
    text = run([cli, "export", "csv", *DESIGN, *SPAN])
    rows = list(csv.reader(io.StringIO(text)))
    if not check(len(rows) > 1, "no CSV rows"):
        return
    header = rows[0]
    check(header[0] == "frequency_Hz" and header[-1] == "load_power_W", f"header {header}")
    check(len(rows) == 82, f"{len(rows)} CSV rows")
    for row in rows[1:]:
        check(len(row) == len(header), f"row of {len(row)} fields")
        values = [float(v) for v in row]
        check(all(v == v and abs(v) != float("inf") for v in values), f"row {row}")


def main():
    if len(sys.argv) != 3 or not sys.argv[2]:
        print("usage: export_tools_check.py CORVANTILE_CLI NGSPICE (ngspice was not found when "
              "the build was configured; scripts/install-deps.sh installs it)")
        return 1
    cli, ngspice = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as directory:
        check_spice(cli, ngspice, directory)
        check_lossy_spice(cli, ngspice, directory)
        check_line_spice(cli, ngspice, directory)
        check_touchstone(cli, directory)
        check_csv(cli)
    for failure in FAILURES:
        print("FAIL:", failure)
    print("exports checked:", "failed" if FAILURES else "ok")
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
