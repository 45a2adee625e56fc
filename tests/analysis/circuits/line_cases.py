"""Prints the impedance scikit-rf finds through a transmission line, for the C++ line test.

usage: line_cases.py lossless Z0 VELOCITY_FACTOR METRES
       line_cases.py rlgc R_DC R_SQRT L G_DC G_PER_HZ C METRES

lossless is scikit-rf's DefinedAEpTandZ0 medium (A = 0, tanD = 0, ep_r = 1 / vf^2); rlgc its
DistributedCircuit medium with R(f) = R_DC + R_SQRT sqrt(f) and G(f) = G_DC + G_PER_HZ f. For
each frequency and load of the fixed sets below, a line

  LINE <frequency in Hz> <load resistance> <load reactance> <resistance> <reactance>

gives the impedance at the near end of the line with the load at its far end, from the line's
Z-parameters: Z11 - Z12 Z21 / (Z22 + ZL). Lines not starting with LINE are scikit-rf's own.
"""
import sys

import numpy as np

if "complex" not in np.__dict__:
    np.complex = complex

import skrf  # noqa: E402
from skrf.media import DefinedAEpTandZ0, DistributedCircuit  # noqa: E402

FREQUENCIES = np.array([0.137e6, 1.8e6, 3.6e6, 7.1e6, 14.2e6, 28.5e6, 50.1e6, 144.3e6, 432e6])
LOADS = [complex(50, 0), complex(12.5, -30), complex(3000, 1200), complex(73, 42.5)]


def main(arguments):
    kind = arguments[0]
    numbers = [float(a) for a in arguments[1:]]
    frequency = skrf.Frequency.from_f(FREQUENCIES, unit="hz")
    f = FREQUENCIES
    if kind == "lossless":
        z0, vf, metres = numbers
        media = DefinedAEpTandZ0(frequency, A=0.0, ep_r=1.0 / vf ** 2, tanD=0.0, Z0=z0)
    else:
        r_dc, r_sqrt, inductance, g_dc, g_per_hz, capacitance, metres = numbers
        media = DistributedCircuit(frequency, C=capacitance, L=inductance,
                                   R=r_dc + r_sqrt * np.sqrt(f), G=g_dc + g_per_hz * f)
    line = media.line(metres, "m")
    # The line's S are of its own characteristic impedance as port impedance, pseudo-waves.
    z = skrf.s2z(line.s, line.z0, s_def="pseudo")
    for k, hertz in enumerate(f):
        for load in LOADS:
            zin = z[k, 0, 0] - z[k, 0, 1] * z[k, 1, 0] / (z[k, 1, 1] + load)
            print("LINE", repr(float(hertz)), repr(load.real), repr(load.imag),
                  repr(float(zin.real)), repr(float(zin.imag)))


if __name__ == "__main__":
    main(sys.argv[1:])
