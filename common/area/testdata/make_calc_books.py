#!/usr/bin/python3
"""Makes the legacy (.xls) and OpenDocument (.ods) fixtures of the area reader with LibreOffice
itself, so that they are files as an office program writes them:

    python3 make_calc_books.py OUTDIR

formats.xls / formats.ods: values under many number formats, texts, truth values, errors,
formula results, a merged block, a hidden sheet and a sheet that starts below empty rows;
dates1904.xls: the same dates in a workbook counting from 1904.
Needs soffice and python3-uno (scripts/setup-calc.sh installs them).
"""
import os
import subprocess
import sys
import time

sys.path.append("/usr/lib/libreoffice/program")
import uno  # noqa: E402
from com.sun.star.beans import PropertyValue  # noqa: E402
from com.sun.star.lang import Locale  # noqa: E402
from com.sun.star.util import Date  # noqa: E402

FORMATS = [
    "0", "0.00", "#,##0", "#,##0.00", "#,##0.00;[RED]-#,##0.00", "0%", "0.00%",
    "0.00E+00", "# ?/?", "# ??/??", "¥#,##0.00", "[$¥-804]#,##0.00;-[$¥-804]#,##0.00", "@",
    "000000", "0.0", "#,##0.000",
]
VALUES = [0, 1, -1, 1234.5678, -98765.4321, 0.000123, 123456789.125, 45296.75, 0.5, 9.99e11,
          -0.004, 44927]
# Dates and times as ledgers hold them (the two programs differ on serials below 1, by design).
DATE_FORMATS = ["YYYY-MM-DD", "YYYY/M/D", "YYYY\"年\"M\"月\"D\"日\"", "M/D/YY H:MM", "HH:MM:SS",
                "[H]:MM", "MMM-YY", "YYYY-MM-DD HH:MM", "NN", "AAA"]
DATE_VALUES = [1, 61, 366, 36526, 43466.25, 44927, 45296.75, 45351, 45292.5, 47119.999]


def prop(name, value):
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p


def connect():
    port = "2083"
    office = subprocess.Popen(
        ["soffice", "--headless", "--invisible", "--norestore", "--nologo",
         f"--accept=socket,host=127.0.0.1,port={port};urp;"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    resolver = uno.getComponentContext().ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", uno.getComponentContext())
    for _ in range(120):
        try:
            context = resolver.resolve(
                f"uno:socket,host=127.0.0.1,port={port};urp;StarOffice.ComponentContext")
            return office, context.ServiceManager.createInstanceWithContext(
                "com.sun.star.frame.Desktop", context)
        except Exception:
            time.sleep(0.5)
    raise SystemExit("soffice did not answer")


def format_key(doc, code):
    formats = doc.NumberFormats
    locale = Locale("zh", "CN", "")
    key = formats.queryKey(code, locale, False)
    return key if key != -1 else formats.addNew(code, locale)


def fill_formats(doc):
    sheets = doc.Sheets
    sheet = sheets.getByIndex(0)
    sheet.Name = "格式"
    sheet.getCellByPosition(0, 0).String = "格式"
    for c, value in enumerate(VALUES):
        sheet.getCellByPosition(c + 1, 0).String = f"值{c + 1}"
    for r, code in enumerate(FORMATS, start=1):
        sheet.getCellByPosition(0, r).String = code
        key = format_key(doc, code)
        for c, value in enumerate(VALUES):
            cell = sheet.getCellByPosition(c + 1, r)
            cell.Value = value
            cell.NumberFormat = key
    row = len(FORMATS) + 1
    for code in DATE_FORMATS:
        sheet.getCellByPosition(0, row).String = code
        key = format_key(doc, code)
        for c, value in enumerate(DATE_VALUES):
            cell = sheet.getCellByPosition(c + 1, row)
            cell.Value = value
            cell.NumberFormat = key
        row += 1
    row += 1
    texts = ["摘要", "收宁波海晨货款", "Rent & fees", "  前导空格", "00123", "两行\n文本", "摘要"]
    for c, text in enumerate(texts):
        sheet.getCellByPosition(c, row).String = text
    row += 1
    formulas = ["=B2*2", "=1/0", "=TRUE()", "=FALSE()", "=\"ab\"&\"cd\"", "=NA()", "=SUM(B2:B6)",
                "=\"\"", "=DATE(2024;2;29)"]
    for c, formula in enumerate(formulas):
        sheet.getCellByPosition(c, row).Formula = formula
    sheet.getCellByPosition(8, row).NumberFormat = format_key(doc, "YYYY-MM-DD")
    row += 1
    sheet.getCellByPosition(0, row).String = "合并单元格"
    sheet.getCellRangeByPosition(0, row, 2, row + 1).merge(True)
    sheet.getCellByPosition(3, row).Value = 5

    sheets.insertNewByName("隐藏", 1)
    hidden = sheets.getByName("隐藏")
    hidden.getCellByPosition(0, 0).String = "隐藏的表"
    hidden.getCellByPosition(1, 0).Value = 42
    hidden.IsVisible = False

    sheets.insertNewByName("下移", 2)
    lower = sheets.getByName("下移")
    lower.getCellByPosition(2, 4).String = "日期"
    lower.getCellByPosition(3, 4).String = "金额"
    for r in range(5, 9):
        lower.getCellByPosition(2, r).Value = 45292 + r
        lower.getCellByPosition(2, r).NumberFormat = format_key(doc, "YYYY-MM-DD")
        lower.getCellByPosition(3, r).Value = r * 100.5
        lower.getCellByPosition(3, r).NumberFormat = format_key(doc, "#,##0.00")


def fill_1904(doc):
    doc.NullDate = Date(1, 1, 1904)
    sheet = doc.Sheets.getByIndex(0)
    sheet.Name = "1904"
    key = format_key(doc, "YYYY-MM-DD")
    for r, serial in enumerate([0, 1, 366, 43466, 43466.5]):
        cell = sheet.getCellByPosition(0, r)
        cell.Value = serial
        cell.NumberFormat = key
        sheet.getCellByPosition(1, r).Value = serial


def save(doc, path, filter_name):
    doc.storeToURL(uno.systemPathToFileUrl(os.path.abspath(path)),
                   (prop("FilterName", filter_name), prop("Overwrite", True)))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    office, desktop = connect()
    try:
        doc = desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0, ())
        fill_formats(doc)
        save(doc, os.path.join(out, "formats.xls"), "MS Excel 97")
        save(doc, os.path.join(out, "formats.ods"), "calc8")
        doc.close(True)
        doc = desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0, ())
        fill_1904(doc)
        save(doc, os.path.join(out, "dates1904.xls"), "MS Excel 97")
        doc.close(True)
    finally:
        try:
            desktop.terminate()
        except Exception:
            pass
        office.wait(timeout=60)


if __name__ == "__main__":
    main()
