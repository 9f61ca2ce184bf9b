#!/usr/bin/python3
"""Draws every picture Sievra ships, so none of them is a hand-edited binary.

Rerun from the repository root after changing a drawing:

    /usr/bin/python3 tools/make_pictures.py

Needs python3-pil (Pillow 9.4) and fonts-dejavu-core.  The output is
deterministic: an unchanged script rewrites byte-identical files.  The files
land next to this script unless a directory is given as the only argument.
"""

import math
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

# The pictures live in resources/, beside this folder.
HERE = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "resources")
BOLD_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

# The logo sits on a window of exactly this colour, so its frame must match.
LOGO_BG = (160, 210, 157)
# Colour of the button the exit animation sits on.
EXIT_BG = (222, 208, 242)

# Classic 16-colour palette; the 4-bit pointer icon uses it.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def bold_font(px):
    try:
        return ImageFont.truetype(BOLD_FONT, px)
    except OSError:
        # Bitmap fallback keeps the script usable; the layout adapts to its size.
        return ImageFont.load_default()


# --------------------------------------------------------------------------
# Small drawing helpers


def from_map(rows, colours):
    """Pixel art from strings; '.' is transparent."""
    im = Image.new("RGBA", (len(rows[0]), len(rows)), (0, 0, 0, 0))
    for y, row in enumerate(rows):
        assert len(row) == im.width, f"ragged row {y}: {row!r}"
        for x, ch in enumerate(row):
            if ch != ".":
                im.putpixel((x, y), colours[ch] + (255,))
    return im


def shrink(im, factor):
    """Box-filter an oversized RGBA drawing, averaging colour by coverage so
    that edges do not pick up the transparent black around them."""
    size = (im.width // factor, im.height // factor)
    return im.convert("RGBa").resize(size, Image.Resampling.BOX).convert("RGBA")


def outline_of(mask):
    """Split a 1-bit shape into its 1-pixel rim and interior (4-neighbour)."""
    w, h = mask.size
    px = mask.load()
    rim, inside = set(), set()
    for y in range(h):
        for x in range(w):
            if not px[x, y]:
                continue
            edge = any(
                not (0 <= nx < w and 0 <= ny < h) or not px[nx, ny]
                for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1))
            )
            (rim if edge else inside).add((x, y))
    return rim, inside


# --------------------------------------------------------------------------
# Palettes and file writers


def build_palette(images, size, first=()):
    """Palette of `size` colours holding `first` exactly, then the images'
    other colours: exactly when they fit, median-cut when they do not."""
    seen = set()
    for im in images:
        seen.update(c for _, c in im.convert("RGB").getcolors(1 << 24))
    rest = sorted(seen - set(first))
    room = size - len(first)
    if len(rest) > room:
        strip = Image.new("RGB", (images[0].width, images[0].height * len(images)))
        for i, im in enumerate(images):
            strip.paste(im.convert("RGB"), (0, i * images[0].height))
        q = strip.quantize(room, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
        flat = q.getpalette()[: room * 3]
        rest = sorted({tuple(flat[i:i + 3]) for i in range(0, len(flat), 3)} - set(first))
    pal = list(first) + rest
    return pal + [(0, 0, 0)] * (size - len(pal))


def nearest_index(pal):
    cache = {}

    def lookup(c):
        if c not in cache:
            cache[c] = min(
                range(len(pal)),
                key=lambda i: sum((a - b) ** 2 for a, b in zip(pal[i], c)),
            )
        return cache[c]

    return lookup


def dib(im, bpp, palette=None):
    """One icon image: BITMAPINFOHEADER, palette, colour rows, AND mask.
    Heights are doubled because the header covers colour rows plus mask."""
    w, h = im.size
    rgba = im.convert("RGBA")
    px = rgba.load()
    opaque = [[px[x, y][3] >= 128 for x in range(w)] for y in range(h)]
    if palette is not None:
        assert len(palette) == 1 << bpp
        lookup = nearest_index(palette)
        # Transparent pixels must be black so the AND/XOR pair leaves the screen alone.
        black = palette.index((0, 0, 0))

    xor_stride = (w * bpp + 31) // 32 * 4
    and_stride = (w + 31) // 32 * 4
    xor_rows, and_rows = [], []
    for y in reversed(range(h)):  # DIB rows run bottom-up
        row = bytearray()
        if bpp == 24:
            for x in range(w):
                r, g, b, _ = px[x, y]
                row += bytes((b, g, r)) if opaque[y][x] else b"\0\0\0"
        else:
            idx = [lookup(px[x, y][:3]) if opaque[y][x] else black for x in range(w)]
            if bpp == 8:
                row += bytes(idx)
            elif bpp == 4:
                idx += [0] * (w % 2)
                row += bytes((idx[i] << 4) | idx[i + 1] for i in range(0, len(idx), 2))
            else:
                raise ValueError(f"unsupported depth {bpp}")
        xor_rows.append(bytes(row.ljust(xor_stride, b"\0")))
        bits = bytearray(and_stride)
        for x in range(w):
            if not opaque[y][x]:
                bits[x // 8] |= 0x80 >> (x % 8)
        and_rows.append(bytes(bits))

    body = b"".join(xor_rows) + b"".join(and_rows)
    colours = 0 if palette is None else len(palette)
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, bpp, 0, len(body), 0, 0, colours, 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in (palette or []))
    return header + table + body


def write_ico(path, entries):
    """entries: (image, bits per pixel, palette or None) per icon size."""
    blobs = [dib(im, bpp, pal) for im, bpp, pal in entries]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for (im, bpp, _), blob in zip(entries, blobs):
        w, h = im.size
        out += struct.pack(
            "<BBBBHHII", w % 256, h % 256, 16 if bpp == 4 else 0, 0, 1, bpp, len(blob), offset
        )
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))


