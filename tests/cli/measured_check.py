"""The built corvantile-cli with measured loads: files made by scikit-rf, and a real one.

Usage: measured_check.py CORVANTILE_CLI TEST_DATA_DIR

A model antenna (30 ohm in series with 200 pF, both exact in the program's 32-bit floats) is
written by scikit-rf as a .s1p from 1 MHz to 6 MHz in 100 kHz steps. Then:
- design --load-file gives the network that typing the interpolated R + jX gives, at a file
  point and between two;
- sweep --load-file over the file's own points equals the sweep of the typed model;
- the default span is cut to the band, a span beyond it is cut with a note;
- a harmonic beyond the band is null in JSON, "not measured" in the table;
- export touchstone --matched, read back by scikit-rf, equals the sweep's reflection;
- with lossy parts, the matched one-port equals scikit-rf's cascade of the exported lossy
  two-port with the measured file, and the lossy sweep's gain lies below the ideal one's;
- a design frequency outside the band, an unreadable file and a missing port are exit 2
  with one line on stderr;
- the real instrument file tests/data/ring_slot_measured.s1p is read and refused outside
  its band.
Exits with status 1 and a message per failure.
"""
import json
import os
import subprocess
import sys
import tempfile

import numpy
import skrf

FAILURES = []

RESISTANCE = 30.0
CAPACITANCE = float(numpy.float32(200e-12))  # the value the program stores for 200p


def check(condition, message):
    if not condition:
        FAILURES.append(message)
    return condition


def run(cli, arguments, status=0):
    result = subprocess.run([cli, *arguments], capture_output=True, text=True,
                            env=dict(os.environ, LC_ALL="C"))
    check(result.returncode == status,
          f"{' '.join(arguments)} exited {result.returncode}, not {status}: "
          f"{result.stderr.strip()}")
    return result


def close(a, b, relative, scale=None):
    return abs(a - b) <= relative * (scale if scale is not None else max(abs(a), abs(b), 1e-300))


def write_model(directory):
    frequency = skrf.Frequency(1, 6, 51, unit="MHz")
    omega = 2 * numpy.pi * frequency.f
    z = RESISTANCE + 1 / (1j * omega * CAPACITANCE)
    # Reflection against the 50-ohm reference, as the file holds it (this scikit-rf's z2s
    # needs an older numpy).
    s = ((z - 50) / (z + 50)).reshape(-1, 1, 1)
    network = skrf.Network(frequency=frequency, s=s, z0=50, name="model")
    network.write_touchstone(os.path.join(directory, "model"), form="ri")
    return os.path.join(directory, "model.s1p")


def check_design(cli, model):
    for f0 in ["3.5M", "3.55M"]:
        design = ["--frequency", f0, "--family", "tee", "--phase", "-100"]
        measured = json.loads(run(cli, ["design", "--json", "--load-file", model, *design]).stdout)
        point = json.loads(run(cli, ["touchstone", model, "--at", f0, "--format", "json"]).stdout)
        z = point["impedance"][0]
        typed = json.loads(run(cli, ["design", "--json", "--load",
                                     f"series:{z['resistance_ohm']!r}:{z['reactance_ohm']!r}",
                                     *design]).stdout)
        check(measured["NetValues"] == typed["NetValues"],
              f"{f0}: the measured load designs {measured['NetValues']}, the typed R + jX "
              f"{typed['NetValues']}")
        check(measured["LoadValues"] == typed["LoadValues"], f"{f0}: LoadValues differ")
        load = measured.get("measured", {}).get("load", {})
        check(load.get("file") == model and load.get("port") == 1,
              f"{f0}: JSON does not say where the load came from: {load}")
        check(load.get("resistance_ohm") == z["resistance_ohm"],
              f"{f0}: JSON resistance {load.get('resistance_ohm')} != {z['resistance_ohm']}")
        report = run(cli, ["design", "--load-file", model, *design]).stdout
        check("Load: measured, model.s1p port 1" in report, f"{f0}: report does not say so")


