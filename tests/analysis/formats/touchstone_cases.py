"""Writes Touchstone files of random networks and prints the port impedances scikit-rf finds.

usage: touchstone_cases.py OUTPUT_DIR [MEASURED_FILE ...]
       touchstone_cases.py --shipped

Every combination of format (RI, MA, DB), parameter (S, Y, Z), frequency unit, port count
(1 to 4) and version (1, 2) gets a file in OUTPUT_DIR. For each port of each file, at every
file point and half way between neighbours, a line

  CASE <file> <port> <frequency in Hz> <resistance> <reactance>

gives Zref (1 + Skk) / (1 - Skk), with Skk linearly interpolated by scikit-rf. The S data come
from scikit-rf reading the file itself where it can (version 1 S-parameter files), and
otherwise from the network the file was written from, converted to Y or Z by scikit-rf's own
s2y and s2z. Each MEASURED_FILE (an instrument's file) is reported as scikit-rf reads it.

With --shipped, every Touchstone file installed with scikit-rf itself that it can read gives,
for each port at each file point, a line

  SHIPPED <file> <port> <frequency in Hz> <resistance> <reactance>

with the reference impedances scikit-rf reads (its option line's R, complex as it writes it,
or a field solver's "! Port Impedance" comments), and a line "UNREAD <file> <reason>" for a
file it cannot read. Against a complex reference Z0 the impedance is the power-wave one,
scikit-rf's default: (S Z0 + conj(Z0)) / (1 - S).

Lines not starting with one of these words are scikit-rf's own notices.
"""
import itertools
import os
import sys

import numpy as np

# Debian 12's scikit-rf 0.15 still spells numpy's complex type np.complex, which its numpy
# dropped; the builtin is what that alias always meant.
if "complex" not in np.__dict__:
    np.complex = complex

import skrf  # noqa: E402

UNITS = {"Hz": 1.0, "kHz": 1e3, "MHz": 1e6, "GHz": 1e9}


def number(value):
    return repr(float(value))


def pair(value, form):
    if form == "RI":
        return [value.real, value.imag]
    magnitude = abs(value)
    angle = np.degrees(np.angle(value))
    if form == "MA":
        return [magnitude, angle]
    return [20.0 * np.log10(magnitude), angle]


def random_network(rng, ports, points, symmetric, z0):
    f = np.cumsum(rng.uniform(0.2e6, 3e6, points)) + rng.uniform(1e5, 1e7)
    s = 0.8 * (rng.uniform(-1, 1, (points, ports, ports)) +
               1j * rng.uniform(-1, 1, (points, ports, ports))) / ports
    if symmetric:
        s = 0.5 * (s + np.transpose(s, (0, 2, 1)))
    return f, s, np.array(z0, dtype=float)


def record_values(matrix, ports, version, order12, layout):
    """The matrix entries in the order a record holds them."""
    if ports == 2 and layout == "Full":
        if version == 2 and order12:
            return [matrix[0, 0], matrix[0, 1], matrix[1, 0], matrix[1, 1]]
        return [matrix[0, 0], matrix[1, 0], matrix[0, 1], matrix[1, 1]]
    rows = []
    for i in range(ports):
        columns = range(ports)
        if layout == "Lower":
            columns = range(i + 1)
        elif layout == "Upper":
            columns = range(i, ports)
        rows.append([matrix[i, j] for j in columns])
    return rows


def write_file(path, f_hz, data, z0, ports, version, unit, parameter, form, layout, order12):
    scale = UNITS[unit]
    lines = ["! written by touchstone_cases.py"]
    if version == 2:
        lines.append("[Version] 2.0")
    lines.append(f"# {unit} {parameter} {form} R {number(z0[0] if version == 1 else 50.0)}")
    if version == 2:
        lines.append(f"[Number of Ports] {ports}")
        if ports == 2:
            lines.append("[Two-Port Data Order] " + ("12_21" if order12 else "21_12"))
        lines.append(f"[Number of Frequencies] {len(f_hz)}")
        # One impedance per line from the second port on, as some writers do.
        lines.append("[Reference] " + number(z0[0]))
        lines += [number(r) for r in z0[1:]]
        lines.append(f"[Matrix Format] {layout}")
        lines.append("[Network Data]")
    frequencies = []
    for k, f in enumerate(f_hz):
        text = number(f / scale)
        frequencies.append(float(text) * scale)
        values = record_values(data[k], ports, version, order12, layout)
        if ports <= 2 and layout == "Full":
            if ports == 1:
                values = values[0]
            lines.append(" ".join([text] + [number(x) for v in values for x in pair(v, form)]))
            continue
        first = True
        for row in values:
            numbers = [number(x) for v in row for x in pair(v, form)]
            for start in range(0, len(numbers), 8):
                chunk = numbers[start:start + 8]
                lines.append(" ".join(([text] if first else ["   "]) + chunk))
                first = False
    if version == 2:
        lines.append("[End]")
    with open(path, "w") as out:
        out.write("\n".join(lines) + "\n")
    return np.array(frequencies)


