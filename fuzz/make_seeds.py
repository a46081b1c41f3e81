#!/usr/bin/env python3
"""Seeds the fuzz corpora from the project's own workbooks and the forms its tests use."""
import csv
import glob
import io
import os
import re
import struct
import sys
import zipfile

root, corpus = sys.argv[1], sys.argv[2]
workbooks = sorted(glob.glob(os.path.join(root, "examples", "*.xlsx")) +
                   glob.glob(os.path.join(root, "common", "host", "xlsx", "testdata", "*.xlsx")))


def seed(target, name, data):
    with open(os.path.join(corpus, target, "seed-" + name), "wb") as f:
        f.write(data)


# Whole packages, and their parts behind the byte that chooses the part.
part_choice = {"xl/worksheets/sheet": 0, "xl/styles.xml": 1, "xl/sharedStrings.xml": 2,
               "xl/workbook.xml": 3}
format_codes = set()
for path in workbooks:
    base = os.path.basename(path)
    with open(path, "rb") as f:
        seed("fuzz_xlsx_package", base, f.read())
    with zipfile.ZipFile(path) as z:
        for name in z.namelist():
            for prefix, choice in part_choice.items():
                if name.startswith(prefix):
                    data = z.read(name)[:200000]
                    seed("fuzz_xlsx_part", base + "-" + name.replace("/", "_"),
                         bytes([choice]) + data)
            if name == "xl/styles.xml":
                format_codes.update(re.findall(r'formatCode="([^"]*)"', z.read(name).decode()))

# Delimited text: the example ledger's first rows in the encodings exports come in, and the
# quoting forms the tests use.
try:
    import openpyxl
    for path in workbooks[:2]:
        sheet = openpyxl.load_workbook(path, read_only=True).worksheets[0]
        out = io.StringIO()
        writer = csv.writer(out, lineterminator="\r\n")
        for i, row in enumerate(sheet.iter_rows(values_only=True)):
            if i == 40:
                break
            writer.writerow(["" if v is None else v for v in row])
        text = out.getvalue()
        base = os.path.basename(path)
        seed("fuzz_csv", base + "-utf8", b"\x00" + text.encode("utf-8-sig"))
        seed("fuzz_csv", base + "-gb18030", b"\x00" + text.encode("gb18030"))
        seed("fuzz_csv", base + "-tab-cr", b"\x01" + text.replace(",", "\t").replace("\r\n", "\r")
             .encode("utf-8"))
except ImportError:
    pass
for i, text in enumerate(['"1,200.00",x\n"say ""hi""",y\r\n"two\nlines",z\r',
                          "h1,h2,h3\r\nx,a,1\r\nx,b,2\r\n"]):
    seed("fuzz_csv", "quoting-%d" % i, b"\x00" + text.encode("utf-8"))

for i, text in enumerate(["$B$3:$F$20", "$A$1", "$3:$9", "B:F", "b2:F40",
                          "[Book1]Sheet1!$C$5:$D$40#C列&D列", "SUM(R[-3]C:R[-1]C)", "B7-E7",
                          "A2*$B$1+SUM(A$2:B2)-(R1C1/-3)", "SUM(D$2:D9)-SUM(E$2:E9)"]):
    seed("fuzz_address", "form-%d" % i, text.encode("utf-8"))

format_codes.update(["General", "0", "0.00", "#,##0", "#,##0.00", "0%", "0.00%", "0.00E+00",
                     "# ?/?", "yyyy/m/d", "d-mmm-yy", "h:mm AM/PM", "[h]:mm:ss", "mmss.0",
                     "##0.0E+0", "@", "#,##0 ;[Red](#,##0)", '"Day "#,##0', "yyyy-mm-dd",
                     '[>=100]0;[Red]-0.0;"zero";@', "# ????/????", "?/???????", '# "and" ?/?',
                     "# ?/ 16", "?,??0.00", '[<10]#" Wow"', "[h] h:mm", "h:mm am/pm",
                     '[DBNum1][$-804]yyyy"年"m"月"d"日"', '[DBNum2][$-804]G/通用格式"元整"',
                     '[DBNum2]0"元"0"角"0"分"', "[DBNum3]#,##0.00"])
