#!/usr/bin/env python3
"""Compares what `tallimo-cli area` shows for every sheet of workbooks with what LibreOffice
shows for them (its CSV export writes cells as shown), and prints the share of equal cells.

    scripts/compare-area-with-calc.py build/tallimo-cli FILE...

Each sheet is exported with `soffice --convert-to csv` (one file per sheet) into a temporary
folder; the area read is A1 to the export's last row and column.
"""
import csv
import io
import os
import subprocess
import sys
import tempfile


def column_letters(n):
    letters = ""
    while n:
        n, r = divmod(n - 1, 26)
        letters = chr(65 + r) + letters
    return letters


def calc_sheets(path, folder):
    # Options: comma, double quote, UTF-8, first line 1, no format, language, quote all off,
    # detect special numbers, save as shown, export formulas off, remove space off, sheet -1 (all).
    filt = 'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,-1'
    subprocess.run(["soffice", "--headless", "--convert-to", filt, "--outdir", folder, path],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    base = os.path.splitext(os.path.basename(path))[0]
    found = sorted(f for f in os.listdir(folder) if f.startswith(base) and f.endswith(".csv"))
    return [os.path.join(folder, f) for f in found]


def main():
    cli, files = sys.argv[1], sys.argv[2:]
    total = equal = 0
    for path in files:
        with tempfile.TemporaryDirectory() as folder:
            base = os.path.splitext(os.path.basename(path))[0]
            for export in calc_sheets(path, folder):
                name = os.path.basename(export)[:-4]
                sheet = name[len(base) + 1:] if name != base else None
                with open(export, encoding="utf-8", newline="") as f:
                    rows = list(csv.reader(f))
                width = max((len(r) for r in rows), default=0)
                if width == 0:
                    continue
                args = [cli, "area", path, "--range", f"A1:{column_letters(width)}{len(rows)}"]
                if sheet:
                    args += ["--sheet", sheet]
                out = subprocess.run(args, capture_output=True)
                if out.returncode != 0:
                    print(f"{path} [{sheet}]: {out.stderr.decode().strip()}")
                    total += sum(1 for r in rows for c in r if c)
                    continue
                ours = [line.split("\t") for line in out.stdout.decode().split("\r\n")[:-1]]
                for r, row in enumerate(rows):
                    for c in range(width):
                        theirs = row[c] if c < len(row) else ""
                        mine = ours[r][c] if r < len(ours) and c < len(ours[r]) else ""
                        theirs = theirs.replace("\t", " ").replace("\r", " ").replace("\n", " ")
                        if not theirs and not mine:
                            continue
                        total += 1
                        if theirs == mine:
                            equal += 1
                        elif os.environ.get("SHOW_DIFFERENCES"):
                            print(f"{path} [{sheet}] {column_letters(c + 1)}{r + 1}: "
                                  f"calc {theirs!r} ours {mine!r}")
    share = 100.0 * equal / total if total else 100.0
    print(f"{equal} of {total} non-empty cells equal ({share:.2f} %)")


if __name__ == "__main__":
    main()
