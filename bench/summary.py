#!/usr/bin/env python3
"""One run, one table: tallimo-cli against pandas and against the bare writing limit.

    python3 bench/summary.py --cli build/tallimo-cli [--repeats N] [--large-repeats N] [ROWS...]

bench/run.sh calls this; see there for what each figure times.
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
LARGE = 1_000_000


def run(args):
    """Wall seconds, CPU seconds and peak resident MiB of one child process, and its output.
    The child is reaped with wait4, which reports that child's own resources alone."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        start = time.perf_counter()
        child = subprocess.Popen([str(a) for a in args], stdout=out, stderr=err)
        _, status, usage = os.wait4(child.pid, 0)
        wall = time.perf_counter() - start
        child.returncode = os.waitstatus_to_exitcode(status)
        out.seek(0)
        err.seek(0)
        if child.returncode != 0:
            sys.exit("%s failed (exit %d):\n%s" % (" ".join(map(str, args)), child.returncode,
                                                    err.read().decode("utf-8", "replace")))
        return {"seconds": wall, "cpu": usage.ru_utime + usage.ru_stime,
                "peak": usage.ru_maxrss / 1024, "out": out.read().decode("utf-8", "replace")}


def median_of(runs, key):
    return statistics.median(r[key] for r in runs)


def repeated(times, args, inner=False):
    """Median figures of `times` runs; with `inner` the wall and CPU seconds the program prints
    about its own work (one JSON line) replace the process's."""
    runs = []
    for _ in range(times):
        figures = run(args)
        if inner:
            figures.update(json.loads(figures["out"].strip().splitlines()[-1]))
        runs.append(figures)
    return {key: median_of(runs, key) for key in ("seconds", "cpu", "peak")}


def progress(text):
    print(text, file=sys.stderr, flush=True)


def measure(rows, cli, python, repeats, work):
    reconcile = HERE / "reconcile"
    progress("== %d rows: data" % rows)
    run([python, reconcile / "make_data.py", rows, work])
    run([python, HERE / "dedup" / "make_data.py", rows, work])
    left, right, data = work / "left.csv", work / "right.csv", work / "data.csv"
    result, dedup_result = work / "result.xlsx", work / "dedup.xlsx"
    last = "%d" % (rows + 1)
    found = {}
    reconcile_args = [
        cli, "reconcile", "--left", left, "--left-range", "A2:F" + last, "--left-sum", "E,F",
        "--left-compare", "A", "--right", right, "--right-range", "A2:F" + last,
        "--right-sum", "E,F", "--right-compare", "A", "--output", result]
    progress("   tallimo-cli reconcile x%d" % repeats)
    found["reconcile"] = repeated(repeats, reconcile_args)
    progress("   tallimo-cli reconcile --suggest --balance-statement x%d" % repeats)
    found["suggest"] = repeated(repeats, reconcile_args + ["--suggest", "--balance-statement"])
    for name, extra in (("pandas", []), ("pandas_rows", ["--row-lists"])):
        progress("   %s x%d" % (name, repeats))
        found[name] = repeated(repeats, [python, reconcile / "pandas_group.py", left, right,
                                         "--csv", work / "pandas.csv"] + extra, inner=True)
    progress("   tallimo-cli dedup x%d" % repeats)
    found["dedup"] = repeated(repeats, [
        cli, "dedup", "--input", data, "--range", "A2:E" + last, "--columns", "A,C,E",
        "--colors", "2,7", "--output", dedup_result])
    for name, book in (("deflate", result), ("dedup_deflate", dedup_result)):
        progress("   zlib level 1 over the parts of %s" % book.name)
        found[name] = json.loads(run([python, HERE / "deflate_limit.py", book, 3])["out"])
    return found


def seconds(figure):
    return "%.2f" % figure["seconds"]


