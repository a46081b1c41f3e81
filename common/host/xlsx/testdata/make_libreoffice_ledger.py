# Builds the source of libreoffice_ledger.xlsx; the fixture itself is this file opened and
# saved again by LibreOffice:
#   python3 make_libreoffice_ledger.py
#   soffice --headless --convert-to xlsx --outdir out lo_source.xlsx
import datetime, openpyxl
from openpyxl.styles import Font, PatternFill, Alignment, Border, Side
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "账目"
ws["A1"] = "银行对账单"
ws.merge_cells("A1:D1")
ws["A1"].font = Font(bold=True, size=16)
ws["A2"] = "日期"; ws["B2"] = "摘要"; ws["C2"] = "金额"; ws["D2"] = "已核"
ws["A3"] = datetime.date(2024, 3, 15); ws["A3"].number_format = "yyyy-mm-dd"
ws["B3"] = "Rent & fees"; ws["C3"] = 1234.5; ws["D3"] = True
ws["A4"] = datetime.date(2024, 3, 16); ws["A4"].number_format = "yyyy-mm-dd"
ws["B4"] = "  leading spaces"; ws["C4"] = -20.25; ws["D4"] = False
ws["C5"] = "=SUM(C3:C4)"
ws["B5"] = '=B3&"!"'
ws["C2"].fill = PatternFill("solid", fgColor="FFFF00")
ws["C2"].alignment = Alignment(horizontal="right")
ws["B2"].border = Border(left=Side(style="thin"), bottom=Side(style="thin"))
ws.column_dimensions["B"].width = 30
ws.row_dimensions[1].height = 28
ws.freeze_panes = "A3"
ws2 = wb.create_sheet("Second")
ws2["B2"] = 42
ws2["C3"] = "second sheet"
wb.save("lo_source.xlsx")
