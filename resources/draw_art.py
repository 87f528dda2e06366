#!/usr/bin/env python3
"""Draws tallo's two pictures: the main window bitmap and the program icon.

    python3 resources/draw_art.py

writes, next to this script,

    background.bmp  720 x 480, 24 bits per pixel, uncompressed, bottom-up
    tallo.ico       48, 32, 24 and 16 pixel images, 32 bits per pixel with
                    alpha, stored as DIBs (not PNG) so every resource
                    compiler and every system can read them

Both files are committed; the build never runs this script.  Needs Pillow
(Debian: python3-pil) and the DejaVu fonts (Debian: fonts-dejavu-core).

The main window copies the top-left part of background.bmp to its client
area, and the four owner-drawn buttons copy exactly the pixels under their
rectangles (BUTTONS below), so each button face is drawn to fill its
rectangle and the rest of the picture must look finished at any size up to
the full 720 x 480.
"""

import math
import os
import struct
import sys

try:
    from PIL import Image, ImageDraw, ImageFont
except ImportError:
    # A private Python (pyenv, venv) may not see the system's Pillow; hand
    # over to the system interpreter once if it can.
    system_python = "/usr/bin/python3"
    if (os.path.exists(system_python)
            and os.path.realpath(sys.executable) != os.path.realpath(system_python)
            and not os.environ.get("TALLO_DRAW_ART_REEXEC")):
        os.environ["TALLO_DRAW_ART_REEXEC"] = "1"
        os.execv(system_python, [system_python] + sys.argv)
    sys.exit("draw_art.py: Pillow is missing (apt-get install python3-pil)")

HERE = os.path.dirname(os.path.abspath(__file__))

WIDTH, HEIGHT = 720, 480
PANEL_WIDTH = 140
SS = 4  # supersampling factor for shapes; text is drawn at 1:1 for crispness

# (label, x, y, width, height) -- must match the button rectangles in the
# main window.
BUTTONS = [
    ("Find", 10, 16, 120, 20),
    ("Amend", 10, 56, 120, 20),
    ("Delete", 10, 96, 120, 20),
    ("Configuration", 10, 136, 120, 20),
]

TITLE = ("Norvi", "Utility")

FONT_DIRS = [
    "/usr/share/fonts/truetype/dejavu",
    "/usr/share/fonts/dejavu",
    "/usr/share/fonts/TTF",
]

# Palette
PANEL_TOP = (18, 54, 108)
PANEL_BOTTOM = (66, 130, 200)
BG_TOP = (246, 248, 252)
BG_BOTTOM = (226, 233, 243)
FLOOR_TOP = (212, 221, 234)
FLOOR_BOTTOM = (196, 207, 223)
NAVY = (24, 44, 82)
MID_BLUE = (58, 104, 170)
BUTTON_BORDER = (92, 114, 148)
BUTTON_TEXT = (22, 32, 52)
SHELF_WOOD = (150, 164, 186)
SHELF_EDGE = (112, 128, 154)
CARD = (214, 178, 128)
CARD_DARK = (178, 140, 92)
BOX_BLUE = (92, 140, 204)
BOX_BLUE_DARK = (60, 104, 168)
BOX_PALE = (236, 240, 246)
BOX_PALE_DARK = (170, 182, 200)
BOX_TEAL = (96, 170, 176)
BOX_TEAL_DARK = (62, 128, 136)
WHITE = (255, 255, 255)
INK = (30, 36, 48)


def font(name, size):
    for d in FONT_DIRS:
        path = os.path.join(d, name)
        if os.path.exists(path):
            return ImageFont.truetype(path, size)
    sys.exit("draw_art.py: font %s not found (apt-get install fonts-dejavu-core)" % name)


def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


def vgradient(size, top, bottom):
    w, h = size
    img = Image.new("RGB", (w, h))
    d = ImageDraw.Draw(img)
    for y in range(h):
        d.line([(0, y), (w - 1, y)], fill=lerp(top, bottom, y / max(1, h - 1)))
    return img


def s(v):
    """Scales a 1:1 coordinate to the supersampled canvas."""
    return int(round(v * SS))


