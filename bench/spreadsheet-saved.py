# spreadsheet-saved.py IN.csv OUT.xlsx: an export's CSV as a spreadsheet
# saves the workbook of it: every text cell a shared string, in the order
# the cells first use them, each held once; numbers as numbers. For the
# benchmark of a large spreadsheet-saved sheet's import (a spreadsheet
# itself takes many minutes over a million rows).
import csv, sys, zipfile
src, dst = sys.argv[1], sys.argv[2]
strings, ids = [], {}
def sid(t):
    i = ids.get(t)
    if i is None:
        i = ids[t] = len(strings); strings.append(t)
    return i
def esc(t): return t.replace('&','&amp;').replace('<','&lt;').replace('>','&gt;')
def col(i):
    s=''
    i+=1
    while i: i,r=divmod(i-1,26); s=chr(65+r)+s
    return s
rows=[]
with open(src, newline='', encoding='utf-8') as f:
    rd = csv.reader(f)
    header = next(rd)
    numeric = {0,4,5,6,7,8,9}
    out=[]
    for r, fields in enumerate([header] + list(rd), start=1):
        cells=[]
        for c, v in enumerate(fields):
            if v == '': continue
            ref = col(c)+str(r)
            if r > 1 and c in numeric:
                cells.append('<c r="%s"><v>%s</v></c>' % (ref, v))
            else:
                cells.append('<c r="%s" t="s"><v>%d</v></c>' % (ref, sid(v)))
        out.append('<row r="%d">%s</row>' % (r, ''.join(cells)))
sheet = ('<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>'
         + ''.join(out) + '</sheetData></worksheet>')
sst = ('<?xml version="1.0" encoding="UTF-8"?><sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="%d" uniqueCount="%d">' % (len(strings), len(strings))
       + ''.join('<si><t xml:space="preserve">%s</t></si>' % esc(s) for s in strings) + '</sst>')
ns='http://schemas.openxmlformats.org/'
with zipfile.ZipFile(dst, 'w', zipfile.ZIP_DEFLATED, compresslevel=1) as z:
    z.writestr('[Content_Types].xml', '<?xml version="1.0"?><Types xmlns="%spackage/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/><Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/></Types>' % ns)
    z.writestr('_rels/.rels', '<?xml version="1.0"?><Relationships xmlns="%spackage/2006/relationships"><Relationship Id="rId1" Type="%sofficeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>' % (ns, ns))
    z.writestr('xl/workbook.xml', '<?xml version="1.0"?><workbook xmlns="%sspreadsheetml/2006/main" xmlns:r="%sofficeDocument/2006/relationships"><sheets><sheet name="Stock" sheetId="1" r:id="rId1"/></sheets></workbook>' % (ns, ns))
    z.writestr('xl/_rels/workbook.xml.rels', '<?xml version="1.0"?><Relationships xmlns="%spackage/2006/relationships"><Relationship Id="rId1" Type="%sofficeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type="%sofficeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>' % (ns, ns, ns))
    z.writestr('xl/worksheets/sheet1.xml', sheet)
    z.writestr('xl/sharedStrings.xml', sst)
print(len(strings), 'strings', sum(len(s) for s in strings), 'bytes')
