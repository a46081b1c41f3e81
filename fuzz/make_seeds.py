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
