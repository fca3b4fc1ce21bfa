"""Painting primitives for make_art.py: gradients, anti-aliased rounded shapes, lines and glows, all
on RGBA images of Pillow."""

import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter

SS = 4  # supersampling factor for smooth round corners


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def vgrad(w, h, top, bottom, alpha=255):
    """A vertical gradient from top to bottom colour."""
    img = Image.new("RGBA", (w, h))
    px = img.load()
    for y in range(h):
        c = lerp(top, bottom, y / max(1, h - 1)) + (alpha,)
        for x in range(w):
            px[x, y] = c
    return img


def round_mask(w, h, r):
    """An anti-aliased mask of a rounded rectangle filling w x h."""
    big = Image.new("L", (w * SS, h * SS), 0)
    ImageDraw.Draw(big).rounded_rectangle((0, 0, w * SS - 1, h * SS - 1), radius=r * SS, fill=255)
    return big.resize((w, h), Image.LANCZOS)


def ring_mask(w, h, r, width):
    """The outline of a rounded rectangle, width pixels thick, inside w x h."""
    outer = round_mask(w, h, r)
    if w <= 2 * width or h <= 2 * width:
        return outer
    inner = Image.new("L", (w, h), 0)
    inner.paste(round_mask(w - 2 * width, h - 2 * width, max(0, r - width)), (width, width))
    return ImageChops.subtract(outer, inner)


def solid(w, h, rgb, alpha=255):
    return Image.new("RGBA", (w, h), rgb + (alpha,))


def paint(dst, src, mask, xy=(0, 0)):
    """Composites src over dst at xy through mask (both mask and src's alpha count)."""
    layer = Image.new("RGBA", dst.size, (0, 0, 0, 0))
    m = mask if src.mode != "RGBA" else ImageChops.multiply(mask, src.getchannel("A"))
    layer.paste(src, xy, m)
    dst.alpha_composite(layer)


def grain(img, amount, seed):
    """A faint fixed-seed grain, so large flat areas do not band."""
    rnd = random.Random(seed)
    px = img.load()
    w, h = img.size
    for y in range(h):
        for x in range(w):
            r, g, b, a = px[x, y]
            d = rnd.randint(-amount, amount)
            px[x, y] = (max(0, min(255, r + d)), max(0, min(255, g + d)), max(0, min(255, b + d)), a)


def hline(img, x0, x1, y, rgb, alpha=255, fade=0):
    """A horizontal line; with fade its ends fade out over that many pixels."""
    px = img.load()
    for x in range(x0, x1):
        t = 1.0
        if fade:
            t = min(1.0, (x - x0) / fade, (x1 - 1 - x) / fade)
        a = int(alpha * max(0.0, t))
        if a:
            r, g, b, da = px[x, y]
            k = a / 255.0
            px[x, y] = (int(r + (rgb[0] - r) * k), int(g + (rgb[1] - g) * k), int(b + (rgb[2] - b) * k),
                        max(da, a))


def glow(img, cx, cy, rx, ry, rgb, alpha):
    """A soft elliptical glow added over img."""
    w, h = img.size
    mask = Image.new("L", (w, h), 0)
    ImageDraw.Draw(mask).ellipse((cx - rx, cy - ry, cx + rx, cy + ry), fill=alpha)
    mask = mask.filter(ImageFilter.GaussianBlur(max(rx, ry) / 3))
    paint(img, solid(w, h, rgb), mask)
