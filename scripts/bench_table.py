#!/usr/bin/env python3
"""The benchmarks' JSON output (with repetitions) as a Markdown table.

One row per grid, one column per stage: the median wall time of the
repetitions, and in parentheses the CPU time of all the process's threads.

usage: bench_table.py bench.json
"""
import json
import sys


def main():
    with open(sys.argv[1]) as f:
        results = json.load(f)["benchmarks"]
    stages, grids, cells, unit = [], [], {}, ""
    for b in results:
        if b.get("aggregate_name") != "median":
            continue
        stage = b["run_name"].split("/")[0].replace("BM_", "")
        grid = b["label"]
        if stage not in stages:
            stages.append(stage)
        if grid not in grids:
            grids.append(grid)
        cells[stage, grid] = "%.1f (%.1f)" % (b["real_time"], b["cpu_time"])
        unit = b["time_unit"]
    print("| grid: wall %s (CPU %s) | " % (unit, unit) + " | ".join(stages) + " |")
    print("|---" * (len(stages) + 1) + "|")
    for grid in grids:
        print("| %s | " % grid + " | ".join(cells.get((s, grid), "") for s in stages) + " |")


if __name__ == "__main__":
    main()