def sbox(x0, y0, x1, y1):
    """Supersampled box for the 1:1 pixel span [x0, x1) x [y0, y1)."""
    return (s(x0), s(y0), s(x1) - 1, s(y1) - 1)


def rrect(canvas, x0, y0, x1, y1, r, fill, outline=None, width=1.0):
    """Rounded rectangle on the supersampled canvas; fill may be a colour or a
    (top, bottom) pair for a vertical gradient."""
    if isinstance(fill[0], tuple):
        w, h = s(x1) - s(x0), s(y1) - s(y0)
        mask = Image.new("L", (w, h), 0)
        ImageDraw.Draw(mask).rounded_rectangle((0, 0, w - 1, h - 1), s(r), fill=255)
        canvas.paste(vgradient((w, h), fill[0], fill[1]), (s(x0), s(y0)), mask)
        if outline:
            ImageDraw.Draw(canvas).rounded_rectangle(
                sbox(x0, y0, x1, y1), s(r), outline=outline, width=s(width))
    else:
        ImageDraw.Draw(canvas).rounded_rectangle(
            sbox(x0, y0, x1, y1), s(r), fill=fill, outline=outline,
            width=s(width) if outline else 0)


def rect(canvas, x0, y0, x1, y1, fill):
    ImageDraw.Draw(canvas).rectangle(sbox(x0, y0, x1, y1), fill=fill)


# --------------------------------------------------------------------------
# Background bitmap
# --------------------------------------------------------------------------

def draw_button(canvas, x, y, w, h):
    # Face fills the whole rectangle; the rounded corners let the panel show
    # through, so the copied pixels look right on the window.
    rrect(canvas, x, y, x + w, y + h, 4.5,
          ((255, 255, 255), (212, 221, 234)), outline=BUTTON_BORDER, width=1.0)
    # soft gloss on the upper half
    gloss = Image.new("L", (s(w - 4), s(h / 2 - 2)), 0)
    ImageDraw.Draw(gloss).rounded_rectangle(
        (0, 0, gloss.width - 1, gloss.height - 1), s(2.5), fill=90)
    canvas.paste(WHITE, (s(x + 2), s(y + 1.5)), gloss)


def bar_modules(bars):
    """A bar pattern is a string of widths: digits are dark bars, letters a-d
    are gaps 1-4 modules wide.  Yields (is_bar, modules)."""
    for c in bars:
        yield (True, int(c)) if c.isdigit() else (False, " abcd".index(c))


def barcode(canvas, x0, y0, x1, y1, bars, ink=INK):
    """Draws the pattern stretched across [x0, x1) x [y0, y1)."""
    unit = (x1 - x0) / sum(m for _, m in bar_modules(bars))
    x = x0
    for is_bar, m in bar_modules(bars):
        if is_bar:
            rect(canvas, x, y0, x + m * unit, y1, ink)
        x += m * unit


BARS = "1a1a2b1c3a1a1b2a2a1c1b3a1a2a1b1a1a1b1c2a1a3b1a2a1b1a1"


def draw_box(canvas, x0, y0, x1, y1, face, edge, label=False, tape=False):
    rrect(canvas, x0, y0, x1, y1, 2.0, face, outline=edge, width=1.0)
    # a slightly darker lid band
    rect(canvas, x0 + 1, y0 + 1, x1 - 1, y0 + 1 + max(3, (y1 - y0) * 0.14),
         lerp(face, edge, 0.35))
    if tape:
        cx = (x0 + x1) / 2
        rect(canvas, cx - 3, y0 + 1, cx + 3, y1 - 1, lerp(face, edge, 0.25))
    if label:
        lw, lh = min(34, (x1 - x0) * 0.55), min(20, (y1 - y0) * 0.38)
        lx = x0 + (x1 - x0 - lw) / 2
        ly = y1 - lh - max(5, (y1 - y0) * 0.14)
        rrect(canvas, lx, ly, lx + lw, ly + lh, 1.5, WHITE, outline=lerp(WHITE, edge, 0.5))
        barcode(canvas, lx + 3, ly + 3, lx + lw - 3, ly + lh - 3, BARS[:27])


