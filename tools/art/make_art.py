#!/usr/bin/python3
"""Draws every picture of the tool's own look into data/interface/art/.

The pictures are made from code only (shapes, gradients, a fixed-seed grain), so running this script
again gives the same files. The build does not run it: the PNGs it writes are committed beside the
layouts. After changing a picture here, run

    /usr/bin/python3 tools/art/make_art.py

from the repository root (Debian package python3-pil) and commit the changed PNGs. The rectangles
below must match the layouts in data/interface/layouts/: every picture is drawn at the size of the
window that shows it, so nothing is stretched except the shield and the frame pieces.
"""

import os
import struct
import sys
import zlib

from PIL import Image, ImageDraw

sys.dont_write_bytecode = True  # no __pycache__ beside the script in the repository
from art_paint import SS, glow, grain, hline, lerp, paint, ring_mask, round_mask, solid, vgrad

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data", "interface", "art")

# ---- palette (RGB) ----
NIGHT_TOP = (27, 35, 51)
NIGHT_BOTTOM = (11, 15, 23)
BAND_TOP = (38, 50, 72)
BAND_BOTTOM = (22, 30, 45)
PANEL_TOP = (21, 28, 41)
PANEL_BOTTOM = (15, 20, 30)
PANEL_EDGE = (55, 71, 98)
CARD_TOP = (14, 19, 29)
CARD_BOTTOM = (10, 14, 21)
CARD_EDGE = (44, 57, 80)
CYAN = (64, 196, 240)
CYAN_DEEP = (20, 112, 170)
GOLD = (236, 190, 92)
GOLD_DEEP = (150, 104, 34)
INK = (6, 8, 12)

def panel(w, h, r=6, top=PANEL_TOP, bottom=PANEL_BOTTOM, edge=PANEL_EDGE):
    """A recessed section panel: gradient body, 1-pixel edge, a faint highlight along the top."""
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    paint(img, vgrad(w, h, top, bottom), round_mask(w, h, r))
    paint(img, solid(w, h, edge), ring_mask(w, h, r, 1))
    hline(img, r, w - r, 1, (255, 255, 255), 22)
    return img


# ---- the emblem: a shield with a signal arc, used by the icon and the title band ----

def emblem(size):
    s = size * SS
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)

    def shield(inset):
        k = inset * s
        return [(s * 0.5, k + s * 0.04), (s - k - s * 0.08, k + s * 0.16), (s - k - s * 0.1, s * 0.52),
                (s * 0.5, s - k - s * 0.03), (k + s * 0.1, s * 0.52), (k + s * 0.08, k + s * 0.16)]

    d.polygon(shield(0.0), fill=GOLD_DEEP + (255,))
    d.polygon(shield(0.035), fill=GOLD + (255,))
    d.polygon(shield(0.075), fill=(24, 40, 64, 255))
    # Three signal arcs rising from a dot, in cyan.
    cx, cy = s * 0.5, s * 0.66
    for i, rr in enumerate((0.13, 0.22, 0.31)):
        rad = rr * s
        d.arc((cx - rad, cy - rad, cx + rad, cy + rad), 225, 315, fill=lerp(CYAN, (200, 240, 255), i / 3) + (255,),
              width=max(1, int(s * 0.045)))
    dot = s * 0.045
    d.ellipse((cx - dot, cy - dot, cx + dot, cy + dot), fill=(210, 244, 255, 255))
    return img.resize((size, size), Image.LANCZOS)


def make_icon():
    size = 64
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    paint(img, vgrad(size, size, (40, 58, 88), (14, 20, 32)), round_mask(size, size, 14))
    paint(img, solid(size, size, (90, 120, 160)), ring_mask(size, size, 14, 1))
    img.alpha_composite(emblem(52), (6, 6))
    return img


# ---- main window ----

MAIN_W, MAIN_H = 640, 520
TITLE_H = 44
# Section panels (x, y, w, h) and their header strip height.
SECTIONS = [(16, 54, 608, 108), (16, 172, 608, 98), (16, 280, 608, 172)]
HEADER_H = 26
CARDS = [(30, 206, 188, 56), (226, 206, 188, 56), (422, 206, 188, 56)]
BUTTON_BAR_Y = 462


