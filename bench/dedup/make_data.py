#!/usr/bin/env python3
"""Writes data.csv for timing tallimo-cli dedup.

    python3 make_data.py ROWS OUTPUT_FOLDER

Five columns: 凭证号, 日期, 客户, 摘要, 金额 (a header line, then ROWS data lines). Every tenth row
repeats an earlier one, so about 10% of the rows are duplicates over voucher, customer and amount.
Seeded, so a size always gives the same file.
"""

import random
import sys
from pathlib import Path


def main():
    rows = int(sys.argv[1])
    rng = random.Random(20240401)
    lines = []
    for r in range(rows):
        if r > 10 and r % 10 == 0:
            lines.append(lines[rng.randrange(r)])
            continue
        cents = rng.randint(100, 9999999)
        lines.append("记-%07d,2024-03-%02d,客户%d,收到货款,%d.%02d\r\n"
                     % (r + 1, rng.randint(1, 28), rng.randint(1, 5000), cents // 100, cents % 100))
    text = "凭证号,日期,客户,摘要,金额\r\n" + "".join(lines)
    (Path(sys.argv[2]) / "data.csv").write_text(text, encoding="utf-8")


if __name__ == "__main__":
    main()