def draw_shelf(canvas):
    left, right = 288, 696
    top, floor_y = 64, 444
    boards = [176, 306, floor_y - 10]
    post = 10
    # back panel
    rrect(canvas, left + post, top, right - post, floor_y - 4, 2, ((238, 242, 248), (224, 231, 241)))
    # posts
    for px in (left, right - post):
        rrect(canvas, px, top - 8, px + post, floor_y, 2.5, (SHELF_WOOD, lerp(SHELF_WOOD, SHELF_EDGE, 0.6)),
              outline=SHELF_EDGE)
    # top rail
    rrect(canvas, left - 4, top - 12, right + 4, top, 2.5, SHELF_WOOD, outline=SHELF_EDGE)

    # boxes: (x0, width, height, kind, lift) on each board; lift raises a box
    # onto the ones beneath it
    kinds = {
        "card": (CARD, CARD_DARK, True, True),
        "blue": (BOX_BLUE, BOX_BLUE_DARK, True, False),
        "pale": (BOX_PALE, BOX_PALE_DARK, True, False),
        "teal": (BOX_TEAL, BOX_TEAL_DARK, True, False),
        "card_plain": (CARD, CARD_DARK, False, True),
    }
    rows = [
        [(312, 78, 84, "card", 0), (396, 60, 62, "blue", 0), (462, 60, 62, "blue", 0),
         (532, 66, 92, "pale", 0), (604, 68, 70, "teal", 0)],
        [(312, 96, 70, "card_plain", 0), (414, 62, 100, "teal", 0),
         (484, 94, 78, "card", 0), (584, 88, 56, "blue", 0)],
        [(312, 70, 96, "pale", 0), (388, 104, 72, "card", 0), (500, 56, 56, "blue", 0),
         (562, 56, 56, "blue", 0), (531, 56, 50, "card_plain", 56), (624, 50, 88, "teal", 0)],
    ]
    for board_y, row in zip(boards, rows):
        for x0, w, h, kind, lift in row:
            face, edge, label, tape = kinds[kind]
            base = board_y - lift
            draw_box(canvas, x0, base - h, x0 + w, base, face, edge, label, tape)
        # board with a front edge
        rrect(canvas, left + post - 2, board_y, right - post + 2, board_y + 10, 1.5,
              (lerp(SHELF_WOOD, WHITE, 0.25), SHELF_EDGE), outline=SHELF_EDGE)
    # shelf-edge price labels
    for board_y, xs in zip(boards, [(340, 482, 620), (346, 500, 612), (336, 448, 580)]):
        for lx in xs:
            rrect(canvas, lx, board_y + 2, lx + 30, board_y + 9, 1.0, WHITE,
                  outline=lerp(WHITE, SHELF_EDGE, 0.5))
            barcode(canvas, lx + 3, board_y + 3.5, lx + 17, board_y + 7.5, BARS[:19])


def draw_price_tag(canvas, cx, cy, w, h, angle):
    """A swing tag: body centred at (cx, cy), pointed end upwards-left."""

    def rot(points):
        a = math.radians(angle)
        ca, sa = math.cos(a), math.sin(a)
        return [(s(cx + px * ca - py * sa), s(cy + px * sa + py * ca)) for px, py in points]

    hw, hh = w / 2, h / 2
    point = w * 0.22
    shape = [(-hw + point, -hh), (hw, -hh), (hw, hh), (-hw + point, hh), (-hw, 0)]
    d = ImageDraw.Draw(canvas)
    # shadow
    shadow = [(px + 2, py + 3) for px, py in shape]
    d.polygon(rot(shadow), fill=(205, 214, 228))
    d.polygon(rot(shape), fill=MID_BLUE)
    inner = [(-hw + point + 2, -hh + 3), (hw - 3, -hh + 3), (hw - 3, hh - 3),
             (-hw + point + 2, hh - 3), (-hw + 4, 0)]
    d.polygon(rot(inner), fill=(72, 124, 192))
    # hole and string
    hx = -hw + point * 0.75
    hole = rot([(hx, 0)])[0]
    r = s(3.5)
    string_end = rot([(hx - 6, -14)])[0]
    d.line([hole, string_end], fill=(120, 134, 156), width=s(1.2))
    d.ellipse((hole[0] - r, hole[1] - r, hole[0] + r, hole[1] + r), fill=BG_TOP,
              outline=(38, 76, 136), width=s(1))
    # white panel with barcode lines
    px0, px1 = -hw + point + 8, hw - 8
    d.polygon(rot([(px0, -hh + 8), (px1, -hh + 8), (px1, hh - 8), (px0, hh - 8)]), fill=WHITE)
    # bars, drawn as thin rotated quads
    unit = (px1 - px0 - 8) / sum(m for _, m in bar_modules(BARS[:31]))
    x = px0 + 4
    for is_bar, m in bar_modules(BARS[:31]):
        wbar = m * unit
        if is_bar:
            d.polygon(rot([(x, -hh + 12), (x + wbar, -hh + 12), (x + wbar, hh - 17),
                           (x, hh - 17)]), fill=INK)
        x += wbar
    # a price line under the bars
    d.polygon(rot([(px0 + 4, hh - 14), (px1 - 4, hh - 14), (px1 - 4, hh - 11),
                   (px0 + 4, hh - 11)]), fill=(150, 160, 176))


