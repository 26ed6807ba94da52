#!/usr/bin/python3
"""Prints an .xls (or .xlsx) file's sheets as JSON, read with xlrd: [{"name": ..., "rows": [[text, ...]]}].

Fails when a cell is anything but text, or (.xls only) a text cell is not formatted as text ("@").
"""
import json
import sys

import xlrd

formats = sys.argv[1].lower().endswith(".xls")
book = xlrd.open_workbook(sys.argv[1], formatting_info=formats)
sheets = []
for sheet in book.sheets():
    rows = []
    for r in range(sheet.nrows):
        row = []
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            if cell.ctype == xlrd.XL_CELL_TEXT and formats:
                fmt = book.format_map[book.xf_list[cell.xf_index].format_key].format_str
                if fmt != "@":
                    sys.exit("%s!%d,%d formatted %r" % (sheet.name, r, c, fmt))
            elif cell.ctype != xlrd.XL_CELL_TEXT and cell.ctype not in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                sys.exit("%s!%d,%d is not text" % (sheet.name, r, c))
            row.append(cell.value)
        rows.append(row)
    sheets.append({"name": sheet.name, "rows": rows})
json.dump(sheets, sys.stdout)