# --------------------------------------------------------------------------
# Application icon: red floppy in front of stacked pages

APP_COLOURS = {
    "K": (96, 96, 106),    # page edges
    "g": (200, 202, 210),  # back sheet
    "w": (255, 255, 255),  # front sheet
    "t": (140, 150, 178),  # lines of text
    "R": (110, 0, 0),      # floppy edge
    "r": (214, 34, 34),    # floppy body
    "h": (244, 104, 96),   # light catching the top edge
    "s": (196, 200, 212),  # shutter
    "S": (50, 50, 62),     # shutter window
    "l": (252, 252, 246),  # label
    "L": (96, 120, 196),   # writing on the label
}

APP_16 = [
    "KKKKKKKKKK......",
    "KggggggggK......",
    "KgKKKKKKKKKK....",
    "KgKwwwwwwwwK....",
    "KgKwttttttwK....",
    "KgKwwwwwwwwK....",
    "KgKwttRRRRRRRRR.",
    "KgKwwwRhhsssShRR",
    "KgKwttRrrsssSsrR",
    "KgKwwwRrrsssssrR",
    "KgKwttRrrrrrrrrR",
    "KKKwwwRrllllllrR",
    "..KwttRrlLLLLlrR",
    "..KKKKRrllllllrR",
    "......RrlLLLLlrR",
    "......RRRRRRRRRR",
]


def app_icon_64():
    k = 4  # drawn 4x oversize, then shrunk
    im = Image.new("RGBA", (64 * k, 64 * k), (0, 0, 0, 0))
    d = ImageDraw.Draw(im)
    c = APP_COLOURS

    def box(x0, y0, x1, y1, fill, edge=None, width=1.0):
        d.rectangle([x0 * k, y0 * k, x1 * k - 1, y1 * k - 1], fill=fill,
                    outline=edge, width=round(width * k) if edge else 0)

    # Two sheets, the back one offset up and left.
    box(1, 1, 37, 46, c["g"], c["K"], 1.5)
    box(8, 7, 44, 54, c["w"], c["K"], 1.5)
    for y in range(14, 52, 5):
        box(13, y, 39 if y < 22 else 20, y + 1.5, c["t"])

    # Floppy with the usual clipped top-right corner.
    x0, y0, x1, y1, cut = 22, 22, 63, 63, 5
    body = [(x0, y0), (x1 - cut, y0), (x1, y0 + cut), (x1, y1), (x0, y1)]
    d.polygon([(x * k, y * k) for x, y in body], fill=c["R"])
    inset = 2
    inner = [(x0 + inset, y0 + inset), (x1 - cut - inset * 0.4, y0 + inset),
             (x1 - inset, y0 + cut + inset * 0.4), (x1 - inset, y1 - inset), (x0 + inset, y1 - inset)]
    d.polygon([(x * k, y * k) for x, y in inner], fill=c["r"])
    box(x0 + 2, y0 + 2, x1 - cut - 1, y0 + 3.5, c["h"])
    # Sliding shutter with its window.
    box(31, 22, 53, 37, c["R"])
    box(32, 22, 52, 36, c["s"])
    box(44, 25, 49, 33, c["S"])
    # Label with a few written lines.
    box(27, 42, 58, 63, c["R"])
    box(28, 43, 57, 63, c["l"])
    for y in (47, 52, 57):
        box(31, y, 54, y + 1.5, c["L"])
    return shrink(im, k)


