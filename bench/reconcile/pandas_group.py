#!/usr/bin/env python3
"""The reconciliation's grouping and classification done with pandas, for comparison.

    python3 pandas_group.py LEFT.csv RIGHT.csv
    python3 pandas_group.py LEFT.csv RIGHT.csv --csv OUT.csv [--row-lists]

For both sum columns (借方金额 and 贷方金额, compared by 日期) it builds the group keys
(comparison text, "|", trimmed amount text); then, timed, it groups each side's rows by key with
their counts and row numbers and classifies every key as matched, left more, right more, left
only or right only. Prints one JSON line with the wall and CPU seconds of the timed part, the
class counts and, computed exactly in decimals after the timed part, the two amounts of each
pass's conclusion as 15 significant digits show them.

With --csv it does the bare work of one pass instead, all of it timed: read both CSV files, build
the keys of one side pair (日期 and 借方金额), group each side's rows by key with their counts,
join the two sides, classify every key and write one CSV line per key (key, left count, right
count, class). --row-lists adds each side's row list as the report shows it ("5_9_12", sheet
rows). Prints one JSON line with the wall and CPU seconds from the start of reading to the end of
writing; starting Python and importing pandas are not counted.
"""

import json
import sys
import time
from decimal import Decimal, InvalidOperation

import numpy as np
import pandas as pd

COMPARE = "日期"
SUMS = ["借方金额", "贷方金额"]


def keys_of(frame, sum_column):
    return frame[COMPARE] + "|" + frame[sum_column].str.strip()


def group(keys):
    keys = keys[keys.str.strip() != ""]
    grouped = keys.groupby(keys, sort=False)
    counts = grouped.size()
    rows = grouped.indices  # key -> positions, the row lists
    return counts, rows


def classify(left_counts, right_counts):
    both = pd.concat([left_counts.rename("left"), right_counts.rename("right")], axis=1)
    left = both["left"].fillna(0).to_numpy()
    right = both["right"].fillna(0).to_numpy()
    outcome = np.select(
        [(left > 0) & (right > 0) & (left == right), (left > 0) & (right > 0) & (left > right),
         (left > 0) & (right > 0), left > 0],
        ["matched", "left_more", "right_more", "left_only"], "right_only")
    return pd.Series(outcome).value_counts().to_dict()


def amount(key):
    try:
        return Decimal(key.rsplit("|", 1)[-1].replace(",", ""))
    except InvalidOperation:
        return Decimal(0)


def conclusion_amounts(left_counts, right_counts):
    """Left more and right more: the sums of the positive and negative total differences."""
    more = [Decimal(0), Decimal(0)]
    for key in left_counts.index.union(right_counts.index):
        difference = amount(key) * (int(left_counts.get(key, 0)) - int(right_counts.get(key, 0)))
        more[0 if difference > 0 else 1] += difference
    return ["%.15g" % float(more[0]), "%.15g" % float(abs(more[1]))]


def group_csv(left_path, right_path, out_path, row_lists):
    read = dict(dtype=str, keep_default_na=False, encoding="utf-8")
    sides = []
    for path in (left_path, right_path):
        frame = pd.read_csv(path, **read)
        keys = keys_of(frame, SUMS[0])
        keys.index = keys.index + 2  # sheet rows: the header is row 1
        keys = keys[keys.str.strip() != ""]
        grouped = keys.groupby(keys, sort=False)
        columns = {"count": grouped.size()}
        if row_lists:
            rows = pd.Series(keys.index.astype(str), index=keys.index)
            columns["rows"] = rows.groupby(keys, sort=False).agg("_".join)
        sides.append(pd.DataFrame(columns))
    both = sides[0].join(sides[1], how="outer", lsuffix="_left", rsuffix="_right")
    for column in ("count_left", "count_right"):
        both[column] = both[column].fillna(0).astype(int)
    left = both["count_left"].to_numpy()
    right = both["count_right"].to_numpy()
    both["class"] = np.select(
        [(left > 0) & (right > 0) & (left == right), (left > 0) & (right > 0) & (left > right),
         (left > 0) & (right > 0), left > 0],
        ["matched", "left_more", "right_more", "left_only"], "right_only")
    both.to_csv(out_path, encoding="utf-8")


def main():
    if "--csv" in sys.argv:
        out = sys.argv[sys.argv.index("--csv") + 1]
        start = time.perf_counter()
        cpu_start = time.process_time()
        group_csv(sys.argv[1], sys.argv[2], out, "--row-lists" in sys.argv)
        print(json.dumps({"seconds": time.perf_counter() - start,
                          "cpu": time.process_time() - cpu_start}))
        return
    read = dict(dtype=str, keep_default_na=False, encoding="utf-8")
    left = pd.read_csv(sys.argv[1], **read)
    right = pd.read_csv(sys.argv[2], **read)
    keys = [(keys_of(left, column), keys_of(right, column)) for column in SUMS]
    start = time.perf_counter()
    cpu_start = time.process_time()
    classes = {}
    for pass_number, (left_keys, right_keys) in enumerate(keys, start=1):
        left_counts, _ = group(left_keys)
        right_counts, _ = group(right_keys)
        classes["pass%d" % pass_number] = classify(left_counts, right_counts)
    seconds = time.perf_counter() - start
    cpu = time.process_time() - cpu_start
    amounts = {"pass%d" % n: conclusion_amounts(group(l)[0], group(r)[0])
               for n, (l, r) in enumerate(keys, start=1)}
    print(json.dumps({"seconds": seconds, "cpu": cpu, "classes": classes, "amounts": amounts},
                     ensure_ascii=False))


if __name__ == "__main__":
    main()