def check_sweep(cli, model):
    design = ["--frequency", "3.5M", "--family", "tee", "--phase", "-100"]
    span = ["--from", "1M", "--to", "6M", "--points", "51", "--linear"]
    measured = json.loads(run(cli, ["sweep", "--format", "json", "--load-file", model,
                                    *design, *span]).stdout)
    typed = json.loads(run(cli, ["sweep", "--format", "json", "--load", "series-part:30:-200p",
                                 *design, *span]).stdout)
    columns = measured["columns"]
    zr, zi = columns.index("zin_real_ohm"), columns.index("zin_imag_ohm")
    check(len(measured["points"]) == 51, f"measured sweep has {len(measured['points'])} points")
    for m, t in zip(measured["points"], typed["points"]):
        check(close(m[0], t[0], 1e-12), f"frequency {m[0]} != {t[0]}")
        scale = abs(complex(t[zr], t[zi]))
        # The two designs agree to the float the state holds, so their sweeps to about 1e-6.
        check(close(m[zr], t[zr], 1e-5, scale) and close(m[zi], t[zi], 1e-5, scale),
              f"at {m[0]} Hz the measured load gives {m[zr]} + j{m[zi]}, the model "
              f"{t[zr]} + j{t[zi]}")
    summary = measured["summary"]
    check(summary["attenuation_2f0_db"] is None, "2 f0 (7 MHz) beyond the band is not null")
    check(summary["attenuation_3f0_db"] is None, "3 f0 beyond the band is not null")
    check(measured["span"]["to_hz"] == 6e6, f"span ends at {measured['span']['to_hz']}")
    table = run(cli, ["sweep", "--load-file", model, *design, *span]).stdout
    check("not measured at 3 f0" in table, "the table does not say 'not measured'")

    # Default span: 875 kHz to 14 MHz, cut to 1 MHz to 6 MHz without a note.
    cut = run(cli, ["sweep", "--format", "json", "--load-file", model, *design])
    span_json = json.loads(cut.stdout)["span"]
    check(span_json["from_hz"] == 1e6 and span_json["to_hz"] == 6e6,
          f"the default span is not cut to the band: {span_json}")
    check(cut.stderr == "", f"the default span's cut gave a note: {cut.stderr}")
    beyond = run(cli, ["sweep", "--format", "json", "--load-file", model, *design,
                       "--from", "500k", "--to", "8M"])
    check("the sweep starts at 1 MHz" in beyond.stderr and "the sweep ends at 6 MHz" in
          beyond.stderr, f"a span beyond the band has no note: {beyond.stderr!r}")


def check_matched(cli, model, directory):
    design = ["--frequency", "3.5M", "--source", "series:1.5k:0"]
    span = ["--from", "2M", "--to", "5M", "--points", "31"]
    out = os.path.join(directory, "seen.s1p")
    run(cli, ["export", "touchstone", "--matched", "--z0", "1.5k", "--load-file", model,
              *design, *span, "-o", out])
    network = skrf.Network(out)
    sweep = json.loads(run(cli, ["sweep", "--format", "json", "--load-file", model, *design,
                                 *span]).stdout)
    columns = sweep["columns"]
    re, im = columns.index("reflection_real"), columns.index("reflection_imag")
    check(network.nports == 1 and len(network.f) == 31, "the matched export is not 31 points")
    for k, p in enumerate(sweep["points"]):
        check(close(network.f[k], p[0], 1e-12), f"frequency {network.f[k]} != {p[0]}")
        s11 = network.s[k, 0, 0]
        check(abs(s11 - complex(p[re], p[im])) < 1e-12,
              f"at {p[0]} Hz scikit-rf reads {s11}, the sweep {p[re]} + j{p[im]}")


