#!/usr/bin/env python3
"""Reads a reconciliation result with openpyxl and checks its suggestion sheet against what
make_near_miss_example.py planted. Prints each disagreement; exits 1 when there is one.

    check_near_miss.py RESULT.xlsx PLANTED.json
"""

import json
import sys

import openpyxl

HEADER = ("序号", "规则", "可信度", "左项行号", "左项金额", "右项行号", "右项金额", "差额",
          "日期差(天)", "说明")


def rows_text(rows):
    return "_".join(str(r) for r in rows)


def main():
    result, planted_path = sys.argv[1], sys.argv[2]
    planted = json.load(open(planted_path, encoding="utf-8"))
    book = openpyxl.load_workbook(result)
    problems = []
    names = book.sheetnames
    if "1.疑似匹配" not in names:
        print("no sheet 1.疑似匹配 in", names)
        return 1
    sheet = book["1.疑似匹配"]
    report = [n for n in names if n.startswith("1.") and n.endswith("比对报告√")]
    if not report or names.index("1.疑似匹配") != names.index(report[0]) + 1:
        problems.append(f"the sheet does not follow the report: {names}")
    source = book[[n for n in names if n.startswith("▲")][0]]
    header = tuple(c.value for c in sheet[4])
    if header != HEADER:
        problems.append(f"header {header}")
    if sheet.freeze_panes != "A5":
        problems.append(f"frozen at {sheet.freeze_panes}")

    suggested = []
    for row in sheet.iter_rows(min_row=5):
        if row[0].value is None:
            continue
        number, rule, confidence, left, left_amount, right, right_amount, difference, gap, why = (
            c.value for c in row[:10])
        suggested.append((rule, confidence, str(left), str(right)))
        for value in (left_amount, right_amount, difference, gap):
            if not isinstance(value, (int, float)):
                problems.append(f"row {number}: {value!r} is no number")
        if round(left_amount - right_amount, 2) != round(difference, 2):
            problems.append(f"row {number}: 差额 {difference} is not {left_amount} - {right_amount}")
        if not why:
            problems.append(f"row {number}: no reason")
        for cell, label in ((row[3], "左行"), (row[5], "右行")):
            first = str(cell.value).split("/")[0].split("_")[0]
            link = cell.hyperlink.location if cell.hyperlink else None
            if not link:
                problems.append(f"row {number}: {cell.coordinate} has no link")
                continue
            target_sheet, target_cell = link.rsplit("!", 1)
            target_sheet = target_sheet.strip("'").replace("''", "'")
            if target_sheet != source.title or book[target_sheet][target_cell].value != label + first:
                problems.append(f"row {number}: {cell.coordinate} links to {link}")

    for story in planted["stories"]:
        left, right = story["left"], story["right"]
        if story["confidence"] == "待定":
            wanted = (story["rule"], "待定", rows_text(left), "/".join(str(r) for r in right))
        else:
            wanted = (story["rule"], story["confidence"], rows_text(left), rows_text(right))
        if wanted not in suggested:
            problems.append(f"planted {wanted} not suggested")
    if len(suggested) != len(planted["stories"]):
        problems.append(f"{len(suggested)} suggestions for {len(planted['stories'])} stories")
    for side, column in (("left", 2), ("right", 3)):
        listed = {int(r) for s in suggested for alt in s[column].split("/") for r in alt.split("_")}
        for row in planted["unrelated"][side]:
            if row in listed:
                problems.append(f"unrelated {side} row {row} suggested")

    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
