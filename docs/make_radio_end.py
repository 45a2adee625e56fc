"""Writes docs/dipole80m-rg213-30m.s1p: docs/dipole80m.s1p as the radio end of 30 m of RG-213
sees it, the line modelled by scikit-rf's DistributedCircuit medium.

usage: python3 docs/make_radio_end.py   (from the top of the clone)

The line's constants come from RG-213's datasheet figures the way the program makes them: the
matched loss in dB per 100 ft fitted as k1 sqrt(f) + k2 f (least squares on the relative
error), then L = Z0 / v, C = 1 / (Z0 v), R = 2 Z0 alpha_c and G = 2 alpha_d / Z0.
"""
import os

import numpy as np

if "complex" not in np.__dict__:
    np.complex = complex

import skrf  # noqa: E402
from skrf.media import DistributedCircuit  # noqa: E402

Z0, VF, METRES = 50.0, 0.66, 30.0
# Belden 8267 RG-213/U: MHz, dB per 100 ft (the program's cable table).
FIGURES = [(1, 0.2), (10, 0.6), (50, 1.6), (100, 2.2), (200, 3.3), (400, 4.8), (1000, 8.2)]


def constants():
    f = np.array([m * 1e6 for m, _ in FIGURES])
    y = np.array([db for _, db in FIGURES]) / (100 * 0.3048)
    a = np.stack([np.sqrt(f), f], axis=1) / y[:, None]
    k1, k2 = np.linalg.lstsq(a, np.ones_like(y), rcond=None)[0]
    v = VF * 299792458.0
    neper = 20 / np.log(10)
    return 2 * Z0 * k1 / neper, Z0 / v, 2 * k2 / (neper * Z0), 1 / (Z0 * v)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    dipole = skrf.Network(os.path.join(here, "dipole80m.s1p"))
    r_sqrt, inductance, g_per_hz, capacitance = constants()
    f = dipole.f
    media = DistributedCircuit(dipole.frequency, C=capacitance, L=inductance,
                               R=r_sqrt * np.sqrt(f), G=g_per_hz * f)
    line = media.line(METRES, "m")
    z = skrf.s2z(line.s, line.z0, s_def="pseudo")
    load = dipole.z[:, 0, 0]
    seen = z[:, 0, 0] - z[:, 0, 1] * z[:, 1, 0] / (z[:, 1, 1] + load)
    s = ((seen - 50) / (seen + 50)).reshape(-1, 1, 1)
    out = skrf.Network(frequency=dipole.frequency, s=s, z0=50, name="dipole80m-rg213-30m")
    out.write_touchstone(os.path.join(here, "dipole80m-rg213-30m"))


if __name__ == "__main__":
    main()
