"""Reads an Excel 97-2003 file with xlrd and prints what the export tests compare.

  read_xls.py sheet FILE    one line per font, column, row and cell of the first sheet
  read_xls.py stream FILE   length and CRC-32 of the compound file's Workbook stream
"""
import sys
import zlib

import xlrd
import xlrd.compdoc

mode, path = sys.argv[1], sys.argv[2]
if mode == "stream":
    with open(path, "rb") as f:
        doc = xlrd.compdoc.CompDoc(f.read(), logfile=sys.stderr)
    data = doc.get_named_stream("Workbook")
    print(len(data), zlib.crc32(data) & 0xFFFFFFFF)
    sys.exit(0)

book = xlrd.open_workbook(path, formatting_info=True, ragged_rows=True)
sheet = book.sheet_by_index(0)
out = []
out.append("sheets %d %s" % (book.nsheets, sheet.name))
out.append("default row height %d" % sheet.default_row_height)
for c in sorted(sheet.colinfo_map):
    out.append("column %d width %d" % (c, sheet.colinfo_map[c].width))
for r in sorted(sheet.rowinfo_map):
    info = sheet.rowinfo_map[r]
    if info.height_mismatch:
        out.append("row %d height %d" % (r, info.height))
for r in range(sheet.nrows):
    for c in range(sheet.row_len(r)):
        cell = sheet.cell(r, c)
        if cell.ctype == xlrd.XL_CELL_EMPTY:
            continue
        xf = book.xf_list[cell.xf_index]
        font = book.font_list[xf.font_index]
        kind = {xlrd.XL_CELL_TEXT: "text", xlrd.XL_CELL_NUMBER: "number", xlrd.XL_CELL_DATE: "date",
                xlrd.XL_CELL_BLANK: "blank"}[cell.ctype]
        value = cell.value if cell.ctype == xlrd.XL_CELL_TEXT else repr(cell.value)
        if cell.ctype == xlrd.XL_CELL_DATE:
            value += " " + book.format_map[xf.format_key].format_str
        line = "cell %d %d %s %s | %s %g%s%s" % (r, c, kind, value, font.name, font.height / 20,
                                                " bold" if font.bold else "", " italic" if font.italic else "")
        fill = xf.background
        if fill.fill_pattern:
            line += " | fill %d colour %d %s" % (fill.fill_pattern, fill.pattern_colour_index,
                                                 book.colour_map.get(fill.pattern_colour_index))
        out.append(line)
sys.stdout.buffer.write(("\n".join(out) + "\n").encode("utf-8"))
