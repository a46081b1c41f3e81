#!/usr/bin/env python3
"""Writes a ledger and a bank statement whose unmatched rows tell the stories an accountant
untangles by hand, and a list of what was planted.

    python3 examples/make_near_miss_example.py [OUTPUT_FOLDER] [--copies N] [--seed S]

Without options it writes the bundled example (one story of each kind) into examples/:
near-miss-ledger.xlsx, near-miss-bank.xlsx and near-miss-planted.json. With --copies N every
story is planted N times with other amounts, names and dates, for tests.

Both files hold 日期 | 凭证号/流水号 | 对方户名 | 摘要 | 金额, receipts positive and payments
negative; reconcile them with 日期 and 对方户名 as comparison columns and 金额 as the sum:

    tallimo-cli reconcile --left near-miss-ledger.xlsx --left-compare A,C --left-sum E \\
        --right near-miss-bank.xlsx --right-compare A,C --right-sum E \\
        --suggest --fee-limit 50 --output result.xlsx

Every story sits in its own stretch of days, further from the next than the date window, so
that only its own rows can explain each other. Rows on both sides that agree exactly fill the
days between.
"""

import argparse
import datetime
import json
import random
from pathlib import Path

from openpyxl import Workbook
from openpyxl.styles import Font

FIRST_DAY = datetime.date(2024, 1, 2)
STRETCH = 20  # days per story: more than twice the 7-day window
FEE_LIMIT = 50

NAMES = [
    ("北京云帆科技有限公司", "云帆科技"),
    ("上海恒泰贸易有限公司", "恒泰贸易"),
    ("杭州万润电子科技有限公司", "万润电子科技"),
    ("宁波海晨进出口有限公司", "宁波海晨进出口"),
    ("苏州宏达精密机械股份有限公司", "苏州宏达精密机械"),
    ("南京金桥物流集团", "金桥物流"),
]
PAYEES = ["江苏华光原材料有限公司", "浙江盛达五金制品有限公司", "上海蓝海办公用品有限公司",
          "德邦物流股份有限公司", "上海广联广告有限公司", "中国电信上海分公司"]


class Sides:
    def __init__(self):
        self.ledger = []  # (date, name, summary, amount)
        self.bank = []

    def add(self, side, day, name, summary, amount):
        rows = self.ledger if side == "left" else self.bank
        rows.append((day, name, summary, round(amount, 2)))
        return len(rows) - 1


def amount_with_digits(rng, low, high):
    """An amount whose cents are not 00 and whose digits are not all alike."""
    while True:
        value = round(rng.uniform(low, high), 2)
        digits = f"{value:.2f}".replace(".", "")
        if len(set(digits)) >= 4 and not digits.endswith("0"):
            return value


def swapped(amount):
    """The amount with two neighbouring unequal digits swapped (digits before the cents)."""
    text = f"{amount:.2f}"
    whole, cents = text.split(".")
    for i in range(len(whole) - 1):
        if whole[i] != whole[i + 1] and not (i == 0 and whole[i + 1] == "0"):
            return float(whole[:i] + whole[i + 1] + whole[i] + whole[i + 2:] + "." + cents)
    raise ValueError(text)


def one_digit_changed(rng, amount):
    """One digit of the whole part changed, so that the difference does not divide by 9 and is
    more than a bank fee."""
    whole, cents = f"{amount:.2f}".split(".")
    while True:
        i = rng.randrange(1, len(whole) - 2)
        digit = rng.choice([d for d in "0123456789" if d != whole[i]])
        changed = float(whole[:i] + digit + whole[i + 1:] + "." + cents)
        if round(abs(changed - amount) * 100) % 9 != 0:
            return changed


