#!/usr/bin/env python3
"""Writes the seed inputs of fuzz_commands into tests/fuzz/corpus/.

Each seed is spelled out in the input format of fuzz_commands.cpp (see
README.md): setup bytes, film.dat, tallo.cfg, a start-up fault, commands.
"""
import os
import struct
import sys

# Command kinds, prompt choices and fault kinds as fuzz_commands reads them.
FIND, AMEND, DELETE, CONFIG, RESTART, CARD = 0, 1, 2, 3, 5, 6
OPEN, READ, WRITE, SEEK, SIZE, FLUSH, ALLOC = 9, 10, 11, 12, 13, 14, 15
# Amend fields, by position.
F_NUMBER, F_DESC, F_SKU, F_STOCK, F_PRICE, F_COST, F_TRADE, F_CATEGORY, F_TAX = range(9)
SET_TEXT = 0x10
IDOK_END, CANCEL_END, CLOSE_END, OPEN_END = range(4)
# Configuration buttons.
B_QUANTITY, B_PRICE, B_STORAGE = 0, 1, 2
# Floats by table position.
FLOAT_ZERO, FLOAT_MINUS_ZERO, FLOAT_TWO, FLOAT_ONE, FLOAT_NAN = 0, 1, 2, 3, 4
FLOAT_INF = 6


def u16(v):
    return struct.pack("<H", v)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def f32bits(v):
    return struct.unpack("<I", struct.pack("<f", v))[0]


def number(n):
    """A record number: 16..239 stand for 1..224, 240 and up for a raw one."""
    if 1 <= n <= 224:
        return bytes([n + 15])
    return bytes([0xF0]) + struct.pack("<q", n)


def record(n, desc, stock=None, price=None, tax=None, category=None, sku=None,
           encoding="cp1252"):
    text = desc.encode(encoding)
    out = number(n) + bytes([len(text)]) + text
    flags = 0
    extra = b""
    if stock is not None:
        flags |= 0x01
        extra += u32(stock)
    if price is not None:
        flags |= 0x02
        extra += u32(f32bits(price))
    if tax is not None:
        flags |= 0x10
        extra += u32(tax)
    if category is not None:
        flags |= 0x20
        extra += u32(category)
    if sku is not None:
        flags |= 0x40
        sku_bytes = sku.encode(encoding)
        extra += bytes([len(sku_bytes)]) + sku_bytes
    return out + bytes([flags]) + extra


def film_records(records, slots=None, distinct=True, tail=b"\x00"):
    if slots is None:
        return bytes([1, len(records)]) + b"".join(records) + tail
    return (bytes([2, len(records)]) + b"".join(records) + u16(slots) +
            bytes([1 if distinct else 0]) + tail)


def film_raw(data):
    return bytes([0]) + u16(len(data)) + data


def film_repeated(length, chunk):
    return bytes([3]) + u16(length) + bytes([len(chunk) - 1]) + chunk


def settings(mode=1, length_choice=0, focus=FLOAT_ZERO, storage=FLOAT_ZERO, raw_head=None):
    def flt(v):
        return bytes([v]) if isinstance(v, int) and v < 16 else bytes([0xFF]) + u32(v)
    out = bytes([(length_choice << 2) | mode])
    if mode == 0:
        return out
    if mode == 3:
        out += bytes([len(raw_head)]) + raw_head
    return out + flt(focus) + flt(storage)


def fault(kind=0, nth=1, short=False, persistent=False):
    if kind < 9:
        return bytes([0])
    return bytes([kind, (nth - 1) | (8 if short else 0) | (16 if persistent else 0)])


# The system's code pages by position, as the "where" byte picks them.
CODE_PAGES = [1252, 932, 936, 949, 950, 874, 1250, 1251, 1253, 1254, 1255, 1256, 1257, 1258]


