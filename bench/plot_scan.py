#!/usr/bin/env python3
"""Draws scan time against Uninstall entry count as an SVG (log-log), from the
micro-benchmarks' JSON (the scan on the simulated machine) and, optionally, the
end-to-end rows of wine_bench.sh (Setup.exe /x and its floor under Wine).
Usage: plot_scan.py MICRO.json [WINE_ROWS.md] > scan.svg"""
import json
import math
import re
import sys

series = {}
for run in json.load(open(sys.argv[1]))["benchmarks"]:
    name, _, size = run["name"].partition("/")
    if name == "UninstallScan" and run.get("run_type") != "aggregate":
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0}[run["time_unit"]]
        series.setdefault("scan on the simulated machine", []).append((int(size), run["real_time"] * scale))
if len(sys.argv) > 2:
    for line in open(sys.argv[2]):
        m = re.match(r"\| /x over (\d+) entries, match last \| ([\d.]+) ms \| scan floor: ([\d.]+) ms", line)
        if m:
            n = int(m.group(1))
            series.setdefault("Setup.exe /x under Wine", []).append((n, float(m.group(2))))
            series.setdefault("scan floor under Wine", []).append((n, float(m.group(3))))

W, H, L, R, T, B = 640, 400, 70, 220, 20, 50
xs = [x for pts in series.values() for x, _ in pts]
ys = [y for pts in series.values() for _, y in pts]
x0, x1 = math.log10(min(xs)) - 0.1, math.log10(max(xs)) + 0.1
y0, y1 = math.floor(math.log10(min(ys))), math.ceil(math.log10(max(ys)))
px = lambda x: L + (math.log10(x) - x0) / (x1 - x0) * (W - L - R)
py = lambda y: H - B - (math.log10(y) - y0) / (y1 - y0) * (H - T - B)
out = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" font-family="sans-serif" font-size="12">' % (W, H),
       '<rect width="100%" height="100%" fill="white"/>']
for e in range(y0, y1 + 1):
    y = py(10 ** e)
    out.append('<line x1="%d" y1="%.1f" x2="%d" y2="%.1f" stroke="#ddd"/>' % (L, y, W - R, y))
    out.append('<text x="%d" y="%.1f" text-anchor="end">%g ms</text>' % (L - 6, y + 4, 10 ** e))
for n in sorted(set(xs)):
    x = px(n)
    out.append('<line x1="%.1f" y1="%d" x2="%.1f" y2="%d" stroke="#ddd"/>' % (x, T, x, H - B))
    out.append('<text x="%.1f" y="%d" text-anchor="middle">%d</text>' % (x, H - B + 16, n))
out.append('<text x="%d" y="%d" text-anchor="middle">Uninstall entries (match last)</text>' % ((L + W - R) / 2, H - 12))
colors = ["#1f77b4", "#d62728", "#2ca02c"]
for i, (label, pts) in enumerate(series.items()):
    pts.sort()
    c = colors[i % 3]
    out.append('<polyline fill="none" stroke="%s" stroke-width="2" points="%s"/>' %
               (c, " ".join("%.1f,%.1f" % (px(x), py(y)) for x, y in pts)))
    for x, y in pts:
        out.append('<circle cx="%.1f" cy="%.1f" r="3" fill="%s"/>' % (px(x), py(y), c))
    out.append('<text x="%d" y="%d" fill="%s">%s</text>' % (W - R + 10, T + 20 + 18 * i, c, label))
out.append("</svg>")
print("\n".join(out))
