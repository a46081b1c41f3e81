#!/usr/bin/env python3
"""Writes the bundled example for the duplicate finder: a sales-receipt journal of the first
quarter of 2024 in which some receipts were entered more than once.

    python3 examples/make_dup_example.py [OUTPUT_FOLDER]

The draw is seeded, so the file comes out the same on every run. The journal ("收款日记账")
has a title row, a heading row and 120 entries in A3:F122 (date, voucher, customer, summary,
amount, clerk). Planted repeats over voucher, customer and amount (columns B, C and E):

  twice          - four receipts entered a second time later in the quarter;
  three times    - one receipt entered three times;
  spaces         - one receipt entered again with a space inside the customer's name: equal
                   only when spaces are ignored;
  not repeats    - one voucher number used again for another amount, and one customer paying
                   the same amount twice under different vouchers.
"""

import datetime
import random
import sys
from pathlib import Path

from openpyxl import Workbook
from openpyxl.styles import Font

SEED = 20240401
ROWS = 120
CUSTOMERS = [
    "上海恒泰贸易有限公司", "杭州万润电子科技有限公司", "苏州宏达精密机械有限公司",
    "南京金桥物流有限公司", "宁波海晨进出口有限公司", "无锡瑞丰纺织有限公司",
    "合肥天成建材有限公司", "常州新华包装材料有限公司",
]
CLERKS = ["王芳", "李娜", "张伟"]


def entries(rng):
    day = datetime.date(2024, 1, 2)
    rows = []
    for n in range(ROWS):
        day += datetime.timedelta(days=rng.choice([0, 0, 1, 1, 2]))
        customer = rng.choice(CUSTOMERS)
        amount = round(rng.uniform(800, 60000), 2)
        rows.append([day, f"收-{n + 1:04d}", customer, "收到货款", amount, rng.choice(CLERKS)])
    return rows


def plant(rows):
    # Entered again later, by another clerk on another day: the same voucher, customer, amount.
    for source, target in [(5, 40), (17, 63), (30, 88), (52, 101)]:
        again = list(rows[source])
        again[0], again[5] = rows[target][0], rows[target][5]
        rows[target] = again
    for target in (70, 95):
        again = list(rows[12])
        again[0] = rows[target][0]
        rows[target] = again
    # The same receipt with a space typed into the customer's name.
    spaced = list(rows[25])
    spaced[0] = rows[77][0]
    spaced[2] = spaced[2][:2] + " " + spaced[2][2:]
    rows[77] = spaced
    # Not repeats: a voucher number reused for another amount, a customer paying twice.
    rows[110][1], rows[110][4] = rows[8][1], round(rows[8][4] + 100, 2)
    rows[115][2], rows[115][4] = rows[33][2], rows[33][4]
    return rows


def main():
    folder = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent
    rows = plant(entries(random.Random(SEED)))
    book = Workbook()
    sheet = book.active
    sheet.title = "收款日记账"
    sheet["A1"] = f"{'上海明诚实业有限公司'} 2024年第一季度收款日记账"
    sheet["A1"].font = Font(bold=True, size=14)
    for column, heading in enumerate(["日期", "凭证号", "客户", "摘要", "金额", "录入人"], 1):
        cell = sheet.cell(row=2, column=column, value=heading)
        cell.font = Font(bold=True)
    for r, row in enumerate(rows, 3):
        for column, value in enumerate(row, 1):
            cell = sheet.cell(row=r, column=column, value=value)
            if column == 1:
                cell.number_format = "yyyy-mm-dd"
            if column == 5:
                cell.number_format = "#,##0.00"
    for column, width in zip("ABCDEF", [12, 11, 28, 10, 13, 8]):
        sheet.column_dimensions[column].width = width
    book.save(folder / "receipts.xlsx")


if __name__ == "__main__":
    main()