for i, code in enumerate(sorted(format_codes)):
    for j, number in enumerate([1234.5678, -0.5, 45366.75, 8589282915.634277, 2364574634.37403,
                                  2958465.9999999]):
        seed("fuzz_number_format", "code-%d-%d" % (i, j), struct.pack("<d", number) + code.encode())

# Legacy and OpenDocument workbooks that LibreOffice saved, and the content parts of the latter.
area_data = os.path.join(root, "common", "area", "testdata")
for path in sorted(glob.glob(os.path.join(area_data, "*.xls"))):
    with open(path, "rb") as f:
        seed("fuzz_xls", os.path.basename(path), f.read())
for path in sorted(glob.glob(os.path.join(area_data, "*.ods"))):
    with open(path, "rb") as f:
        seed("fuzz_xls", os.path.basename(path), f.read())
    with zipfile.ZipFile(path) as z:
        seed("fuzz_ods_content", os.path.basename(path), z.read("content.xml"))
# Hostile shapes: a million repeated rows, spans past the sheet, deep row groups.
seed("fuzz_ods_content", "repeats",
     b'<office:document-content><office:body><office:spreadsheet><table:table table:name="a">'
     b'<table:table-row table:number-rows-repeated="1048576"><table:table-cell '
     b'table:number-columns-repeated="16384" table:number-rows-spanned="99999999">'
     b'<text:p>x<text:s text:c="3"/></text:p></table:table-cell></table:table-row>'
     + b"<table:table-row-group>" * 200 + b"<table:table-row/>" + b"</table:table-row-group>" * 200
     + b"</table:table></office:spreadsheet></office:body></office:document-content>")
# HTML tables as banks save them, in both encodings they use.
page = ('<html><head><meta charset="gb2312"></head><body><table><tr><td colspan=2>交易明细</td></tr>'
        '<tr><th>日期</th><th>金额</th></tr><tr><td rowspan="2">2024-01-05</td><td>1,286.43</td></tr>'
        '<tr><td>&nbsp;-20.00&#160;<br>备注 &amp; 说明</td></tr></table></body></html>')
seed("fuzz_html_table", "gb18030", page.encode("gb18030"))
seed("fuzz_html_table", "utf16", b"\xff\xfe" + page.replace("gb2312", "utf-16").encode("utf-16-le"))
seed("fuzz_xls", "html", page.encode("gb18030"))
seed("fuzz_xls", "utf16-text", "日期\t金额\r\n2024-01-05\t1,286.43\r\n".encode("utf-16-le"))
# Hostile shapes, made small: circles of formulas, sheets declaring vast extents, dimensions that
# lie, many sheets, and containers naming one part twice.
NS = ('xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
      'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"')
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"


def sheet_xml(rows, before=""):
    return "<worksheet %s>%s<sheetData>%s</sheetData></worksheet>" % (NS, before, rows)


def package(sheets, extra=()):
    """A workbook of (name, sheet XML) pairs; `extra` parts are appended as they are, names
    repeated included."""
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", '<?xml version="1.0"?><Types xmlns='
                   '"http://schemas.openxmlformats.org/package/2006/content-types"/>')
        z.writestr("_rels/.rels", '<Relationships xmlns="http://schemas.openxmlformats.org/'
                   'package/2006/relationships"><Relationship Id="rId1" Type="%sofficeDocument" '
                   'Target="xl/workbook.xml"/></Relationships>' % REL)
        z.writestr("xl/workbook.xml", "<workbook %s><sheets>%s</sheets></workbook>" % (NS, "".join(
            '<sheet name="%s" sheetId="%d" r:id="rId%d"/>' % (name, i, i)
            for i, (name, _) in enumerate(sheets, 1))))
        z.writestr("xl/_rels/workbook.xml.rels", '<Relationships xmlns="http://schemas.'
                   'openxmlformats.org/package/2006/relationships">%s</Relationships>' % "".join(
                       '<Relationship Id="rId%d" Type="%sworksheet" Target="worksheets/sheet%d.xml"'
                       '/>' % (i, REL, i) for i in range(1, len(sheets) + 1)))
        for i, (_, xml) in enumerate(sheets, 1):
            z.writestr("xl/worksheets/sheet%d.xml" % i, xml)
        import warnings
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")  # a repeated name is the point
            for name, data in extra:
                z.writestr(name, data)
    return out.getvalue()


