"""Prints, as JSON, what an independent reader sees in a workbook: values, cached formula
results, merges, fonts, fills, comments and their authors, links, frozen panes, tab colour,
widths and page setup."""
import json
import sys

import openpyxl


def color(c):
    return c.rgb if c is not None and c.type == "rgb" else None


def describe(path):
    formulas = openpyxl.load_workbook(path)
    cached = openpyxl.load_workbook(path, data_only=True)
    sheets = []
    for ws, wv in zip(formulas.worksheets, cached.worksheets):
        cells = {}
        for row in ws.iter_rows():
            for c in row:
                if c.value is None and c.comment is None and c.hyperlink is None:
                    continue
                entry = {"value": wv[c.coordinate].value}
                if c.data_type == "f":
                    entry["formula"] = c.value
                entry["font"] = {"name": c.font.name, "size": c.font.sz, "bold": bool(c.font.b),
                                 "color": color(c.font.color)}
                if c.fill is not None and c.fill.fill_type == "solid":
                    entry["fill"] = color(c.fill.fgColor)
                if c.comment is not None:
                    entry["comment"] = c.comment.text
                    entry["commentAuthor"] = c.comment.author
                if c.hyperlink is not None:
                    entry["hyperlink"] = {"location": c.hyperlink.location,
                                          "target": c.hyperlink.target}
                cells[c.coordinate] = entry
        sheets.append({
            "name": ws.title,
            "cells": cells,
            "merges": sorted(str(r) for r in ws.merged_cells.ranges),
            "freeze": ws.freeze_panes,
            "tab": color(ws.sheet_properties.tabColor),
            "widths": {k: v.width for k, v in ws.column_dimensions.items() if v.customWidth},
            "landscape": ws.page_setup.orientation == "landscape",
            "fitToWidth": (ws.page_setup.fitToWidth or 1) if ws.sheet_properties.pageSetUpPr
                          and ws.sheet_properties.pageSetUpPr.fitToPage else None,
            "centered": bool(ws.print_options.horizontalCentered),
            "footer": ws.oddFooter.right.text,
            "gridlines": ws.sheet_view.showGridLines is not False,
        })
    return {"sheets": sheets}


json.dump(describe(sys.argv[1]), sys.stdout, ensure_ascii=False, default=str)
