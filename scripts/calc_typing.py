#!/usr/bin/python3
# Opens a workbook in LibreOffice Calc (headless, through UNO) as a
# double-click opens it, types into cells as a person types (the
# dispatcher's GoToCell and EnterString on the selected cell, which apply
# the cell's format as typing does), and saves it in its own format, or as
# an OpenDocument spreadsheet when OUT's name ends in .ods.
#   calc_typing.py PIPE IN.xlsx OUT.xlsx|OUT.ods [CELL=TEXT...]
# PIPE names the pipe a running soffice accepts on (--accept=pipe,name=PIPE;urp;).
# Without CELL=TEXT it only opens and saves. Each typed cell is printed back
# as Calc then holds it: "CELL: string TEXT" or "CELL: value NUMBER".
import sys
import time

import uno
from com.sun.star.beans import PropertyValue
from com.sun.star.lang import DisposedException


def prop(name, value):
    p = PropertyValue()
    p.Name = name
    p.Value = value
    return p


def connect(pipe):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    for _ in range(300):
        try:
            return resolver.resolve(
                "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
        except Exception:
            time.sleep(0.1)
    sys.exit("calc_typing.py: LibreOffice did not answer on pipe %s within 30 s" % pipe)


def main():
    pipe, source, target = sys.argv[1:4]
    typed = [a.split("=", 1) for a in sys.argv[4:]]
    context = connect(pipe)
    manager = context.ServiceManager
    desktop = manager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
    dispatcher = manager.createInstanceWithContext(
        "com.sun.star.frame.DispatchHelper", context)
    document = desktop.loadComponentFromURL(
        uno.systemPathToFileUrl(source), "_blank", 0, (prop("Hidden", True),))
    if document is None:
        sys.exit("calc_typing.py: Calc could not open %s" % source)
    frame = document.getCurrentController().getFrame()
    sheet = document.getSheets().getByIndex(0)
    for cell, text in typed:
        dispatcher.executeDispatch(frame, ".uno:GoToCell", "", 0, (prop("ToPoint", cell),))
        dispatcher.executeDispatch(frame, ".uno:EnterString", "", 0,
                                   (prop("StringName", text),))
        held = sheet.getCellRangeByName(cell)
        if held.getType().value == "TEXT":
            print("%s: string %s" % (cell, held.getString()))
        else:
            print("%s: value %r" % (cell, held.getValue()))
    # What a save of the document in the format it came in writes, or Calc's
    # own (.ods) when the target's name says so.
    filter_name = "calc8" if target.endswith(".ods") else "Calc MS Excel 2007 XML"
    document.storeToURL(uno.systemPathToFileUrl(target), (prop("FilterName", filter_name),))
    try:
        document.close(True)
    except DisposedException:
        # Calc headless sometimes goes down as it closes a document it has
        # saved as .ods after typing; the file is stored by then, and what
        # it holds is what the test looks at.
        print("calc_typing.py: Calc went down closing %s after saving it" % source,
              file=sys.stderr)


main()
