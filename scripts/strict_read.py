#!/usr/bin/python3
# Reads filmtool's workbook export with openpyxl, a strict reader that warns
# of whatever it finds out of the format's rules (every warning here is a
# failure), and checks it cell for cell against the CSV export of the same
# film.dat: each text column's cell a text holding the CSV's very text, each
# number column's cell a number that prints as the CSV prints it; and the
# sheet as a person sees it: its name ("Stock", then "Stock 2", ...), the
# header in bold and frozen, the filter over every row, the text columns
# formatted as Text down to the sheet's last row, the version column hidden.
#   strict_read.py WORKBOOK.xlsx EXPORT.csv
# Prints one line for each difference and exits 1 on any; otherwise prints
# what it read.
import csv
import re
import sys
import warnings

warnings.simplefilter("error")
import openpyxl  # noqa: E402  (after the filter, so that its own warnings fail too)

TEXT = {"number", "description", "sku"}
PRICES = {"cost_price", "trade_price", "price"}


def main():
    workbook_path, csv_path = sys.argv[1:3]
    with open(csv_path, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f))
    header, rows = rows[0], rows[1:]
    book = openpyxl.load_workbook(workbook_path)
    problems = []
    at = 0
    for index, sheet in enumerate(book.worksheets):
        name = "Stock" if index == 0 else "Stock %d" % (index + 1)
        if sheet.title != name:
            problems.append("sheet %d is named %r, not %r" % (index + 1, sheet.title, name))
        if sheet.freeze_panes != "A2":
            problems.append("%s: the header is not frozen (%r)" % (name, sheet.freeze_panes))
        last = sheet.max_row
        width = len(header)
        letter = openpyxl.utils.get_column_letter
        if sheet.auto_filter.ref != "A1:%s%d" % (letter(width), last):
            problems.append("%s: the filter covers %r" % (name, sheet.auto_filter.ref))
        if not sheet.column_dimensions[letter(width)].hidden:
            problems.append("%s: the version column is shown" % name)
        for column, heading in enumerate(header, 1):
            cell = sheet.cell(1, column)
            if not cell.font.b or cell.value != (
                    heading if column < width else
                    "version — keep this column as it is"):
                problems.append("%s!%s1: header %r" % (name, letter(column), cell.value))
            text = heading in TEXT or column == width
            shown = sheet.column_dimensions[letter(column)].number_format
            if text and shown != "@":
                problems.append("%s: column %s is formatted %r, not as Text" %
                                (name, letter(column), shown))
        for r in range(2, last + 1):
            if at >= len(rows):
                problems.append("%s row %d: beyond the CSV's rows" % (name, r))
                break
            expected = rows[at]
            at += 1
            for column, heading in enumerate(header, 1):
                cell = sheet.cell(r, column)
                want = expected[column - 1]
                place = "%s!%s%d" % (name, letter(column), r)
                text = heading in TEXT or column == width
                if text or not is_number(want):
                    got = "" if cell.value is None else unescaped(cell.value)
                    if not isinstance(got, str) or got != want or (want and cell.data_type != "s"):
                        problems.append("%s: %r (%s) where the CSV has %r" %
                                        (place, got, cell.data_type, want))
                    if cell.number_format != "@":
                        problems.append("%s: formatted %r, not as Text" % (place, cell.number_format))
                    continue
                shown = "%.2f" % cell.value if heading in PRICES else "%d" % cell.value \
                    if isinstance(cell.value, (int, float)) else None
                if cell.data_type != "n" or shown != want:
                    problems.append("%s: %r (%s) where the CSV has the number %s" %
                                    (place, cell.value, cell.data_type, want))
                if cell.number_format != ("0.00" if heading in PRICES else "0"):
                    problems.append("%s: formatted %r" % (place, cell.number_format))
    if at != len(rows):
        problems.append("the workbook holds %d rows, the CSV %d" % (at, len(rows)))
    for problem in problems[:50]:
        print(problem)
    if problems:
        sys.exit(1)
    print("strict reader: %d rows in %d sheets, every cell as the CSV has it" %
          (at, len(book.worksheets)))


# openpyxl hands on an inline string's "_xHHHH_" (the format's way of
# holding a character XML cannot, and "_x005F_" for an underscore that
# would start one) as it stands: the format's reader undoes it.
def unescaped(value):
    if not isinstance(value, str):
        return value
    return re.sub(r"_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), value)


def is_number(text):
    try:
        float(text)
    except ValueError:
        return False
    return text.lower() not in ("nan", "-nan", "inf", "-inf")


main()
