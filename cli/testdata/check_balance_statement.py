#!/usr/bin/env python3
"""Generates journals and bank statements with outstanding items of every kind, reconciles
each pair with tallimo-cli --balance-statement and checks the 余额调节表 through openpyxl
against figures worked out here. Prints each disagreement; exits 1 when there is one.

    check_balance_statement.py TALLIMO_CLI WORK_FOLDER
"""

import datetime
import random
import subprocess
import sys
from pathlib import Path

import openpyxl

JOURNAL_TITLES = ["日期", "凭证号", "摘要", "借方金额", "贷方金额", "余额"]
BANK_TITLES = ["交易日期", "流水号", "对方户名", "收入金额", "支出金额", "余额"]
KINDS = ["银行已收、企业未收", "银行已付、企业未付", "企业已收、银行未收", "企业已付、银行未付"]


def cents(rng, low, high):
    return rng.randrange(low * 100, high * 100) + rng.choice([1, 7, 33, 50, 99])


def write_book(path, titles, movements, opening):
    """movements: (date, memo, receipt cents, payment cents); returns the closing cents and the
    sheet row of each movement."""
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.append(titles)
    balance = opening
    rows = []
    for i, (day, memo, receipt, payment) in enumerate(sorted(movements, key=lambda m: m[0])):
        balance += receipt - payment
        sheet.append([day, "N%04d" % i, memo, receipt / 100 if receipt else None,
                      payment / 100 if payment else None, balance / 100])
        sheet.cell(row=i + 2, column=1).number_format = "yyyy-mm-dd"
        rows.append((day, memo, receipt, payment, i + 2))
    book.save(path)
    return balance, rows


def books(rng, folder):
    start = datetime.date(2024, 5, 1)
    day = lambda: start + datetime.timedelta(days=rng.randrange(31))
    common = []
    for i in range(rng.randrange(30, 80)):
        amount = cents(rng, 10, 90000)
        common.append((day(), "往来%d" % i, amount, 0) if rng.random() < 0.5
                      else (day(), "往来%d" % i, 0, amount))
    outstanding = {kind: [] for kind in KINDS}
    journal, bank = list(common), list(common)
    for kind in KINDS:
        for i in range(rng.randrange(1, 5)):
            amount = cents(rng, 5, 30000)
            receipt = "已收" in kind.split("、")[0]
            movement = (day(), kind + str(i), amount if receipt else 0, 0 if receipt else amount)
            (bank if kind.startswith("银行") else journal).append(movement)
            outstanding[kind].append(movement)
    opening = cents(rng, 100000, 900000)
    journal_closing, journal_rows = write_book(folder / "journal.xlsx", JOURNAL_TITLES, journal,
                                               opening)
    bank_closing, bank_rows = write_book(folder / "bank.xlsx", BANK_TITLES, bank, opening)
    return journal_closing, bank_closing, outstanding, len(journal_rows), len(bank_rows)


def check(cli, folder, seed, statement_left):
    rng = random.Random(seed)
    journal_closing, bank_closing, outstanding, journal_rows, bank_rows = books(rng, folder)
    journal = ["--left" if not statement_left else "--right", folder / "journal.xlsx"]
    bank = ["--right" if not statement_left else "--left", folder / "bank.xlsx"]
    side = lambda flag, rows: [flag + "-range", "A2:F%d" % (rows + 1), flag + "-compare", "A",
                               flag + "-sum", "D,E"]
    args = [cli, "reconcile"] + journal + side(journal[0], journal_rows) + bank + \
        side(bank[0], bank_rows) + ["--balance-statement", "--output", folder / "result.xlsx"]
    if statement_left:
        args += ["--statement-side", "left"]
    run = subprocess.run([str(a) for a in args], capture_output=True, text=True)
    what = "seed %d%s" % (seed, ", statement on the left" if statement_left else "")
    problems = []
    if run.returncode != 0 or run.stdout.strip().splitlines()[-1] != "核对结果: 平衡":
        return ["%s: %s %s" % (what, run.stdout, run.stderr)]
    values = openpyxl.load_workbook(folder / "result.xlsx", data_only=True)
    formulas = openpyxl.load_workbook(folder / "result.xlsx")
    if values.sheetnames[-1] != "余额调节表":
        problems.append("%s: sheets %s" % (what, values.sheetnames))
    sheet = values["余额调节表"]
    total = {kind: sum(m[2] + m[3] for m in movements) for kind, movements in outstanding.items()}
    expected = {"B5": journal_closing, "D5": bank_closing,
                "B6": total[KINDS[0]], "B7": total[KINDS[1]],
                "D6": total[KINDS[2]], "D7": total[KINDS[3]],
                "B8": journal_closing + total[KINDS[0]] - total[KINDS[1]],
                "D8": bank_closing + total[KINDS[2]] - total[KINDS[3]]}
    for cell, want in expected.items():
        if round(sheet[cell].value * 100) != want:
            problems.append("%s: %s is %s, not %.2f" % (what, cell, sheet[cell].value, want / 100))
    if sheet["B9"].value != "平衡":
        problems.append("%s: B9 %r" % (what, sheet["B9"].value))
    form = formulas["余额调节表"]
    for cell, text in (("B8", "=B5+B6-B7"), ("D8", "=D5+D6-D7")):
        if form[cell].value != text:
            problems.append("%s: %s holds %r" % (what, cell, form[cell].value))
    if not str(form["B6"].value).startswith("=SUM("):
        problems.append("%s: B6 holds %r" % (what, form["B6"].value))
    listed = {kind: [] for kind in KINDS}
    for row in sheet.iter_rows(min_row=13, values_only=True):
        if row[0] in listed:
            listed[row[0]].append((row[3], round(row[4] * 100)))
    for kind in KINDS:
        want = sorted((m[1], m[2] + m[3]) for m in outstanding[kind])
        got = sorted((memo.split(" ", 1)[1], amount) for memo, amount in listed[kind])
        if got != want:
            problems.append("%s: %s lists %s, planted %s" % (what, kind, got, want))
    return problems


def main():
    cli, work = sys.argv[1], Path(sys.argv[2])
    problems = []
    for seed in (1, 2, 3):
        for statement_left in (False, True):
            folder = work / ("%d-%s" % (seed, statement_left))
            folder.mkdir(parents=True, exist_ok=True)
            problems += check(cli, folder, seed, statement_left)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