def table(results, repeats_of):
    lines = ["| rows | measured | wall s | CPU s | peak MiB | µs per row | tallimo-cli ÷ this "
             "(wall) | (CPU) |",
             "|---:|---|---:|---:|---:|---:|---:|---:|"]

    def line(rows, what, figure, ours=None, peak=True):
        ratio = ratio_cpu = "—"
        if ours is not None:
            ratio = "%.2f" % (ours["seconds"] / figure["seconds"])
            ratio_cpu = "%.2f" % (ours["cpu"] / figure["cpu"])
        lines.append("| %s | %s | %s | %.2f | %s | %.2f | %s | %s |" % (
            format(rows, ","), what, seconds(figure), figure["cpu"],
            "%.0f" % figure["peak"] if peak else "—", figure["seconds"] / rows * 1e6, ratio,
            ratio_cpu))

    for rows, found in results.items():
        n = repeats_of(rows)
        runs = "median of %d" % n if n > 1 else "one run"
        ours, dedup = found["reconcile"], found["dedup"]
        line(rows, "tallimo-cli reconcile, 2 CSV files in, formatted result .xlsx out (%s)"
             % runs, ours)
        suggest = found["suggest"]
        line(rows, "tallimo-cli reconcile --suggest --balance-statement, the same with the "
             "near-miss sheets and the balance statement (%s): %.2f × the wall time without them"
             % (runs, suggest["seconds"] / ours["seconds"]), suggest)
        line(rows, "pandas: read both CSV files, group one side pair by key with counts, "
             "classify, CSV out", found["pandas"], ours)
        line(rows, "pandas: the same with each group's row list", found["pandas_rows"], ours)
        for cores in ("one_core", "two_cores"):
            limit = dict(found["deflate"][cores], peak=0)
            line(rows, "zlib level 1 over the result's %.0f MiB of XML parts, %s"
                 % (found["deflate"]["bytes"] / 2**20, cores.replace("_", " ")), limit, ours,
                 peak=False)
        line(rows, "tallimo-cli dedup, CSV in, report .xlsx out (%s)" % runs, dedup)
        limit = dict(found["dedup_deflate"]["one_core"], peak=0)
        line(rows, "zlib level 1 over the dedup report's %.0f MiB of XML parts, one core"
             % (found["dedup_deflate"]["bytes"] / 2**20), limit, dedup, peak=False)
    return "\n".join(lines)


def targets(results):
    """The targets, each with the two-core deflate time of the result's own XML beside it, so the
    distance to what the machine can do stays in view."""
    checks = []

    def deflate(found, key="deflate"):
        return "; zlib level 1 on two cores over its XML: %.2f s" % found[key]["two_cores"]["seconds"]

    def against_pandas(rows, label, limit):
        found = results[rows]
        ratio = found["reconcile"]["seconds"] / found["pandas"]["seconds"]
        checks.append(("2 x %s reconcile ÷ pandas grouping with CSV out <= %.1f" % (label, limit),
                       "%.2f (%.2f s against %.2f s%s)" % (ratio, found["reconcile"]["seconds"],
                                                           found["pandas"]["seconds"],
                                                           deflate(found)), ratio <= limit))

    def extras(rows, label):
        found = results[rows]
        ratio = found["suggest"]["seconds"] / found["reconcile"]["seconds"]
        checks.append(("2 x %s reconcile --suggest --balance-statement ÷ reconcile <= 1.25"
                       % label, "%.2f" % ratio, ratio <= 1.25))

    if 50_000 in results:
        against_pandas(50_000, "50,000", 2.5)
    if 200_000 in results:
        extras(200_000, "200,000")
    if LARGE in results:
        against_pandas(LARGE, "1,000,000", 2.0)
        extras(LARGE, "1,000,000")
        peak = results[LARGE]["reconcile"]["peak"]
        checks.append(("2 x 1,000,000 reconcile peak <= 1536 MiB", "%.0f MiB" % peak,
                       peak <= 1536))
        dedup = results[LARGE]["dedup"]
        checks.append(("dedup of 1,000,000 rows <= 5 s", "%.2f s%s" % (
            dedup["seconds"], deflate(results[LARGE], "dedup_deflate")), dedup["seconds"] <= 5))
    return "\n".join("- %s: %s, %s" % (what, value, "met" if ok else "MISSED")
                     for what, value, ok in checks)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--repeats", type=int, default=3)
    parser.add_argument("--large-repeats", type=int, default=1)
    parser.add_argument("rows", nargs="*", type=int, default=[50_000, 200_000, LARGE])
    options = parser.parse_args()

    def repeats_of(rows):
        return options.large_repeats if rows >= LARGE else options.repeats

    results = {}
    with tempfile.TemporaryDirectory() as folder:
        for rows in options.rows:
            results[rows] = measure(rows, options.cli, sys.executable, repeats_of(rows),
                                    Path(folder))
    print(table(results, repeats_of))
    print()
    print(targets(results))


if __name__ == "__main__":
    main()
