#!/usr/bin/env python3
"""Writes hostile workbooks of the kinds an attack on import used, at the
sizes it used, into DIR: each must be refused (or read) by
`filmtool import FOLDER FILE --dry-run` in little memory and time.
bench/hostile-workbooks.sh runs filmtool on each and prints its peak memory.

  bench/hostile-workbooks.py DIR
"""
import os
import sys
import zipfile

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG = "http://schemas.openxmlformats.org/package/2006/relationships"


def workbook(path, sheets, strings=None, extra=(), stored=False):
    """sheets: list of sheetData contents; strings: the sharedStrings part's
    content between <sst> and </sst>, or None."""
    method = zipfile.ZIP_STORED if stored else zipfile.ZIP_DEFLATED
    with zipfile.ZipFile(path, "w", method, compresslevel=9 if not stored else None) as z:
        z.writestr("[Content_Types].xml", "<Types/>")
        z.writestr("_rels/.rels", f'<Relationships xmlns="{PKG}"><Relationship Id="rId1" '
                   f'Type="{REL}/officeDocument" Target="xl/workbook.xml"/></Relationships>')
        book = "".join(f'<sheet name="Stock{" " + str(i + 1) if i else ""}" sheetId="{i + 1}" '
                       f'r:id="rId{i + 1}"/>' for i in range(len(sheets)))
        z.writestr("xl/workbook.xml", f'<workbook xmlns="{MAIN}" xmlns:r="{REL}"><sheets>{book}'
                   "</sheets></workbook>")
        rels = "".join(f'<Relationship Id="rId{i + 1}" Type="{REL}/worksheet" '
                       f'Target="worksheets/sheet{i + 1}.xml"/>' for i in range(len(sheets)))
        z.writestr("xl/_rels/workbook.xml.rels", f'<Relationships xmlns="{PKG}">{rels}'
                   "</Relationships>")
        for i, data in enumerate(sheets):
            z.writestr(f"xl/worksheets/sheet{i + 1}.xml",
                       f'<worksheet xmlns="{MAIN}"><sheetData>{data}</sheetData></worksheet>')
        if strings is not None:
            z.writestr("xl/sharedStrings.xml", f'<sst xmlns="{MAIN}">{strings}</sst>')
        for name, content in extra:
            z.writestr(name, content)


def ods(path, rows):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("mimetype", "application/vnd.oasis.opendocument.spreadsheet")
        z.writestr("META-INF/manifest.xml", "<manifest/>")
        z.writestr("content.xml",
                   '<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:'
                   'xmlns:office:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"'
                   ' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body>'
                   '<office:spreadsheet><table:table table:name="Stock">' + rows +
                   "</table:table></office:spreadsheet></office:body></office:document-content>")


HEADER = ('<row r="1"><c r="A1" t="inlineStr"><is><t>number</t></is></c>'
          '<c r="B1" t="inlineStr"><is><t>price</t></is></c></row>')


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    # One long string (60 MB of one letter), referenced by many cells.
    row = "".join('<c t="s"><v>1</v></c>' for _ in range(200))
    rows = "".join(f'<row r="{r}"><c><v>{r}</v></c>{row}</row>' for r in range(2, 2000))
    workbook(f"{out}/long-string.xlsx", [HEADER + rows],
             "<si><t>number</t></si><si><t>" + "x" * (60 << 20) + "</t></si>")
    # Millions of empty strings: under the part's bound, then past it.
    workbook(f"{out}/empty-strings.xlsx", [HEADER], "<si/>" * (100 << 20))
    workbook(f"{out}/empty-strings-3mb.xlsx", [HEADER], "<si/>" * (600 << 20))
    # 60,000 entries; 2,047 sheets.
    workbook(f"{out}/entries.xlsx", [HEADER],
             extra=[(f"xl/media/e{i}.bin", "x") for i in range(60000)])
    workbook(f"{out}/sheets.xlsx", [HEADER + '<row r="2"><c><v>1</v></c></row>'] * 2047)
    # A million rows, each a value in the sheet's last column; and the same
    # as one row of an .ods repeated.
    wide = "".join(f'<row r="{r}"><c r="XFD{r}"><v>1</v></c></row>' for r in range(2, 1048577))
    workbook(f"{out}/wide-rows.xlsx", [HEADER + wide])
    ods(f"{out}/wide-rows.ods",
        '<table:table-row><table:table-cell office:value-type="string"><text:p>number</text:p>'
        '</table:table-cell></table:table-row><table:table-row table:number-rows-repeated="1048575">'
        '<table:table-cell table:number-columns-repeated="16383"/><table:table-cell '
        'office:value-type="float" office:value="1"/></table:table-row>')
    # A byte changed in a stored sheet: 7.25 reads 9.25.
    workbook(f"{out}/crc.xlsx", [HEADER + '<row r="2"><c><v>161</v></c><c><v>7.25</v></c></row>'],
             stored=True)
    data = bytearray(open(f"{out}/crc.xlsx", "rb").read())
    data[data.index(b"7.25")] = ord("9")
    open(f"{out}/crc.xlsx", "wb").write(data)


main()