def setup(card_state=0, folder=0, device=True, card=False, code_page=1252, chosen=False):
    where = ((1 if device else 0) | (2 if card else 0) | CODE_PAGES.index(code_page) << 2 |
             (0x40 if chosen else 0))
    return bytes([card_state | folder << 2, where])


# Prompt answers.
def answer_slot_number(slot, decoration=0):
    return bytes([4, slot, decoration, 0])


def answer_slot_description(slot, length, wild=0):
    return bytes([7, slot, length, wild, 0])


def answer_text(text, set_text=False):
    data = text.encode("latin-1")
    return bytes([11, len(data)]) + data + bytes([1 if set_text else 0])


def answer_edge(i):
    return bytes([10, i, 0])


def result(nexts=0, end=IDOK_END):
    return bytes([nexts | end << 3])


def amend(edits, end=IDOK_END):
    out = bytes([len(edits)])
    for field, value in edits:
        if (field & 0x0F) == F_TAX:
            out += bytes([F_TAX, value + 2])
        elif isinstance(value, int):
            out += bytes([field, value])  # a value from the table
        else:
            data = value.encode("latin-1")
            out += bytes([field, 0x80, len(data)]) + data
    return out + bytes([end])


def config(buttons, end=IDOK_END):
    return bytes([len(buttons) | end << 2]) + bytes(buttons)


def command(kind, body=b"", flt=fault()):
    return bytes([kind]) + flt + body


SHOP = [
    record(12, "TWELVE", stock=5, price=1.5, tax=1, category=3, sku="S12"),
    record(100000000000000000, "BIG"),
    record(7, "SEVEN", price=2.25),
    record(5, "ABCDEF", sku="SKU5"),
    record(9, "NINE", tax=7, category=40),
    record(5, "AGAIN FIVE"),
    record(-3, "MINUS"),
    record(-1, ""),
    record(20, "TWENTY"),
]

