#!/usr/bin/env python3
"""Draws the soak figures (the CSV the RobustSoak scenario writes: minute, handles, private_mb,
working_set_mb, threads, gdi_free, windows, rounds) as an SVG of small charts over the minutes of
the run, each titled with its start, end and maximum and the slope over the last 30 minutes.
Plain SVG text, no modules beyond the standard library.

Usage: scripts/soak_plot.py SOAK.csv OUT.svg
"""
import csv
import sys
from xml.sax.saxutils import escape

SERIES = [
    ("handles", "handles", "#1f5fbf"),
    ("private_mb", "private bytes (MB)", "#bf3f1f"),
    ("working_set_mb", "working set (MB)", "#3f8f3f"),
    ("threads", "threads", "#7f3fbf"),
    ("gdi_free", "free GDI slots", "#8f6f1f"),
    ("windows", "windows", "#1f8f8f"),
]
W, H = 360, 170  # one chart
LEFT, RIGHT, TOP, BOTTOM = 56, 16, 44, 34


def nice_top(v):
    if v <= 0:
        return 1.0
    step = 10 ** len(str(int(v))) / 10
    for m in (1, 2, 2.5, 5, 10):
        if m * step >= v:
            return m * step
    return 10 * step


def slope_per_hour(minutes, values, window=30.0):
    """Least-squares slope over the last `window` minutes (the whole run when shorter), per
    hour, and the minutes it covers: growth that went on after the warm-up."""
    first = minutes[-1] - window
    pts = [(m, v) for m, v in zip(minutes, values) if m >= first]
    if len(pts) < 2:
        return 0.0, 0.0
    n = len(pts)
    mx = sum(m for m, _ in pts) / n
    my = sum(v for _, v in pts) / n
    sxx = sum((m - mx) ** 2 for m, _ in pts)
    if sxx == 0:
        return 0.0, 0.0
    return 60 * sum((m - mx) * (v - my) for m, v in pts) / sxx, pts[-1][0] - pts[0][0]


def chart(x0, y0, minutes, values, title, colour):
    out = []
    slope, covered = slope_per_hour(minutes, values)
    top = nice_top(max(values) * 1.25)
    span = max(minutes[-1], 1e-9)
    pw, ph = W - LEFT - RIGHT, H - TOP - BOTTOM

    def px(m):
        return x0 + LEFT + pw * m / span

    def py(v):
        return y0 + TOP + ph * (1 - v / top)

    out.append(f'<text x="{x0 + 12}" y="{y0 + 18}" font-size="12" font-weight="bold">'
               f'{escape(title)}: start {values[0]:g}, end {values[-1]:g}, max {max(values):g}'
               f'</text>')
    out.append(f'<text x="{x0 + 12}" y="{y0 + 33}" font-size="11">'
               f'slope over the last {covered:.0f} min: {slope:+.2f} per hour</text>')
    for i in range(5):
        v = top * i / 4
        y = py(v)
        out.append(f'<line x1="{x0 + LEFT}" y1="{y:.1f}" x2="{x0 + W - RIGHT}" y2="{y:.1f}" '
                   f'stroke="#ddd"/>')
        out.append(f'<text x="{x0 + LEFT - 6}" y="{y + 4:.1f}" font-size="10" '
                   f'text-anchor="end">{v:g}</text>')
    ticks = max(1, int(span // 10) or 1)
    m = 0
    while m <= span + 1e-9:
        x = px(m)
        out.append(f'<text x="{x:.1f}" y="{y0 + H - BOTTOM + 14}" font-size="10" '
                   f'text-anchor="middle">{m:g}</text>')
        m += ticks if span > 10 else 1
    out.append(f'<text x="{x0 + LEFT + pw / 2}" y="{y0 + H - 6}" font-size="10" '
               f'text-anchor="middle">minutes</text>')
    out.append(f'<rect x="{x0 + LEFT}" y="{y0 + TOP}" width="{pw}" height="{ph}" fill="none" '
               f'stroke="#888"/>')
    points = " ".join(f"{px(a):.1f},{py(b):.1f}" for a, b in zip(minutes, values))
    out.append(f'<polyline points="{points}" fill="none" stroke="{colour}" stroke-width="2"/>')
    for a, b in zip(minutes, values):
        out.append(f'<circle cx="{px(a):.1f}" cy="{py(b):.1f}" r="2.5" fill="{colour}"/>')
    return out


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1], newline="") as f:
        rows = list(csv.DictReader(f))
    if len(rows) < 2:
        sys.exit("soak_plot: fewer than two samples")
    minutes = [float(r["minute"]) for r in rows]
    rounds = rows[-1]["rounds"]
    series = [s for s in SERIES if s[0] in rows[0] and float(rows[0][s[0]]) >= 0]
    height = (len(series) + 1) // 2 * H + 40
    parts = [
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{2 * W}" height="{height}" '
        f'font-family="sans-serif">',
        f'<rect width="{2 * W}" height="{height}" fill="white"/>',
        f'<text x="12" y="24" font-size="14" font-weight="bold">Soak: {minutes[-1]:.0f} min, '
        f'{rounds} rounds (roll call, panel, music, countdown, skin), sampled each minute'
        f'</text>',
    ]
    for i, (key, title, colour) in enumerate(series):
        values = [float(r[key]) for r in rows]
        parts += chart((i % 2) * W, 40 + (i // 2) * H, minutes, values, title, colour)
    parts.append("</svg>")
    with open(sys.argv[2], "w") as f:
        f.write("\n".join(parts) + "\n")
    print(f"soak_plot: {len(rows)} samples over {minutes[-1]:.1f} minutes -> {sys.argv[2]}")


if __name__ == "__main__":
    main()
