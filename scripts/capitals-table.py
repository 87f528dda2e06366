#!/usr/bin/env python3
"""Writes platform/capitals_table.inc, the capitals that Windows gives the
letters of a text (CharUpperBuffW, an edit control with the upper-case
style), from the Unicode character database that Debian's unicode-data
package installs.

Windows raises each UTF-16 unit on its own, and only to a capital that
lowers back to the same letter: Unicode's simple uppercase mapping, less the
mappings that do not come back (the micro sign, dotless i, long s, final
sigma, the title-case digraphs, Greek symbol forms, old Cyrillic forms).
Characters beyond the BMP are never raised.

    scripts/capitals-table.py [UCD-FOLDER] > platform/capitals_table.inc
    scripts/capitals-table.py --check [UCD-FOLDER]   # the file is up to date
"""
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
TABLE = os.path.join(HERE, "..", "platform", "capitals_table.inc")


def capitals(folder):
    upper, lower = {}, {}
    with open(os.path.join(folder, "UnicodeData.txt"), encoding="ascii") as data:
        for line in data:
            fields = line.split(";")
            code = int(fields[0], 16)
            if fields[12]:
                upper[code] = int(fields[12], 16)
            if fields[13]:
                lower[code] = int(fields[13], 16)
    return {c: u for c, u in upper.items()
            if c <= 0xFFFF and u <= 0xFFFF and lower.get(u) == c}


def version(folder):
    with open(os.path.join(folder, "DerivedAge.txt"), encoding="utf-8") as age:
        found = re.match(r"# DerivedAge-([0-9.]+)\.txt", age.readline())
    return found.group(1) if found else "unknown"


def runs(capital):
    """Units with the same distance to their capital, one after another
    (step 1) or every other one with no letter between (step 2: pairs of
    capital and small letter), taken from the lowest unit up, the longer of
    the two. Runs never overlap, so a lookup finds a unit's run by range."""
    left = set(capital)
    found = []
    for first in sorted(capital):
        if first not in left:
            continue
        add = (capital[first] - first) & 0xFFFF
        best = [first]
        for step in (1, 2):
            taken = [first]
            nxt = first + step
            while (nxt in left and (capital[nxt] - nxt) & 0xFFFF == add and
                   (step == 1 or nxt - 1 not in capital)):
                taken.append(nxt)
                nxt += step
            if len(taken) > len(best):
                best = taken
        step = best[1] - best[0] if len(best) > 1 else 1
        found.append((best[0], best[-1], step, add))
        left.difference_update(best)
    for before, after in zip(found, found[1:]):
        assert after[0] > before[1], "runs overlap at U+%04X" % after[0]
    return found


def table(folder):
    lines = [
        "// The capital of every UTF-16 unit that Windows raises, in runs: the",
        "// units `first` to `last`, each `step`th of them, raised by adding `add`",
        "// (modulo 2^16). Unicode " + version(folder) + "'s simple uppercase mappings whose capital",
        "// lowers back to the letter. Made by scripts/capitals-table.py from",
        "// Debian's unicode-data; do not edit.",
    ]
    for first, last, step, add in runs(capitals(folder)):
        lines.append("{0x%04X, 0x%04X, %d, 0x%04X}," % (first, last, step, add))
    return "\n".join(lines) + "\n"


def main(args):
    check = args[:1] == ["--check"]
    if check:
        args = args[1:]
    folder = args[0] if args else "/usr/share/unicode"
    made = table(folder)
    if not check:
        sys.stdout.write(made)
        return 0
    with open(TABLE, encoding="ascii") as kept:
        if kept.read() != made:
            print("platform/capitals_table.inc is not what scripts/capitals-table.py makes")
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