SEEDS = {
    # Finds, amends, deletes and the configuration over a small shop.
    "shop": setup() + film_records(SHOP) + settings(0) + fault() +
            command(FIND, answer_slot_number(0) + bytes([IDOK_END])) +
            command(FIND, answer_text("se") + result(2, IDOK_END)) +
            command(AMEND, answer_slot_number(4) +
                    amend([(F_PRICE | SET_TEXT, "3.999"), (F_DESC | SET_TEXT, "NEW NAME"),
                           (F_TAX, 2), (F_STOCK, "12")])) +
            command(AMEND, answer_text("AGAIN") + result(0, IDOK_END) +
                    amend([(F_DESC | SET_TEXT, "ZZ TOP"), (F_CATEGORY, "17")])) +
            command(DELETE, answer_slot_number(2) + bytes([0])) +
            command(DELETE, answer_slot_description(6, 3) + result(0, IDOK_END) + bytes([0])) +
            command(DELETE, answer_text("TW") + result(0, IDOK_END) + bytes([1])) +
            command(CONFIG, config([B_PRICE])) +
            command(AMEND, answer_slot_number(0) + amend([(F_PRICE, "1e39")])) +
            command(FIND, answer_text("?") + result(7, CANCEL_END)),
    # Several hundred slots read in blocks, a short read at start-up, wide
    # description scans with Next.
    "many": setup() + film_records(SHOP[:6], slots=290) + settings(1, focus=FLOAT_NAN) +
            fault(READ, 2, short=True) +
            command(FIND, answer_text("A") + result(7, IDOK_END)) +
            command(AMEND, answer_text("??") + result(3, IDOK_END) +
                    amend([(F_COST, "-0"), (F_TRADE, 21)])) +
            command(DELETE, answer_slot_number(200) + bytes([0])) +
            command(FIND, answer_slot_description(250, 4, 0b101) + result(2, CLOSE_END)) +
            command(RESTART) +
            command(CONFIG, config([])),
    # The inventory on the storage card; the switch back to the device and a
    # restart over it.
    "card": setup(1, 0, device=False, card=True) + film_records(SHOP[:4]) +
            settings(1, focus=FLOAT_TWO, storage=FLOAT_TWO) + fault() +
            command(AMEND, answer_slot_number(2) + amend([(F_STOCK, "4294967295")])) +
            command(CONFIG, config([B_QUANTITY, B_STORAGE])) +
            command(FIND, answer_text("ITEM") + result(0, IDOK_END)) +
            command(CONFIG, config([B_STORAGE])) +
            command(FIND, answer_slot_number(1) + bytes([CLOSE_END])),
    # No film.dat: the fresh inventory, then writes that fail in each way.
    "fresh_faults": setup() [:1] + bytes([0]) + film_records([]) + settings(0) + fault() +
            command(AMEND, answer_text("1") + amend([(F_DESC | SET_TEXT, "NEW")]),
                    fault(WRITE, 1, short=True)) +
            command(AMEND, answer_text("1") + amend([(F_DESC | SET_TEXT, "FLUSHED")]),
                    fault(FLUSH, 1)) +
            command(DELETE, answer_text("1") + bytes([0]), fault(SEEK, 2)) +
            command(FIND, answer_text("IT") + result(1, IDOK_END), fault(READ, 1)) +
            command(CONFIG, config([B_STORAGE]), fault(ALLOC, 1)) +
            command(DELETE, answer_text("1") + bytes([0])),
    # A film.dat that is no whole number of records.
    "odd_size": setup() + film_repeated(65535, bytes(range(256))) + settings(0) + fault() +
            command(FIND, answer_text("1") + bytes([0])),
    # An empty film.dat; a raw one of two whole records.
    "empty": setup() + film_raw(b"") + settings(0) + fault(),
    "raw": setup() + film_raw(bytes([12] + [0] * 7) + b"AB" * 933 + b"\x05" + bytes(1873)) +
           settings(0) + fault() + command(FIND, answer_text("AB") + result(1)) +
           command(DELETE, answer_text("5") + bytes([0])),
    # A cut settings file, an unreadable card, odd options.
    "cut_settings": setup(2, 1) + film_records(SHOP[:3]) +
            settings(2, length_choice=4, focus=FLOAT_MINUS_ZERO, storage=FLOAT_NAN) +
            fault() + command(CONFIG, config([B_STORAGE, B_PRICE], CLOSE_END)),
    "raw_settings": setup(1, 3, device=True, card=True) + film_records(SHOP[2:5]) +
            settings(3, length_choice=9, focus=FLOAT_INF, storage=f32bits(2.0),
                     raw_head=b"\xff" * 40) +
            fault() +
            command(AMEND, answer_edge(5) + amend([])) +
            command(CARD, b"\x00") +
            command(CONFIG, config([B_STORAGE])) +
            command(AMEND, answer_text("SE") + result(0) +
                    amend([(F_NUMBER | SET_TEXT, "8"), (F_DESC | SET_TEXT, "X")])),
    # A Japanese shop (code page 932): two bytes to most characters, a
    # search by a start that ends inside a character, a typed amendment.
    "japanese": setup(code_page=932) +
            film_records([record(3, "寿司セット", sku="ソース表" * 7, encoding="cp932"),
                          record(4, "寿司弁当", encoding="cp932"),
                          record(5, "ﾀｵﾙ", encoding="cp932")]) +
            settings(0) + fault() +
            command(FIND, answer_slot_number(0) + bytes([IDOK_END])) +
            command(FIND, answer_slot_description(1, 3) + result(1, IDOK_END)) +
            command(AMEND, answer_slot_description(0, 4) + result(1, IDOK_END) +
                    amend([(F_DESC | SET_TEXT, "NEW \x80\x81"), (F_SKU, "ZZ")])) +
            command(DELETE, answer_slot_number(2) + bytes([0])),
}


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus")
    os.makedirs(out, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
