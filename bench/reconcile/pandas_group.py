#!/usr/bin/env python3
"""The reconciliation's grouping and classification done with pandas, for comparison.

    python3 pandas_group.py LEFT.csv RIGHT.csv

For both sum columns (借方金额 and 贷方金额, compared by 日期) it builds the group keys
(comparison text, "|", trimmed amount text), groups each side's rows by key with their counts
and row numbers, and classifies every key as matched, left more, right more, left only or right
only. Reading the files is not timed; prints one JSON line with the seconds and the class counts.
"""

import json
import sys
import time

import numpy as np
import pandas as pd

COMPARE = "日期"
SUMS = ["借方金额", "贷方金额"]


def group(frame, sum_column):
    keys = frame[COMPARE] + "|" + frame[sum_column].str.strip()
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


def main():
    read = dict(dtype=str, keep_default_na=False, encoding="utf-8")
    left = pd.read_csv(sys.argv[1], **read)
    right = pd.read_csv(sys.argv[2], **read)
    start = time.perf_counter()
    classes = {}
    for pass_number, column in enumerate(SUMS, start=1):
        left_counts, _ = group(left, column)
        right_counts, _ = group(right, column)
        classes["pass%d" % pass_number] = classify(left_counts, right_counts)
    seconds = time.perf_counter() - start
    print(json.dumps({"seconds": seconds, "classes": classes}, ensure_ascii=False))


if __name__ == "__main__":
    main()