# --------------------------------------------------------------------------
# Logo: "RDA" above the program's name


def logo():
    w, h, k = 89, 65, 4
    big, small = bold_font(34 * k), bold_font(17 * k)
    stroke = k  # one final pixel of darker rim

    # Measure, then centre both words as one block.
    b1 = ImageDraw.Draw(Image.new("L", (1, 1))).textbbox((0, 0), "RDA", font=big, stroke_width=stroke)
    b2 = ImageDraw.Draw(Image.new("L", (1, 1))).textbbox((0, 0), "Sievra", font=small)
    gap = 6 * k
    block = (b1[3] - b1[1]) + gap + (b2[3] - b2[1])
    top = (h * k - block) // 2
    p1 = ((w * k - (b1[2] - b1[0])) // 2 - b1[0], top - b1[1])
    p2 = ((w * k - (b2[2] - b2[0])) // 2 - b2[0], top + (b1[3] - b1[1]) + gap - b2[1])

    layers = []
    for text, font, pos, width in (("RDA", big, p1, stroke), ("RDA", big, p1, 0), ("Sievra", small, p2, 0)):
        m = Image.new("L", (w * k, h * k), 0)
        ImageDraw.Draw(m).text(pos, text, font=font, fill=255, stroke_width=width, stroke_fill=255)
        # Drop faint slivers of coverage: they would leave pixels a shade off
        # the background that show as specks on a window of that colour.
        layers.append(m.resize((w, h), Image.Resampling.BOX).point(lambda v: 0 if v < 24 else v))

    # Compose flat colours through coverage masks: wherever no letter
    # touches, the pixel is the background colour itself, not a blend.
    im = Image.new("RGB", (w, h), LOGO_BG)
    for mask, colour in zip(layers, ((4, 72, 16), (10, 122, 30), (16, 58, 196))):
        im = Image.composite(Image.new("RGB", (w, h), colour), im, mask)

    px = im.load()
    for x in range(w):
        for y in range(h):
            if x in (0, 1, w - 2, w - 1) or y in (0, 1, h - 2, h - 1):
                assert px[x, y] == LOGO_BG, f"logo touches its frame at {x},{y}"
    return im


# --------------------------------------------------------------------------
# Exit button animation: an arrow walks into an open door, which then shuts

DOORWAY = (13.0, 24.0, 4.0, 29.0)  # left, right, top, bottom


def exit_frame(arrow, door_angle):
    """arrow: (tip x, scale) or None once it has gone through; the arrow
    shrinks and darkens as it heads into the room beyond.
    door_angle: 0 is shut, 130 is wide open towards the viewer."""
    k = 8
    w, h = 34, 33
    left, right, top, bottom = DOORWAY
    im = Image.new("RGB", (w * k, h * k), EXIT_BG)
    d = ImageDraw.Draw(im)

    def P(pts):
        return [(x * k, y * k) for x, y in pts]

    dark = (34, 26, 52)
    d.rectangle(P([(0, bottom), (w, bottom + 1.5)]), fill=(150, 138, 170))  # floor
    d.rectangle(P([(left - 2, top - 2), (right + 2, bottom)]), fill=(92, 52, 24))
    d.rectangle(P([(left - 2, top - 2), (right + 2, top - 1)]), fill=(140, 86, 44))
    d.rectangle(P([(left, top), (right, bottom)]), fill=dark)

    if arrow is not None:
        tip, s = arrow
        ay = 17.0
        shape = [(-13, -2.5), (-6, -2.5), (-6, -6.5), (0, 0), (-6, 6.5), (-6, 2.5), (-13, 2.5)]
        pts = [(tip + x * s, ay + y * s) for x, y in shape]
        fade = (1 - s) * 0.7

        def dim(c):
            return tuple(round(a + (b - a) * fade) for a, b in zip(c, dark))

        d.polygon(P(pts), fill=dim((20, 168, 70)), outline=dim((0, 72, 28)), width=k)

    # The door hangs on the right jamb and its free edge swings towards us,
    # so perspective stretches that edge as it opens.
    a = math.radians(door_angle)
    free_x = right - (right - left) * math.cos(a)
    grow = 3.0 * math.sin(a)

    def on_door(u, v):
        """u: 0 at the free edge, 1 at the hinge; v: 0 top, 1 bottom."""
        g = grow * (1 - u)
        return (free_x + (right - free_x) * u, (top - g) + (bottom - top + 2 * g) * v)

    def quad(u0, u1, v0, v1):
        return P([on_door(u0, v0), on_door(u1, v0), on_door(u1, v1), on_door(u0, v1)])

    if abs(free_x - right) > 0.5:
        front = door_angle < 90
        face = (178, 106, 50) if front else (150, 88, 40)
        line = (112, 62, 24)
        d.polygon(quad(0, 1, 0, 1), fill=face, outline=(66, 34, 10), width=k)
        if abs(free_x - right) > 3:
            for v0, v1 in ((0.12, 0.42), (0.54, 0.88)):
                d.polygon(quad(0.22, 0.8, v0, v1), outline=line, width=k)
        kx, ky = on_door(0.12, 0.5)
        d.ellipse(P([(kx - 0.9, ky - 0.9), (kx + 0.9, ky + 0.9)]), fill=(244, 204, 60))
    return im.resize((w, h), Image.Resampling.BOX)


def exit_animation():
    # The first frame is the still picture: open door, arrow pointing in.
    arrow_path = [(17, 1.0), (18.5, 0.78), (19.5, 0.58), (20, 0.4), (20.2, 0.24)]
    frames = [exit_frame(p, 130) for p in arrow_path]
    frames.append(exit_frame(None, 130))
    frames += [exit_frame(None, a) for a in (80, 35, 0, 65)]
    pal = build_palette(frames, 256, first=[EXIT_BG])
    flat = [v for c in pal for v in c]
    lookup = nearest_index(pal)
    out = []
    for f in frames:
        p = Image.new("P", f.size)
        p.putpalette(flat)
        p.putdata([lookup(c) for c in f.getdata()])
        out.append(p)
    return out


# --------------------------------------------------------------------------
# Help pointer: speech bubble holding a question mark

POINTER_16 = [
    "...KKKKKKKKKK...",
    ".KKWWWWWWWWWWKK.",
    "KWWWWWBBBBWWWWWK",
    "KWWWWBBWWBBWWWWK",
    "KWWWWWWWWBBWWWWK",
    "KWWWWWWWBBWWWWWK",
    "KWWWWWWBBWWWWWWK",
    "KWWWWWWBBWWWWWWK",
    "KWWWWWWWWWWWWWWK",
    "KWWWWWWBBWWWWWWK",
    ".KKWWWWBBWWWWKK.",
    "...KWKKKKKKKK...",
    "...KWK..........",
    "..KWK...........",
    ".KK.............",
    "................",
]
POINTER_COLOURS = {"K": (0, 0, 0), "W": (255, 255, 255), "B": (0, 0, 255)}


def pointer_32():
    shape = Image.new("1", (32, 32), 0)
    d = ImageDraw.Draw(shape)
    d.ellipse([0, 0, 31, 23], fill=1)
    d.polygon([(6, 18), (14, 21), (2, 30)], fill=1)
    rim, inside = outline_of(shape)
    im = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    for p in rim:
        im.putpixel(p, (0, 0, 0, 255))
    for p in inside:
        im.putpixel(p, (255, 255, 255, 255))

    # Hard-edged glyph: a 16-colour icon has no room for blended edges.
    glyph = Image.new("1", (32, 32), 0)
    gd = ImageDraw.Draw(glyph)
    gd.fontmode = "1"
    font = bold_font(20)
    bb = gd.textbbox((0, 0), "?", font=font)
    gd.text((16 - (bb[0] + bb[2]) / 2, 12 - (bb[1] + bb[3]) / 2), "?", font=font, fill=1)
    for y in range(32):
        for x in range(32):
            if glyph.getpixel((x, y)) and (x, y) in inside:
                im.putpixel((x, y), (0, 0, 255, 255))
    return im


# --------------------------------------------------------------------------
# About-window help icon: tilted purple card, question mark, pencil


def help_icon():
    k = 8
    n = 32 * k
    im = Image.new("RGBA", (n, n), (0, 0, 0, 0))

    # The card is drawn upright on its own layer and then tilted.
    card = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    cd = ImageDraw.Draw(card)
    cx0, cy0, cx1, cy1 = 4 * k, 3 * k, 24 * k, 28 * k
    cd.rounded_rectangle([cx0, cy0, cx1, cy1], radius=2.5 * k, fill=(58, 20, 104))
    cd.rounded_rectangle([cx0 + k, cy0 + k, cx1 - k, cy1 - k], radius=1.5 * k, fill=(132, 66, 204))
    font = bold_font(21 * k)
    bb = cd.textbbox((0, 0), "?", font=font)
    centre = ((cx0 + cx1) / 2, (cy0 + cy1) / 2)
    cd.text((centre[0] - (bb[0] + bb[2]) / 2, centre[1] - (bb[1] + bb[3]) / 2), "?",
            font=font, fill=(255, 255, 255))
    card = card.rotate(-10, resample=Image.Resampling.BICUBIC, center=centre)
    im.alpha_composite(card)

    # Pencil lying across the lower right, point down-left.
    d = ImageDraw.Draw(im)
    length, half = 23.0, 2.6
    ax, ay, angle = 29.5, 11.0, 124.0  # eraser end and direction
    ux, uy = math.cos(math.radians(angle)), math.sin(math.radians(angle))
    vx, vy = -uy, ux

    def seg(t0, t1, w0, w1):
        pts = [(ax + ux * t0 + vx * w0, ay + uy * t0 + vy * w0),
               (ax + ux * t1 + vx * w1, ay + uy * t1 + vy * w1),
               (ax + ux * t1 - vx * w1, ay + uy * t1 - vy * w1),
               (ax + ux * t0 - vx * w0, ay + uy * t0 - vy * w0)]
        return [(x * k, y * k) for x, y in pts]

    edge = (60, 34, 10)
    d.polygon(seg(0, length - 6, half + 0.9, half + 0.9), fill=edge)
    d.polygon(seg(length - 6, length + 1.2, half + 0.9, 0.01), fill=edge)
    d.polygon(seg(0.8, 4, half, half), fill=(236, 120, 150))          # eraser
    d.polygon(seg(4, 6.5, half, half), fill=(180, 180, 190))          # ferrule
    d.polygon(seg(6.5, length - 6, half, half), fill=(250, 196, 40))  # body
    d.polygon(seg(6.5, length - 6, half * 0.25, half * 0.25), fill=(255, 226, 120))
    d.polygon(seg(length - 6, length - 2, half, half * 0.34), fill=(238, 204, 160))  # wood
    d.polygon(seg(length - 2, length, half * 0.34, 0.01), fill=(40, 40, 48))         # lead

    small = shrink(im, k)
    # The icon mask is 1-bit: settle each edge pixel as fully in or out.
    px = small.load()
    for y in range(32):
        for x in range(32):
            r, g, b, a = px[x, y]
            px[x, y] = (r, g, b, 255) if a >= 128 else (0, 0, 0, 0)
    return small


# --------------------------------------------------------------------------


def main(argv):
    out = argv[1] if len(argv) > 1 else HERE
    os.makedirs(out, exist_ok=True)

    def path(name):
        return os.path.join(out, name)

    write_ico(path("sievra.ico"), [(from_map(APP_16, APP_COLOURS), 24, None)])
    app_icon_64().save(path("sievra.png"), optimize=False)

    logo().save(path("logo.bmp"))

    frames = exit_animation()
    frames[0].save(path("exit.gif"), save_all=True, append_images=frames[1:],
                   duration=100, loop=0, optimize=False, disposal=1)

    write_ico(path("help_pointer.ico"), [
        (pointer_32(), 4, VGA16),
        (from_map(POINTER_16, POINTER_COLOURS), 4, VGA16),
    ])

    art = help_icon()
    opaque = Image.new("RGB", art.size)
    opaque.paste(art, mask=art.getchannel("A"))
    write_ico(path("help.ico"), [(art, 8, build_palette([opaque], 256, first=[(0, 0, 0)]))])


if __name__ == "__main__":
    main(sys.argv)