def draw_background():
    W, H = WIDTH * SS, HEIGHT * SS
    canvas = vgradient((W, H), BG_TOP, BG_BOTTOM)

    # floor band across the right part
    floor = vgradient((W - s(PANEL_WIDTH), H - s(444)), FLOOR_TOP, FLOOR_BOTTOM)
    canvas.paste(floor, (s(PANEL_WIDTH), s(444)))
    rect(canvas, PANEL_WIDTH, 443, WIDTH, 444, (184, 196, 214))

    # left panel
    canvas.paste(vgradient((s(PANEL_WIDTH), H), PANEL_TOP, PANEL_BOTTOM), (0, 0))
    rect(canvas, PANEL_WIDTH - 1, 0, PANEL_WIDTH, HEIGHT, (12, 38, 80))
    rect(canvas, PANEL_WIDTH, 0, PANEL_WIDTH + 1, HEIGHT, (200, 210, 226))

    # a faint accent line under the title
    rect(canvas, 152, 64, 228, 66, (MID_BLUE))

    draw_price_tag(canvas, 190, 126, 64, 40, -28)

    # receipt-like barcode card in the narrow column
    rrect(canvas, 152, 184, 230, 248, 3, WHITE, outline=(188, 198, 214))
    barcode(canvas, 159, 191, 223, 229, BARS)

    # a couple of boxes waiting on the floor beside the shelf
    draw_box(canvas, 166, 388, 256, 444, CARD, CARD_DARK, label=True, tape=True)
    draw_box(canvas, 178, 340, 240, 388, BOX_BLUE, BOX_BLUE_DARK, label=True)

    draw_shelf(canvas)

    for _, x, y, w, h in BUTTONS:
        draw_button(canvas, x, y, w, h)

    img = canvas.resize((WIDTH, HEIGHT), Image.BOX)

    # text at 1:1
    d = ImageDraw.Draw(img)
    label_font = font("DejaVuSans-Bold.ttf", 12)
    cap = label_font.getbbox("H", anchor="ls")
    cap_height = -cap[1]
    for label, x, y, w, h in BUTTONS:
        tw = label_font.getlength(label)
        tx = x + int(round((w - tw) / 2))
        # capitals centred, the odd pixel going below
        base = y + (h + cap_height) // 2
        d.text((tx, base), label, font=label_font, fill=BUTTON_TEXT, anchor="ls")

    title_font = font("DejaVuSans-Bold.ttf", 22)
    sub_font = font("DejaVuSans.ttf", 17)
    d.text((152, 35), TITLE[0], font=title_font, fill=NAVY, anchor="ls")
    d.text((152, 57), TITLE[1], font=sub_font, fill=MID_BLUE, anchor="ls")

    digits_font = font("DejaVuSansMono.ttf", 9)
    digits = "4012345678901"
    dw = digits_font.getlength(digits)
    d.text((191 - int(round(dw / 2)), 241), digits, font=digits_font, fill=INK, anchor="ls")
    return img