def section(img, x, y, w, h):
    body = panel(w, h)
    # The header strip is a shade lighter and ends in a hairline.
    strip = vgrad(w - 2, HEADER_H - 1, (30, 40, 58), (22, 30, 44))
    body.alpha_composite(strip, (1, 1))
    paint(body, solid(w, h, PANEL_EDGE), ring_mask(w, h, 6, 1))
    hline(body, 1, w - 1, HEADER_H, (48, 62, 86))
    hline(body, 6, w - 6, 1, (255, 255, 255), 22)
    # An accent bar before the header's caption.
    accent = vgrad(3, 14, CYAN, CYAN_DEEP)
    body.alpha_composite(accent, (8, (HEADER_H - 14) // 2 + 1))
    img.alpha_composite(body, (x, y))


def card(img, x, y, w, h):
    body = panel(w, h, 5, CARD_TOP, CARD_BOTTOM, CARD_EDGE)
    # A short cyan line on top marks the reading.
    top = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    hline(top, 5, w - 5, 0, CYAN, 200, fade=40)
    hline(top, 5, w - 5, 1, CYAN, 60, fade=40)
    body.alpha_composite(top)
    img.alpha_composite(body, (x, y))


def card_glyph(kind, size=28):
    """A faint line drawing at the right of a reading's card: a gauge for the overall grade, a
    stopwatch for the latency, three packets (one lost) for the loss."""
    s = size * SS
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    col = CYAN + (150,)
    wl = int(2.2 * SS)
    if kind == "gauge":
        d.arc((2 * SS, 4 * SS, s - 2 * SS, s + 10 * SS), 200, 340, fill=col, width=wl)
        cx, cy = s / 2, s * 0.62
        d.line((cx, cy, cx + s * 0.22, cy - s * 0.3), fill=col, width=wl)
        d.ellipse((cx - 3 * SS, cy - 3 * SS, cx + 3 * SS, cy + 3 * SS), fill=col)
    elif kind == "watch":
        d.ellipse((4 * SS, 6 * SS, s - 4 * SS, s - 2 * SS), outline=col, width=wl)
        cx, cy = s / 2, (6 * SS + s - 2 * SS) / 2
        d.line((cx, 2 * SS, cx, 6 * SS), fill=col, width=wl)
        d.line((cx, cy, cx, cy - 6 * SS), fill=col, width=wl)
        d.line((cx, cy, cx + 5 * SS, cy + 2 * SS), fill=col, width=wl)
    else:
        for i in range(3):
            x0 = 1 * SS + i * 9 * SS
            box = (x0, 9 * SS, x0 + 7 * SS, 16 * SS)
            if i == 1:
                d.rectangle(box, outline=(236, 120, 96, 150), width=int(1.5 * SS))
            else:
                d.rectangle(box, fill=col)
        d.line((2 * SS, 22 * SS, s - 2 * SS, 22 * SS), fill=CYAN + (90,), width=int(1.5 * SS))
    return img.resize((size, size), Image.LANCZOS)


def make_main_bg():
    w, h = MAIN_W, MAIN_H
    img = vgrad(w, h, NIGHT_TOP, NIGHT_BOTTOM)
    glow(img, w // 2, 40, 300, 120, (40, 110, 170), 40)
    grain(img, 2, 7)
    # Title band with a gold hairline that fades at both ends.
    band = vgrad(w, TITLE_H, BAND_TOP, BAND_BOTTOM)
    hline(band, 0, w, 0, (255, 255, 255), 30)
    img.alpha_composite(band, (0, 0))
    hline(img, 0, w, TITLE_H - 1, GOLD, 200, fade=160)
    hline(img, 0, w, TITLE_H, INK, 160)
    img.alpha_composite(emblem(30), (14, 7))
    for (x, y, sw, sh) in SECTIONS:
        section(img, x, y, sw, sh)
    for (x, y, cw, ch), kind in zip(CARDS, ("gauge", "watch", "packets")):
        card(img, x, y, cw, ch)
        img.alpha_composite(card_glyph(kind), (x + cw - 42, y + 14))
    # The divider between the verdict and the advice inside the last section.
    hline(img, 30, 610, 342, (48, 62, 86), 255, fade=60)
    # The button bar: a darker band under a hairline.
    bar = vgrad(w, h - BUTTON_BAR_Y, (14, 18, 27), (8, 11, 17))
    img.alpha_composite(bar, (0, BUTTON_BAR_Y))
    hline(img, 0, w, BUTTON_BAR_Y, (52, 66, 92), 255, fade=120)
    # The window's own frame: a light outer edge and a dark inner one.
    frame = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    d = ImageDraw.Draw(frame)
    d.rectangle((0, 0, w - 1, h - 1), outline=(74, 92, 122, 255))
    d.rectangle((1, 1, w - 2, h - 2), outline=INK + (200,))
    img.alpha_composite(frame)
    return img


# ---- buttons: normal, hover, pressed, disabled ----

BUTTON_STATES = {
    # top, bottom, edge, highlight alpha, text offset (pressed sinks by one pixel)
    "normal": ((44, 116, 170), (22, 66, 108), (96, 170, 220), 70),
    "hover": ((66, 150, 206), (30, 90, 140), (150, 214, 250), 90),
    "down": ((18, 56, 94), (34, 92, 140), (70, 130, 180), 0),
    "disabled": ((52, 58, 68), (36, 40, 48), (70, 76, 88), 20),
}


def button(w, h, state):
    top, bottom, edge, shine = BUTTON_STATES[state]
    r = 5
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    # A soft drop shadow one pixel below, except when pressed.
    if state != "down":
        paint(img, solid(w, h, INK, 150), round_mask(w, h, r))
    body_h = h - 1
    paint(img, vgrad(w, body_h, top, bottom), round_mask(w, body_h, r))
    # Glassy upper half.
    if shine:
        gloss = vgrad(w, body_h // 2, (255, 255, 255), (255, 255, 255))
        gloss.putalpha(vgrad(w, body_h // 2, (shine,) * 3, (8,) * 3).getchannel("R"))
        m = Image.new("L", (w, body_h), 0)
        m.paste(round_mask(w - 2, body_h - 2, r - 1), (1, 1))
        layer = Image.new("RGBA", (w, body_h), (0, 0, 0, 0))
        layer.paste(gloss, (0, 0))
        paint(img, layer, m)
    paint(img, solid(w, body_h, edge), ring_mask(w, body_h, r, 1))
    if state == "hover":
        # A cyan glow along the bottom edge.
        under = Image.new("RGBA", (w, h), (0, 0, 0, 0))
        hline(under, r, w - r, body_h - 2, (170, 236, 255), 160, fade=20)
        img.alpha_composite(under)
    return img


def close_button(size, state):
    """The small square button with a cross, for the message box's corner."""
    img = button(size, size, state)
    d = ImageDraw.Draw(img)
    c = (230, 238, 248, 255) if state != "disabled" else (120, 126, 136, 255)
    k = size // 3
    o = 1 if state == "down" else 0
    d.line((k, k + o - 1, size - k - 1, size - k - 2 + o), fill=c, width=2)
    d.line((size - k - 1, k + o - 1, k, size - k - 2 + o), fill=c, width=2)
    return img


# ---- progress bar ----

PROGRESS_W, PROGRESS_H = 580, 18


def progress_track():
    w, h = PROGRESS_W, PROGRESS_H
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    paint(img, vgrad(w, h, (6, 9, 14), (16, 22, 32)), round_mask(w, h, h // 2))
    paint(img, solid(w, h, (50, 64, 88)), ring_mask(w, h, h // 2, 1))
    # Tick marks every tenth, very faint.
    ticks = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    for i in range(1, 10):
        x = w * i // 10
        for y in range(4, h - 4):
            ticks.putpixel((x, y), (120, 150, 190, 40))
    img.alpha_composite(ticks)
    return img


def progress_fill():
    w, h = PROGRESS_W, PROGRESS_H
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    # Left to right from deep to bright cyan, with a gloss on the upper half and diagonal stripes.
    body = Image.new("RGBA", (w, h))
    px = body.load()
    for x in range(w):
        base = lerp(CYAN_DEEP, CYAN, x / (w - 1))
        for y in range(h):
            shade = 1.0 + 0.28 * (1.0 - y / (h - 1)) - 0.12
            stripe = 10 if ((x + y) // 6) % 2 == 0 else 0
            px[x, y] = tuple(max(0, min(255, int(c * shade) + stripe)) for c in base) + (255,)
    m = Image.new("L", (w, h), 0)
    m.paste(round_mask(w - 2, h - 2, h // 2 - 1), (1, 1))
    paint(img, body, m)
    hline(img, h // 2, w - h // 2, 2, (255, 255, 255), 90)
    return img


# ---- nine-piece frames ----

def msgbox_pieces():
    # 12-pixel corners: a gold-edged dark panel, the middle a plain gradient-free fill so it stretches.
    size, cut, r = 40, 12, 8
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    fill = (20, 27, 40)
    paint(img, solid(size, size, INK, 230), round_mask(size, size, r))
    body = Image.new("L", (size, size), 0)
    body.paste(round_mask(size - 2, size - 2, r - 1), (1, 1))
    paint(img, solid(size, size, fill), body)
    paint(img, solid(size, size, GOLD_DEEP), ring_mask(size, size, r, 1))
    edge2 = Image.new("L", (size, size), 0)
    edge2.paste(ring_mask(size - 6, size - 6, r - 3, 1), (3, 3))
    paint(img, solid(size, size, (62, 80, 108)), edge2)
    hline(img, r, size - r, 1, (255, 230, 170), 60)
    return cut_nine(img, cut)


def tip_pieces():
    size, cut, r = 18, 6, 4
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    paint(img, solid(size, size, (10, 14, 22), 248), round_mask(size, size, r))
    paint(img, solid(size, size, (84, 150, 196)), ring_mask(size, size, r, 1))
    return cut_nine(img, cut)


def cut_nine(img, cut):
    size = img.size[0]
    cuts = (0, cut, size - cut, size)
    return [img.crop((cuts[c], cuts[rw], cuts[c + 1], cuts[rw + 1])) for rw in range(3) for c in range(3)]


PIECE_NAMES = ("lt", "t", "rt", "l", "m", "r", "lb", "b", "rb")


# ---- report window ----

REPORT_W, REPORT_H = 420, 300
FIELD_X, FIELD_W = 104, 292


def make_report_bg():
    w, h = REPORT_W, REPORT_H
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    r = 10
    paint(img, solid(w, h, INK, 230), round_mask(w, h, r))
    body = Image.new("L", (w, h), 0)
    body.paste(round_mask(w - 2, h - 2, r - 1), (1, 1))
    paint(img, vgrad(w, h, (26, 34, 50), (13, 18, 27)), body)
    # Title band and its gold hairline.
    band = Image.new("L", (w, h), 0)
    band.paste(round_mask(w - 2, 40, r - 1), (1, 1))
    band.paste(0, (0, 30, w, h))
    paint(img, vgrad(w, h, BAND_TOP, BAND_BOTTOM), band)
    hline(img, 1, w - 1, 40, GOLD, 190, fade=110)
    hline(img, 1, w - 1, 41, INK, 140)
    img.alpha_composite(emblem(24), (14, 8))
    paint(img, solid(w, h, GOLD_DEEP), ring_mask(w, h, r, 1))
    edge2 = Image.new("L", (w, h), 0)
    edge2.paste(ring_mask(w - 6, h - 6, r - 3, 1), (3, 3))
    paint(img, solid(w, h, (56, 72, 100)), edge2)
    # The bottom bar behind the buttons.
    hline(img, 20, w - 20, 250, (52, 66, 92), 255, fade=60)
    return img


def edit_field(w, h, edge, fill_top=(7, 10, 16), fill_bottom=(12, 17, 26)):
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    paint(img, vgrad(w, h, fill_top, fill_bottom), round_mask(w, h, 3))
    paint(img, solid(w, h, edge), ring_mask(w, h, 3, 1))
    # Inner shadow along the top.
    hline(img, 3, w - 3, 1, (0, 0, 0), 120)
    return img


def save_png(img, path):
    """Writes 8-bit RGBA with every row filtered by "Sub". An encoder's adaptive choice mostly picks Paeth,
    whose reversal is what dominates creating the main window from its layout; Sub undoes with one add
    per byte and compresses these gradients nearly as well."""
    img = img.convert("RGBA")
    width, height = img.size
    raw = img.tobytes()
    stride = width * 4
    rows = bytearray()
    for y in range(height):
        row = raw[y * stride:(y + 1) * stride]
        rows.append(1)
        rows += bytes((a - b) & 0xFF for a, b in zip(row, bytes(4) + row[:-4]))

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9))
                + chunk(b"IEND", b""))


def main():
    os.makedirs(OUT, exist_ok=True)
    out = {}
    out["app_icon.png"] = make_icon()
    out["main_bg.png"] = make_main_bg()
    out["report_bg.png"] = make_report_bg()
    for state in BUTTON_STATES:
        out["btn_main_%s.png" % state] = button(120, 34, state)
        out["btn_dlg_%s.png" % state] = button(96, 30, state)
        out["btn_x_%s.png" % state] = close_button(22, state)
    out["progress_track.png"] = progress_track()
    out["progress_fill.png"] = progress_fill()
    for name, piece in zip(PIECE_NAMES, msgbox_pieces()):
        out["msgbox_%s.png" % name] = piece
    for name, piece in zip(PIECE_NAMES, tip_pieces()):
        out["tip_%s.png" % name] = piece
    # The shield: one translucent dark texel stretched over the whole window.
    line = Image.new("RGBA", (328, 2), (0, 0, 0, 0))
    hline(line, 0, 328, 0, GOLD, 200, fade=90)
    hline(line, 0, 328, 1, INK, 140, fade=90)
    out["line_gold.png"] = line
    out["shield.png"] = solid(8, 8, (4, 6, 10), 150)
    out["edit_name.png"] = edit_field(FIELD_W, 26, (62, 80, 108))
    out["edit_name_disabled.png"] = edit_field(FIELD_W, 26, (44, 50, 60), (18, 20, 24), (20, 22, 26))
    out["edit_desc.png"] = edit_field(FIELD_W, 100, (62, 80, 108))
    out["edit_desc_disabled.png"] = edit_field(FIELD_W, 100, (44, 50, 60), (18, 20, 24), (20, 22, 26))
    out["edit_hover.png"] = edit_field(FIELD_W, 26, CYAN)
    for name, img in sorted(out.items()):
        save_png(img, os.path.join(OUT, name))
    print("wrote %d pictures to %s" % (len(out), os.path.normpath(OUT)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
