"""Writes makers'-style Touchstone files of parts built by scikit-rf from equivalent circuits.

usage: part_file_cases.py OUTPUT_DIR

Each part is a 2-port test fixture of 50 ohm ports, written by scikit-rf's own writer:

  cap_series.s2p, cap_shunt.s2p   47 pF with 0.12 ohm ESR and 0.45 nH ESL (in series: the
                                  ESR, the ESL and the capacitance in cascade)
  ind_series.s2p, ind_shunt.s2p   12 nH with 0.8 ohm in series, 0.16 pF across both (the two
                                  branches' Y-parameters added)

in series between the ports or in shunt from the through line to ground, 100 MHz to 6 GHz in
10 MHz steps. One line per file, "PART <file> <mounting>", tells the test what was written.
"""
import os
import sys

import numpy as np

# Debian 12's scikit-rf 0.15 still spells numpy's complex type np.complex, which its numpy
# dropped; the builtin is what that alias always meant.
if "complex" not in np.__dict__:
    np.complex = complex

import skrf  # noqa: E402
from skrf.media import DefinedGammaZ0  # noqa: E402


def main(directory):
    frequency = skrf.Frequency(100, 6000, 591, "mhz")
    media = DefinedGammaZ0(frequency, z0=50)
    capacitor = media.resistor(0.12) ** media.inductor(0.45e-9) ** media.capacitor(47e-12)
    branch = media.resistor(0.8) ** media.inductor(12e-9)
    across = media.capacitor(0.16e-12)
    inductor = skrf.Network(frequency=frequency, s=skrf.y2s(branch.y + across.y, z0=50), z0=50)
    for name, series in (("cap", capacitor), ("ind", inductor)):
        # The part alone as a 1-port (its far end grounded), put across the through line.
        shunt = media.shunt(series ** media.short(nports=1))
        for mounting, network in (("series", series), ("shunt", shunt)):
            network.name = name + "_" + mounting
            network.write_touchstone(dir=directory, form="ri")
            print("PART", network.name + ".s2p", mounting)


if __name__ == "__main__":
    main(sys.argv[1])
