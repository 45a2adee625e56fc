#!/usr/bin/env python3
"""A reference for the band search: scipy's differential evolution over every ladder
arrangement of N elements, minimising the worst |Gamma| over 3.5-3.8 MHz from a 50 ohm source
into docs/dipole80m.s1p, each run polished by scipy's local minimiser. Prints the best worst
return loss, its arrangement and the time taken.

usage: /usr/bin/python3 bench/band_de.py [N] [POINTS]   (defaults 4 and 101)
"""
import itertools
import os
import sys
import time

import numpy as np
from scipy.optimize import differential_evolution

n = int(sys.argv[1]) if len(sys.argv) > 1 else 4
points = int(sys.argv[2]) if len(sys.argv) > 2 else 101
here = os.path.dirname(os.path.abspath(__file__))
d = np.loadtxt(os.path.join(here, "..", "docs", "dipole80m.s1p"), comments=["!", "#"])
fr = d[:, 0] * 1e6
s = d[:, 1] + 1j * d[:, 2]
zf = 50 * (1 + s) / (1 - s)
f = np.linspace(3.5e6, 3.8e6, points)
w = 2 * np.pi * f
zl = np.interp(f, fr, zf.real) + 1j * np.interp(f, fr, zf.imag)
zs = 50.0
w0 = 2 * np.pi * 3.65e6
r0 = np.sqrt(50 * 63.7)


def worst(first_shunt, kinds, x):
    """Worst |Gamma| of the ladder; x the log of each reactance or susceptance at w0 over r0."""
    z = zl.copy()
    for k in reversed(range(len(kinds))):
        shunt = (k % 2 == 0) == first_shunt
        v = np.exp(x[k])
        if shunt:
            b = v / r0
            zp = 1j * w / (w0 * b) if kinds[k] else 1 / (1j * w * b / w0)
            z = z * zp / (z + zp)
        else:
            reactance = v * r0
            z = z + (1j * w * reactance / w0 if kinds[k] else 1 / (1j * w / (w0 * reactance)))
    return np.abs((z - np.conj(zs)) / (z + zs)).max()


start = time.time()
best = (np.inf, None)
for first in (False, True):
    for kinds in itertools.product((0, 1), repeat=n):
        r = differential_evolution(lambda x: worst(first, kinds, x), [(-6, 6)] * n, seed=1,
                                   tol=1e-10, maxiter=400, popsize=20, polish=True)
        if r.fun < best[0]:
            best = (r.fun, (first, kinds, r.x))
print(f"{n} elements: worst return loss {-20 * np.log10(best[0]):.2f} dB, first shunt "
      f"{best[1][0]}, inductors {best[1][1]}, {time.time() - start:.1f} s")
