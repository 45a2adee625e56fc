#!/usr/bin/env python3
"""Draws the return loss of `corvantile-cli band` designs over frequency as an SVG, with the
band shaded and the Bode-Fano level as a dashed line. Plain Python: no plotting library.

usage: band_plot.py BAND.json LOAD.s1p FROM_HZ TO_HZ OUT.svg [SOURCE_OHMS]
The designs are solved here again from their elements, between a resistive source and the
load read from the one-port Touchstone file (S, RI or MA, any frequency unit).
"""
import cmath
import json
import math
import sys


def read_s1p(path):
    scale = {"hz": 1.0, "khz": 1e3, "mhz": 1e6, "ghz": 1e9}
    unit, form, z0, points = 1e9, "ma", 50.0, []
    with open(path) as f:
        for line in f:
            line = line.split("!")[0].strip()
            if not line:
                continue
            if line.startswith("#"):
                words = line[1:].lower().split()
                for i, w in enumerate(words):
                    if w in scale:
                        unit = scale[w]
                    elif w in ("ri", "ma", "db"):
                        form = w
                    elif w == "r":
                        z0 = float(words[i + 1])
                continue
            f_, a, b = (float(x) for x in line.split()[:3])
            if form == "ri":
                s = complex(a, b)
            else:
                mag = a if form == "ma" else 10 ** (a / 20)
                s = cmath.rect(mag, math.radians(b))
            points.append((f_ * unit, z0 * (1 + s) / (1 - s)))
    return points


def interpolate(points, f):
    for (f1, z1), (f2, z2) in zip(points, points[1:]):
        if f1 <= f <= f2:
            t = (f - f1) / (f2 - f1)
            return z1 + t * (z2 - z1)
    raise ValueError(f"{f} Hz is outside the file")


def input_impedance(elements, zl, w):
    z = zl
    for e in reversed(elements):
        part = 1j * w * e["value"] if e["part"] == "inductor" else 1 / (1j * w * e["value"])
        z = z * part / (z + part) if e["connection"] == "shunt" else z + part
    return z


def main():
    band_json, s1p, lo, hi, out = sys.argv[1:6]
    rs = float(sys.argv[6]) if len(sys.argv) > 6 else 50.0
    lo, hi = float(lo), float(hi)
    data = json.load(open(band_json))
    load = read_s1p(s1p)
    # The bands and as much again either side, inside the file.
    f_from = max(load[0][0], lo - (hi - lo))
    f_to = min(load[-1][0], hi + (hi - lo))
    width, height, left, top, right, bottom = 720, 400, 60, 20, 150, 50
    pw, ph = width - left - right, height - top - bottom
    rl_max = 40.0
    xs = lambda f: left + pw * (f - f_from) / (f_to - f_from)
    ys = lambda rl: top + ph * (1 - min(max(rl, 0), rl_max) / rl_max)
    svg = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
           'font-family="sans-serif" font-size="12">',
           f'<rect width="{width}" height="{height}" fill="white"/>',
           f'<rect x="{xs(lo):.1f}" y="{top}" width="{xs(hi) - xs(lo):.1f}" height="{ph}" '
           'fill="#eef3fb"/>']
    for rl in range(0, int(rl_max) + 1, 10):
        svg.append(f'<line x1="{left}" x2="{left + pw}" y1="{ys(rl):.1f}" y2="{ys(rl):.1f}" '
                   'stroke="#ccc"/>')
        svg.append(f'<text x="{left - 8}" y="{ys(rl) + 4:.1f}" text-anchor="end">{rl}</text>')
    step = 10 ** math.floor(math.log10((f_to - f_from) / 4))
    f = math.ceil(f_from / step) * step
    while f <= f_to + 1:
        svg.append(f'<text x="{xs(f):.1f}" y="{top + ph + 18}" text-anchor="middle">'
                   f'{f / 1e6:g}</text>')
        f += step
    svg.append(f'<text x="{left + pw / 2}" y="{height - 10}" text-anchor="middle">MHz</text>')
    svg.append(f'<text x="16" y="{top + ph / 2}" transform="rotate(-90 16 {top + ph / 2})" '
               'text-anchor="middle">return loss, dB</text>')
    bound = data["bode_fano"]["return_loss_db"]
    if bound is not None and bound <= rl_max:
        svg.append(f'<line x1="{xs(lo):.1f}" x2="{xs(hi):.1f}" y1="{ys(bound):.1f}" '
                   f'y2="{ys(bound):.1f}" stroke="black" stroke-dasharray="6 4"/>')
    colours = ["#999999", "#e6a100", "#2a7ab0", "#c0392b", "#27ae60", "#8e44ad"]
    legend_y = top + 10
    for d in data["designs"]:
        n = d["element_count"]
        path = []
        for k in range(401):
            f = f_from + (f_to - f_from) * k / 400
            w = 2 * math.pi * f
            zin = input_impedance(d["elements"], interpolate(load, f), w)
            g = abs((zin - rs) / (zin + rs))
            path.append(f"{xs(f):.1f},{ys(-20 * math.log10(max(g, 1e-12))):.1f}")
        colour = colours[(n - 1) % len(colours)]
        svg.append(f'<polyline fill="none" stroke="{colour}" stroke-width="2" '
                   f'points="{" ".join(path)}"/>')
        svg.append(f'<line x1="{left + pw + 12}" x2="{left + pw + 32}" y1="{legend_y}" '
                   f'y2="{legend_y}" stroke="{colour}" stroke-width="2"/>')
        svg.append(f'<text x="{left + pw + 38}" y="{legend_y + 4}">{n} element'
                   f'{"s" if n > 1 else ""}</text>')
        legend_y += 20
    if bound is not None:
        note = f"Bode-Fano {bound:.1f} dB" if bound <= rl_max else f"Bode-Fano {bound:.1f} dB (off scale)"
        svg.append(f'<text x="{left + pw + 12}" y="{legend_y + 4}">{note}</text>')
    svg.append(f'<rect x="{left}" y="{top}" width="{pw}" height="{ph}" fill="none" '
               'stroke="black"/>')
    svg.append("</svg>")
    open(out, "w").write("\n".join(svg) + "\n")


if __name__ == "__main__":
    main()