def impedance(skk, z0):
    """The power-wave impedance behind reflection skk against reference z0 (real or complex)."""
    return (skk * z0 + np.conj(z0)) / (1 - skk)


def shipped():
    root = os.path.dirname(skrf.__file__)
    paths = []
    for folder, _, names in os.walk(root):
        for name in names:
            extension = name.lower().rsplit(".", 1)[-1]
            if extension == "ts" or (len(extension) >= 3 and extension[0] == "s" and
                                     extension[-1] == "p" and extension[1:-1].isdigit()):
                paths.append(os.path.join(folder, name))
    for path in sorted(paths):
        try:
            read = skrf.Network(path)
        except Exception as error:  # noqa: BLE001 - any reason scikit-rf gives
            print("UNREAD", path.replace(" ", "%20"), type(error).__name__)
            continue
        z0 = np.broadcast_to(read.z0, read.s.shape[:2])
        for port in range(read.nports):
            for k, f in enumerate(read.f):
                value = impedance(read.s[k, port, port], z0[k, port])
                print("SHIPPED", path.replace(" ", "%20"), port + 1, number(f),
                      number(value.real), number(value.imag))


def report(path, f_hz, s, z0, ports):
    network = skrf.Network(frequency=skrf.Frequency.from_f(f_hz, unit="hz"), s=s, z0=z0)
    middle = 0.5 * (f_hz[:-1] + f_hz[1:])
    at = np.sort(np.concatenate([f_hz, middle]))
    at = at[(at >= f_hz[0]) & (at <= f_hz[-1])]
    between = network.interpolate(skrf.Frequency.from_f(at, unit="hz"), kind="linear")
    for port in range(ports):
        skk = between.s[:, port, port]
        z = impedance(skk, z0[port])
        for f, value in zip(at, z):
            print("CASE", path, port + 1, number(f), number(value.real), number(value.imag))


def main(directory, measured):
    for path in measured:
        read = skrf.Network(path)
        report(path, read.f, read.s, np.real(read.z0[0]), read.nports)
    rng = np.random.default_rng(20261208)
    count = 0
    for ports, version, parameter, form, unit in itertools.product(
            range(1, 5), (1, 2), "SYZ", ("RI", "MA", "DB"), UNITS):
        layouts = ["Full"] if version == 1 or ports == 1 else ["Full", "Lower", "Upper"]
        for layout in layouts:
            count += 1
            order12 = count % 2 == 0
            if version == 1:
                z0 = [rng.choice([50.0, 75.0, 1.0, 300.0])] * ports
            else:
                z0 = list(rng.uniform(10.0, 200.0, ports))
            f, s, z0 = random_network(rng, ports, 5, layout != "Full", z0)
            if parameter == "S":
                data = s
            elif parameter == "Z":
                data = skrf.s2z(s, z0)
            else:
                data = skrf.s2y(s, z0)
            if version == 1 and parameter == "Z":
                data = data / z0[0]
            if version == 1 and parameter == "Y":
                data = data * z0[0]
            name = f"case{count:03d}_v{version}_{parameter}_{form}_{unit}_{layout}.s{ports}p"
            path = os.path.join(directory, name)
            f_read = write_file(path, f, data, z0, ports, version, unit, parameter, form,
                                layout, order12)
            if version == 1 and parameter == "S":
                # scikit-rf reads these itself: its reading is the reference.
                read = skrf.Network(path)
                report(path, read.f, read.s, np.real(read.z0[0]), ports)
            else:
                report(path, f_read, s, z0, ports)


if __name__ == "__main__":
    if sys.argv[1:] == ["--shipped"]:
        shipped()
    else:
        main(sys.argv[1], sys.argv[2:])
