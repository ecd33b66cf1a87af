#!/usr/bin/env python3
"""Reads the micro-benchmarks' JSON output and prints, for each benchmark,
the time ratio between sizes ten times apart: linear scaling means the ratio
stays at or below 12 (ten times the work in at most twelve times the time).
It reports; it asserts nothing. Usage: check_scaling.py RESULTS.json"""
import json
import sys

runs = json.load(open(sys.argv[1]))["benchmarks"]
by_name = {}
for run in runs:
    if run.get("run_type") == "aggregate":
        continue
    family, _, size = run["name"].partition("/")
    by_name.setdefault(family, []).append((int(size), run["real_time"], run["time_unit"]))

print("%-14s %8s %8s %14s %9s  %s" % ("benchmark", "size", "x size", "time", "x time", "linear?"))
for family, points in by_name.items():
    points.sort()
    for (small, t_small, unit), (large, t_large, _) in zip(points, points[1:]):
        size_ratio = large / small
        time_ratio = t_large / t_small
        # Scaled to a tenfold step, so that 10,000 -> 32,767 is judged alike.
        per_tenfold = time_ratio * (10.0 / size_ratio)
        verdict = "yes" if per_tenfold <= 12.0 else "NO"
        print("%-14s %8d %8.2f %11.1f %s %9.2f  %s (%.1f per tenfold)" %
              (family, large, size_ratio, t_large, unit, time_ratio, verdict, per_tenfold))