def write_bmp24(img, path):
    img = img.convert("RGB")
    w, h = img.size
    stride = (w * 3 + 3) & ~3
    pad = b"\0" * (stride - w * 3)
    raw = img.tobytes("raw", "BGR")
    rows = [raw[y * w * 3:(y + 1) * w * 3] + pad for y in range(h - 1, -1, -1)]
    pixels = b"".join(rows)
    offset = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info_header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels),
                              2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(file_header + info_header + pixels)


# --------------------------------------------------------------------------
# Icon
# --------------------------------------------------------------------------

ICON_BLUE = (40, 98, 180)
ICON_BLUE_DARK = (18, 56, 118)


def draw_icon(size):
    """A blue price tag with a white hole and white lines, lying along the
    diagonal with its pointed end at the upper left."""
    S = 16  # heavy supersampling keeps the small sizes clean
    n = size * S
    img = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    k = n / 16.0  # the design is on a 16-unit grid

    def rot(points):
        """(along, across) tag coordinates, in units, to image pixels."""
        c = math.sqrt(0.5)
        return [(n / 2 + (p - q) * c * k, n / 2 + (p + q) * c * k) for p, q in points]

    small = size <= 16
    px = 16.0 / size                          # one pixel, in units
    margin = 0 if small else px               # keep a pixel free round the tag
    w = 4.9 if small else 4.7                 # half the tag's width
    a = -(8 - margin) * math.sqrt(2)          # the tip
    b = (8 - margin) * math.sqrt(2) - w       # the square end

    def outline(i):
        # On the diagonal the tip's two edges run horizontally and vertically;
        # with whole-pixel margins and borders they stay crisp.
        t = a + i * math.sqrt(2)
        return [(t, 0), (t + w - i, -(w - i)), (b - i, -(w - i)),
                (b - i, w - i), (t + w - i, w - i)]

    border = (2 if size >= 32 else 1) * px
    d.polygon(rot(outline(0)), fill=ICON_BLUE_DARK + (255,))
    d.polygon(rot(outline(border)), fill=ICON_BLUE + (255,))

    white = (255, 255, 255, 255)
    hx, hy = rot([(a + w * (0.95 if small else 0.9), 0)])[0]
    r = (1.35 if small else 1.3) * k
    d.ellipse((hx - r, hy - r, hx + r, hy + r), fill=white)

    if small:
        lines = [(0.0, 1.5)]
    elif size < 32:
        lines = [(-1.5, 1.0), (1.5, 1.0)]
    else:
        lines = [(-1.9, 0.85), (0.0, 0.85), (1.9, 0.85)]
    l0 = a + w + (2.7 if small else 1.8)
    l1 = b - (1.7 if small else 1.6)
    for off, th in lines:
        q0, q1 = off - th / 2, off + th / 2
        d.polygon(rot([(l0, q0), (l1, q0), (l1, q1), (l0, q1)]), fill=white)
    return img.resize((size, size), Image.BOX)


def write_ico(images, path):
    entries = []
    blobs = []
    offset = 6 + 16 * len(images)
    for img in images:
        w, h = img.size
        px = img.load()
        xor = bytearray()
        mask = bytearray()
        mask_stride = ((w + 31) // 32) * 4
        for y in range(h - 1, -1, -1):
            row_mask = bytearray(mask_stride)
            for x in range(w):
                r, g, b, a = px[x, y]
                if a == 0:
                    r = g = b = 0
                    row_mask[x // 8] |= 0x80 >> (x % 8)
                xor += bytes((b, g, r, a))
            mask += row_mask
        header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0,
                             len(xor) + len(mask), 0, 0, 0, 0)
        blob = header + bytes(xor) + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32,
                                   len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)))
        f.write(b"".join(entries))
        f.write(b"".join(blobs))


def main():
    write_bmp24(draw_background(), os.path.join(HERE, "background.bmp"))
    write_ico([draw_icon(n) for n in (48, 32, 24, 16)], os.path.join(HERE, "tallo.ico"))


if __name__ == "__main__":
    main()
