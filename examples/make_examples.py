#!/usr/bin/env python3
"""Writes the bundled example workbooks: a bank-account ledger and the bank's statement for the
first quarter of 2024, with the differences an accountant typically hunts for.

    python3 examples/make_examples.py [OUTPUT_FOLDER]

The draw is seeded, so the files come out the same on every run. Planted differences (what
the demo's reconciliation should find):

  ledger only   - three cheques written at the end of March that the bank has not yet paid,
                  and a deposit in transit on 29 March;
  bank only     - bank charges, the quarter's interest and a social-insurance direct debit
                  that were never booked;
  doubled       - one customer receipt booked twice in the ledger (left more), one bank
                  charge debited twice by the bank (right more);
  mistyped      - a receipt booked as 12,580.00 that the bank shows as 12,850.00 (debit side)
                  and a payment booked as 3,467.20 that the bank paid as 3,476.20 (credit side);
  both sides    - receipts and payments live in separate columns, so the reconciliation runs
                  debit against income and credit against expense: two passes;
  balances      - both books carry a running balance (余额) from the same opening balance, so
                  the balance reconciliation statement of the two passes comes out balanced.
"""

import datetime
import random
import sys
from pathlib import Path

from openpyxl import Workbook
from openpyxl.styles import Alignment, Border, Font, PatternFill, Side

SEED = 20240331
AMOUNT_FORMAT = "#,##0.00"
DATE_FORMAT = "yyyy-mm-dd"
PERIOD_START = datetime.date(2024, 1, 2)
PERIOD_END = datetime.date(2024, 3, 29)

CUSTOMERS = [
    "上海恒泰贸易有限公司", "杭州万润电子科技有限公司", "苏州宏达精密机械有限公司",
    "南京金桥物流有限公司", "宁波海晨进出口有限公司", "无锡瑞丰纺织有限公司",
    "合肥天成建材有限公司", "常州新华包装材料有限公司", "嘉兴永盛化工有限公司",
    "绍兴联合印染有限公司",
]
SUPPLIERS = [
    "江苏华光原材料有限公司", "浙江盛达五金制品有限公司", "上海蓝海办公用品有限公司",
    "国网上海市电力公司", "上海市自来水有限公司", "中国电信上海分公司",
    "德邦物流股份有限公司", "上海广联广告有限公司",
]
OWN_NAME = "上海明诚实业有限公司"
# What both books carried forward from December, when they last agreed.
OPENING_BALANCE_CENTS = 85632045


def working_days():
    day = PERIOD_START
    days = []
    while day <= PERIOD_END:
        if day.weekday() < 5:
            days.append(day)
        day += datetime.timedelta(days=1)
    return days


def money(rng, low, high):
    return round(rng.uniform(low, high), 2)


def draw_transactions(rng):
    """The quarter's true movements: (date, kind, amount, counterparty, summary)."""
    moves = []
    for day in working_days():
        for _ in range(rng.choice([3, 4, 4, 5, 5, 6])):
            if rng.random() < 0.45:
                who = rng.choice(CUSTOMERS)
                moves.append((day, "in", money(rng, 800, 86000), who, "收" + who[:4] + "货款"))
            else:
                who = rng.choice(SUPPLIERS)
                if who.startswith(("国网", "上海市自来水", "中国电信")):
                    amount = money(rng, 300, 9000)
                    summary = "付" + who[-6:-2] + "费"
                elif who.startswith(("德邦", "上海广联", "上海蓝海")):
                    amount = money(rng, 500, 12000)
                    summary = "付" + who[2:4] + "服务费"
                else:
                    amount = money(rng, 2000, 68000)
                    summary = "付" + who[2:4] + "材料款"
                moves.append((day, "out", amount, who, summary))
        if day == min(d for d in working_days() if d.month == day.month and d.day >= 10):
            moves.append((day, "out", money(rng, 48000, 52000), "代发工资", "发放工资"))
    # Two genuinely identical receipts on one day: a group of two on each side, matched.
    repeat_day = datetime.date(2024, 2, 6)
    moves.append((repeat_day, "in", 5000.00, CUSTOMERS[2], "收苏州宏达定金"))
    moves.append((repeat_day, "in", 5000.00, CUSTOMERS[2], "收苏州宏达定金"))
    moves.sort(key=lambda m: m[0])
    return moves


