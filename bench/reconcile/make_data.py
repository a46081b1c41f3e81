#!/usr/bin/env python3
"""Writes left.csv and right.csv for the reconciliation benchmark.

    python3 make_data.py ROWS OUTPUT_FOLDER

Six columns: 日期 (the comparison column), 凭证号, 摘要, 对方单位, 借方金额, 贷方金额 (the two
sum columns, one of them empty in every row, amounts with group separators). About 10% of the
rows differ between the sides: rows missing on the right, amounts changed on the right, rows
doubled on the left and rows only on the right. Seeded, so a size always gives the same files.
"""

import datetime
import random
import sys
from pathlib import Path

SUMMARIES = ["收货款", "付材料款", "付运费", "收服务费", "付水电费", "报销差旅费", "收利息",
             "付工资", "付税金", "收押金"]
PARTIES = ["恒泰贸易", "万润电子", "宏达机械", "金桥物流", "海晨进出口", "瑞丰纺织", "天成建材",
           "新华包装", "永盛化工", "联合印染"]
START = datetime.date(2023, 1, 1)


def amount_text(value):
    return '"{:,.2f}"'.format(value)


def row_text(date, voucher, rng, amount, debit):
    money = amount_text(amount)
    return ",".join([date.isoformat(), voucher, rng.choice(SUMMARIES), rng.choice(PARTIES),
                     money if debit else "", "" if debit else money])


def main():
    rows = int(sys.argv[1])
    out = Path(sys.argv[2])
    rng = random.Random(rows)
    header = "日期,凭证号,摘要,对方单位,借方金额,贷方金额\n"
    left, right = [header], [header]
    for i in range(rows):
        date = START + datetime.timedelta(days=i * 365 // rows)
        voucher = "记-%07d" % (i + 1)
        amount = round(rng.uniform(10, 200000), 2)
        debit = rng.random() < 0.5
        line = row_text(date, voucher, rng, amount, debit) + "\n"
        r = rng.random()
        left.append(line)
        if r < 0.04:
            continue  # only on the left
        if r < 0.07:
            right.append(row_text(date, voucher, rng, round(amount + rng.choice([-9, 9, 90]), 2),
                                  debit) + "\n")
            continue
        right.append(line)
        if r < 0.09:
            left.append(line)  # doubled on the left
        elif r < 0.10:
            right.append(row_text(date, "银-%07d" % i, rng, round(rng.uniform(1, 50), 2), False)
                         + "\n")
    # Both files hold exactly ROWS data rows, so the benchmark's ranges are known in advance.
    for name, lines in (("left.csv", left), ("right.csv", right)):
        lines = lines[:rows + 1]
        while len(lines) < rows + 1:
            lines.append(lines[-1])
        (out / name).write_text("".join(lines), encoding="utf-8")


if __name__ == "__main__":
    main()
