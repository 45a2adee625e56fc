"""Reads Touchstone files with scikit-rf and prints what it understood, for the C++ test.

For every file given: a line "FILE <path> <ports> <points>", a line "Z0 <real> <imag>" with
the reference impedance of port 1, then one line per frequency:
"S <f in Hz> <S11 re> <S11 im> <S21 re> <S21 im> <S12 re> <S12 im> <S22 re> <S22 im>".
Lines that do not start with one of these words come from scikit-rf itself.
"""
import sys

import skrf


def main(paths):
    for path in paths:
        network = skrf.Network(path)
        s = network.s
        print("FILE", path, network.nports, len(network.f))
        z0 = network.z0[0, 0]
        print("Z0", repr(float(z0.real)), repr(float(z0.imag)))
        for k, f in enumerate(network.f):
            values = [s[k, 0, 0], s[k, 1, 0], s[k, 0, 1], s[k, 1, 1]]
            parts = []
            for v in values:
                parts += [repr(float(v.real)), repr(float(v.imag))]
            print("S", repr(float(f)), " ".join(parts))


if __name__ == "__main__":
    main(sys.argv[1:])