def plant_stories(rng, sides, start, copy):
    """Plants one story of each kind from `start`; returns what was planted."""
    planted = []
    day = start

    def stretch():
        nonlocal day
        begin = day
        day += datetime.timedelta(days=STRETCH)
        return begin

    def story(rule, confidence, left, right):
        planted.append({"rule": rule, "confidence": confidence, "left": left, "right": right})

    customer, short = NAMES[copy % len(NAMES)]
    payee = PAYEES[copy % len(PAYEES)]
    d = stretch()
    a = amount_with_digits(rng, 10000, 60000)
    story("日期相近", "高", [sides.add("left", d, customer, "收货款", a)],
          [sides.add("right", d + datetime.timedelta(days=2), customer, "货款", a)])
    d = stretch()
    a = amount_with_digits(rng, 1000, 9000)
    story("日期相近", "中", [sides.add("left", d, payee, "付材料款", -a)],
          [sides.add("right", d + datetime.timedelta(days=5), payee, "转账支付", -a)])
    d = stretch()
    a = amount_with_digits(rng, 2000, 30000)
    story("名称相近", "高", [sides.add("left", d, customer, "收货款", a)],
          [sides.add("right", d, "网银转账" + short, "货款", a)])
    d = stretch()
    a = amount_with_digits(rng, 500, 5000)
    story("正负相反", "中", [sides.add("left", d, payee, "退回多付货款", a)],
          [sides.add("right", d + datetime.timedelta(days=1), payee, "退款", -a)])
    d = stretch()
    a = amount_with_digits(rng, 1000, 9999)
    story("数字颠倒", "低", [sides.add("left", d, customer, "收货款", a)],
          [sides.add("right", d, customer, "货款", swapped(a))])
    d = stretch()
    a = amount_with_digits(rng, 1000, 9999)
    story("单数字错", "低", [sides.add("left", d, payee, "付服务费", -a)],
          [sides.add("right", d + datetime.timedelta(days=1), payee, "服务费",
                     -one_digit_changed(rng, a))])
    d = stretch()
    a = amount_with_digits(rng, 100, 999)
    story("小数点错位", "低", [sides.add("left", d, customer, "收货款", a * 10)],
          [sides.add("right", d, customer, "货款", a)])
    d = stretch()
    a = amount_with_digits(rng, 5000, 20000)
    fee = rng.choice([5, 10, 15, 20, 25])
    story("手续费差额", "中", [sides.add("left", d, customer, "收货款", a)],
          [sides.add("right", d + datetime.timedelta(days=1), customer, "货款(扣手续费)",
                     a - fee)])
    d = stretch()
    parts = [amount_with_digits(rng, 1000, 8000) for _ in range(3)]
    lefts = [sides.add("left", d + datetime.timedelta(days=i), customer, "收货款", part)
             for i, part in enumerate(parts)]
    story("拆分合并", "高", lefts,
          [sides.add("right", d + datetime.timedelta(days=3), customer, "合并入账", sum(parts))])
    d = stretch()
    a = amount_with_digits(rng, 300, 3000)
    left = sides.add("left", d + datetime.timedelta(days=2), payee, "付款", -a)
    rights = [sides.add("right", d, payee, "支付", -a),
              sides.add("right", d + datetime.timedelta(days=4), payee, "支付", -a)]
    story("日期相近", "待定", [left], rights)
    d = stretch()
    unrelated = {
        "left": [sides.add("left", d, "零星采购", "现金采购", -amount_with_digits(rng, 3000, 4000))],
        "right": [sides.add("right", d + datetime.timedelta(days=1), "短信服务费", "银行收费",
                            -amount_with_digits(rng, 60, 95))],
    }
    return planted, unrelated, day


def fill_matched(rng, sides, first, last, count):
    """Rows both sides hold exactly alike."""
    span = (last - first).days
    for _ in range(count):
        day = first + datetime.timedelta(days=rng.randrange(span + 1))
        who = rng.choice(PAYEES + [n for n, _ in NAMES])
        amount = amount_with_digits(rng, 100, 90000) * rng.choice([1, -1])
        sides.add("left", day, who, "往来款", amount)
        sides.add("right", day, who, "往来款", amount)


def write_book(path, title, number_head, prefix, rows):
    book = Workbook()
    sheet = book.active
    sheet.title = title
    sheet.append(["日期", number_head, "对方户名", "摘要", "金额"])
    for cell in sheet[1]:
        cell.font = Font(bold=True)
    for i, (day, name, summary, amount) in enumerate(rows, start=1):
        sheet.append([day, f"{prefix}{i:04d}", name, summary, amount])
        sheet.cell(row=i + 1, column=1).number_format = "yyyy-mm-dd"
        sheet.cell(row=i + 1, column=5).number_format = "#,##0.00"
    for column, width in zip("ABCDE", (12, 12, 30, 18, 14)):
        sheet.column_dimensions[column].width = width
    book.save(path)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder", nargs="?", default=str(Path(__file__).resolve().parent))
    parser.add_argument("--copies", type=int, default=1)
    parser.add_argument("--seed", type=int, default=20240105)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    sides = Sides()
    planted, unrelated = [], {"left": [], "right": []}
    day = FIRST_DAY
    for copy in range(args.copies):
        stories, alone, day = plant_stories(rng, sides, day, copy)
        planted += stories
        for side in ("left", "right"):
            unrelated[side] += alone[side]
    fill_matched(rng, sides, FIRST_DAY, day, 40 * args.copies)

    # Sorted by date as a ledger is; the planted indices become sheet rows (data from row 2).
    def sheet_rows(rows):
        order = sorted(range(len(rows)), key=lambda i: (rows[i][0], i))
        row_of = {index: position + 2 for position, index in enumerate(order)}
        return [rows[i] for i in order], row_of

    ledger, left_row = sheet_rows(sides.ledger)
    bank, right_row = sheet_rows(sides.bank)
    for story in planted:
        story["left"] = sorted(left_row[i] for i in story["left"])
        story["right"] = sorted(right_row[i] for i in story["right"])
    unrelated = {"left": sorted(left_row[i] for i in unrelated["left"]),
                 "right": sorted(right_row[i] for i in unrelated["right"])}

    folder = Path(args.folder)
    folder.mkdir(parents=True, exist_ok=True)
    write_book(folder / "near-miss-ledger.xlsx", "银行存款日记账", "凭证号", "记-", ledger)
    write_book(folder / "near-miss-bank.xlsx", "银行流水", "流水号", "B", bank)
    (folder / "near-miss-planted.json").write_text(
        json.dumps({"fee_limit": FEE_LIMIT, "stories": planted, "unrelated": unrelated},
                   ensure_ascii=False, indent=1) + "\n", encoding="utf-8")


if __name__ == "__main__":
    main()