def check_lossy(cli, model, directory):
    """Lossy parts between the measured load: the one-port of what the source sees is the
    exported lossy two-port terminated by the measured file, cascaded by scikit-rf."""
    design = ["--frequency", "3.5M", "--family", "tee", "--phase", "-100"]
    losses = ["--q-inductor", "40", "--q-capacitor", "300", "--q-law-capacitor", "0.5"]
    span = ["--from", "1M", "--to", "6M", "--points", "41", "--linear"]
    two_port = os.path.join(directory, "lossy.s2p")
    seen = os.path.join(directory, "lossy_seen.s1p")
    run(cli, ["export", "touchstone", "--load-file", model, *design, *losses, *span,
              "-o", two_port])
    run(cli, ["export", "touchstone", "--matched", "--load-file", model, *design, *losses,
              *span, "-o", seen])
    network = skrf.Network(two_port)
    matched = skrf.Network(seen)
    load = skrf.Network(model).interpolate(network.frequency, kind="linear")
    cascaded = network ** load
    check(len(matched.f) == 41, f"the lossy matched export has {len(matched.f)} points")
    worst = max(abs(a - b) for a, b in zip(cascaded.s[:, 0, 0], matched.s[:, 0, 0]))
    check(worst < 1e-9, f"the lossy matched export differs from scikit-rf's cascade by {worst}")

    lossy = json.loads(run(cli, ["sweep", "--format", "json", "--load-file", model, *design,
                                 *losses, *span]).stdout)
    ideal = json.loads(run(cli, ["sweep", "--format", "json", "--load-file", model, *design,
                                 *span]).stdout)
    check("losses" in lossy and "measured" in lossy,
          f"the lossy measured sweep lacks a member: {sorted(lossy)}")
    check(lossy["summary"]["attenuation_3f0_db"] is None, "3 f0 beyond the band is not null")
    gain = lossy["columns"].index("transducer_gain_dB")
    for p, q in zip(lossy["points"], ideal["points"]):
        check(p[gain] < q[gain], f"at {p[0]} Hz the lossy gain {p[gain]} is not below the "
              f"ideal {q[gain]}")
    table = run(cli, ["sweep", "--load-file", model, *design, *losses, *span]).stdout
    check(table.startswith("Lossy parts") and "Load: measured, model.s1p port 1" in table,
          "the lossy measured table does not say both")


def check_errors(cli, model, directory):
    result = run(cli, ["design", "--load-file", model, "--frequency", "7.5M"], 2)
    check(result.stderr.strip().endswith(
        "7.5 MHz is outside model.s1p's band (1 MHz to 6 MHz)") and result.stdout == "",
          f"out of band: {result.stderr!r}")
    for command in ["sweep", "export csv"]:
        result = run(cli, [*command.split(), "--source-file", model, "--frequency", "900k"], 2)
        check("900 kHz is outside model.s1p's band" in result.stderr,
              f"{command}: {result.stderr!r}")
    missing = os.path.join(directory, "gone.s1p")
    result = run(cli, ["design", "--load-file", missing], 2)
    check(result.stderr.count("\n") == 1 and "gone.s1p" in result.stderr,
          f"unreadable file: {result.stderr!r}")
    bad = os.path.join(directory, "bad.s1p")
    with open(bad, "w") as f:
        f.write("# MHz S RI R 50\n1 0.5\n")
    result = run(cli, ["sweep", "--load-file", bad], 2)
    check(result.stderr.count("\n") == 1 and "bad.s1p:2" in result.stderr,
          f"malformed file: {result.stderr!r}")
    result = run(cli, ["design", "--load-file", model, "--load-port", "2"], 2)
    check("has no port 2" in result.stderr, f"missing port: {result.stderr!r}")
    result = run(cli, ["design", "--load-port", "1"], 2)
    check("--load-port needs --load-file" in result.stderr, f"port alone: {result.stderr!r}")
    result = run(cli, ["design", "--load", "series:50:0", "--load-file", model], 2)
    check("either typed" in result.stderr, f"typed and measured: {result.stderr!r}")


def check_instrument_file(cli, data):
    ring = os.path.join(data, "ring_slot_measured.s1p")
    result = run(cli, ["design", "--load-file", ring], 2)
    check("3.75 MHz is outside ring_slot_measured.s1p's band (75 GHz to 110 GHz)" in
          result.stderr, f"the instrument file: {result.stderr!r}")


def main():
    cli, data = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as directory:
        model = write_model(directory)
        check_design(cli, model)
        check_sweep(cli, model)
        check_matched(cli, model, directory)
        check_lossy(cli, model, directory)
        check_errors(cli, model, directory)
        check_instrument_file(cli, data)
    for failure in FAILURES:
        print("FAIL:", failure)
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