def plant_differences(rng, moves):
    ledger = [dict(date=d, kind=k, amount=a, who=w, summary=s) for d, k, a, w, s in moves]
    bank = [dict(date=d, kind=k, amount=a, who=w) for d, k, a, w, s in moves]

    # Mistyped amounts: the ledger clerk swapped two digits.
    receipt = next(i for i, m in enumerate(ledger) if m["kind"] == "in" and m["date"].month == 2)
    ledger[receipt]["amount"], bank[receipt]["amount"] = 12580.00, 12850.00
    payment = next(i for i, m in enumerate(ledger) if m["kind"] == "out" and m["date"].month == 3)
    ledger[payment]["amount"], bank[payment]["amount"] = 3467.20, 3476.20

    # A receipt booked twice.
    doubled = next(i for i, m in enumerate(ledger) if m["kind"] == "in" and m["date"].month == 1)
    ledger.append(dict(ledger[doubled]))

    # Outstanding items on the ledger side at the end of the quarter.
    ledger.append(dict(date=datetime.date(2024, 3, 28), kind="out", amount=18600.00,
                       who=SUPPLIERS[0], summary="开出转账支票付原材料款"))
    ledger.append(dict(date=datetime.date(2024, 3, 28), kind="out", amount=4235.50,
                       who=SUPPLIERS[6], summary="开出转账支票付运费"))
    ledger.append(dict(date=datetime.date(2024, 3, 29), kind="out", amount=960.00,
                       who=SUPPLIERS[2], summary="开出转账支票付办公用品款"))
    ledger.append(dict(date=datetime.date(2024, 3, 29), kind="in", amount=27450.00,
                       who=CUSTOMERS[4], summary="存入宁波海晨货款支票"))

    # Items only the bank knows about.
    for month in (1, 2, 3):
        day = max(d for d in working_days() if d.month == month)
        bank.append(dict(date=day, kind="out", amount=rng.choice([15.00, 25.00, 30.00]),
                         who="中国工商银行", note="手续费"))
    bank.append(dict(date=datetime.date(2024, 3, 21), kind="in", amount=1286.43,
                     who="中国工商银行", note="一季度存款利息"))
    bank.append(dict(date=datetime.date(2024, 3, 15), kind="out", amount=23518.60,
                     who="上海市社会保险事业管理中心", note="社保代扣"))
    # A charge the bank debited twice.
    charge_day = datetime.date(2024, 2, 19)
    for _ in range(2):
        bank.append(dict(date=charge_day, kind="out", amount=50.00, who="中国工商银行",
                         note="网银年费"))
    ledger.append(dict(date=charge_day, kind="out", amount=50.00, who="中国工商银行",
                       summary="付网银年费"))

    ledger.sort(key=lambda m: m["date"])
    bank.sort(key=lambda m: m["date"])
    return ledger, bank


THIN = Side(style="thin", color="999999")
BOX = Border(left=THIN, right=THIN, top=THIN, bottom=THIN)
HEAD_FILL = PatternFill("solid", fgColor="DDEBF7")


def write_sheet(path, title, headings, widths, rows, amount_columns):
    book = Workbook()
    sheet = book.active
    sheet.title = title
    sheet.append(headings)
    for cell in sheet[1]:
        cell.font = Font(bold=True)
        cell.fill = HEAD_FILL
        cell.alignment = Alignment(horizontal="center")
        cell.border = BOX
    for row in rows:
        sheet.append(row)
    for row in sheet.iter_rows(min_row=2):
        row[0].number_format = DATE_FORMAT
        for column in amount_columns:
            row[column].number_format = AMOUNT_FORMAT
        for cell in row:
            cell.border = BOX
    for letter, width in widths.items():
        sheet.column_dimensions[letter].width = width
    sheet.freeze_panes = "A2"
    book.properties.creator = OWN_NAME
    book.properties.created = book.properties.modified = datetime.datetime(2024, 4, 1, 9, 0)
    book.save(path)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent
    rng = random.Random(SEED)
    ledger, bank = plant_differences(rng, draw_transactions(rng))

    ledger_rows = []
    balance = OPENING_BALANCE_CENTS
    for number, m in enumerate(ledger, start=1):
        debit = m["amount"] if m["kind"] == "in" else None
        credit = m["amount"] if m["kind"] == "out" else None
        balance += round((debit or 0) * 100) - round((credit or 0) * 100)
        ledger_rows.append([m["date"], "记-%04d" % number, m["summary"], debit, credit,
                            balance / 100])
    write_sheet(out / "ledger.xlsx", "银行存款日记账",
                ["日期", "凭证号", "摘要", "借方金额", "贷方金额", "余额"],
                {"A": 12, "B": 10, "C": 30, "D": 14, "E": 14, "F": 16}, ledger_rows, (3, 4, 5))

    bank_rows = []
    balance = OPENING_BALANCE_CENTS
    for number, m in enumerate(bank, start=1):
        income = m["amount"] if m["kind"] == "in" else None
        expense = m["amount"] if m["kind"] == "out" else None
        serial = "%s%05d" % (m["date"].strftime("%Y%m%d"), number)
        who = m.get("note") and m["who"] + "(" + m["note"] + ")" or m["who"]
        if m["who"] == "代发工资":
            who = OWN_NAME + "(代发工资)"
        balance += round((income or 0) * 100) - round((expense or 0) * 100)
        bank_rows.append([m["date"], serial, who, income, expense, balance / 100])
    write_sheet(out / "bank-statement.xlsx", "银行流水",
                ["交易日期", "流水号", "对方户名", "收入金额", "支出金额", "余额"],
                {"A": 12, "B": 16, "C": 36, "D": 14, "E": 14, "F": 16}, bank_rows, (3, 4, 5))
    print("ledger.xlsx: %d rows, bank-statement.xlsx: %d rows" % (len(ledger_rows), len(bank_rows)))


if __name__ == "__main__":
    main()