def chain(cells, values):
    return "".join('<row r="%d"><c r="A%d"><f>A%d+1</f>%s</c></row>' % (
        r, r, 1 if r == cells else r + 1, "<v>%d</v>" % r if values else "")
        for r in range(1, cells + 1))


vast = sheet_xml('<row r="1" spans="1:16384"><c r="A1"><v>1</v></c></row>'
                 '<row r="1048576" spans="1:16384"><c r="XFD1048576"><v>9</v></c></row>',
                 '<dimension ref="A1:XFD1048576"/><cols><col min="1" max="16384" width="9" '
                 'customWidth="1"/></cols>')
hostile = {
    "circle-1001": [("Data", sheet_xml(chain(1001, False)))],
    "circle-1001-cached": [("Data", sheet_xml(chain(1001, True)))],
    "circle-self": [("Data", sheet_xml('<row r="1"><c r="A1"><f>A1+1</f><v>3</v></c>'
                                       '<c r="B1"><f>A1*2</f></c></row>'))],
    "circle-sum-whole-sheet": [("Data", sheet_xml("".join(
        '<row r="%d"><c r="A%d"><f>SUM(A1:XFD1048576)</f></c></row>' % (r, r)
        for r in range(1, 51))))],
    "circle-sum-many": [("Data", sheet_xml("".join(
        '<row r="%d"><c r="A%d"><f>SUM(A1:XFD1048576)</f></c></row>' % (r, r)
        for r in range(1, 2001))))],
    "balance-of-formulas": [("Data", sheet_xml("".join(
        '<row r="%d"><c r="A%d"><v>1</v></c><c r="B%d"><f>A%d*2</f></c>'
        '<c r="C%d"><f>SUM(B$1:B%d)</f></c></row>' % (r, r, r, r, r, r)
        for r in range(1, 1001))))],
    "vast-six-sheets": [("S%d" % i, vast) for i in range(1, 7)],
    "dimension-lies": [("Data", sheet_xml('<row r="1"><c r="A1"><v>1</v></c></row>'
                                          '<row r="9"><c r="Z9"><v>2</v></c></row>',
                                          '<dimension ref="A1:B2"/>'))],
    "cells-declared-empty": [("Data", sheet_xml('<row r="1">%s</row>' % ("<c/>" * 16384)))],
    "many-sheets": [("S%d" % i, sheet_xml("")) for i in range(1, 501)],
}
for name, sheets in hostile.items():
    seed("fuzz_xlsx_package", "hostile-" + name, package(sheets))
    seed("fuzz_xlsx_part", "hostile-" + name, bytes([0]) + sheets[0][1].encode()[:200000])
one = [("Data", sheet_xml('<row r="1"><c r="A1"><v>1</v></c></row>'))]
seed("fuzz_xlsx_package", "hostile-duplicate-part",
     package(one, [("xl/worksheets/sheet1.xml", sheet_xml('<row r="1"><c r="A1"><v>2</v></c></row>'))]))
seed("fuzz_xlsx_package", "hostile-duplicate-part-case",
     package(one, [("XL/Worksheets/Sheet1.xml", sheet_xml('<row r="1"><c r="A1"><v>2</v></c></row>'))]))
