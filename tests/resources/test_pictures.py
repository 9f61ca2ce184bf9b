#!/usr/bin/python3
"""Checks the shipped pictures against what the program and Qt expect.

    /usr/bin/python3 tests/resources/test_pictures.py

The icon files are decoded here by hand rather than through the writer, so a
wrong stride, height or mask bit shows up as a failure, not as a tautology.
"""

import configparser
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

from PIL import Image

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
HERE = os.path.join(ROOT, "resources")
sys.dont_write_bytecode = True  # keep the source folders clean
sys.path.insert(0, os.path.join(ROOT, "tools"))
import make_pictures  # noqa: E402

PICTURES = ["sievra.ico", "sievra.png", "logo.bmp", "exit.gif", "help_pointer.ico", "help.ico"]


def read_ico(name):
    """Returns [(width, height, bpp, pixels)] with pixels[y][x] = RGB or None."""
    with open(os.path.join(HERE, name), "rb") as f:
        data = f.read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert (reserved, kind) == (0, 1), "not an icon directory"
    images, end = [], 6 + 16 * count
    for i in range(count):
        w, h, ncol, res, planes, bpp, size, off = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        w, h = w or 256, h or 256
        assert res == 0 and planes == 1
        assert ncol == (16 if bpp == 4 else 0), f"{name}: colour count {ncol} for {bpp} bpp"
        assert off == end, f"{name}: entry {i} is not packed after the previous one"
        end = off + size
        hsize, bw, bh, bplanes, bbpp, comp, _, _, _, used, _ = struct.unpack_from("<IiiHHIIiiII", data, off)
        assert (hsize, bw, bh, bplanes, bbpp, comp) == (40, w, 2 * h, 1, bpp, 0), f"{name}: header"
        colours = (used or 1 << bpp) if bpp <= 8 else 0
        pal_at = off + 40
        palette = [tuple(data[pal_at + 4 * c + 2 - j] for j in range(3)) for c in range(colours)]
        xor_stride = (w * bpp + 31) // 32 * 4
        and_stride = (w + 31) // 32 * 4
        xor_at = pal_at + 4 * colours
        and_at = xor_at + xor_stride * h
        assert and_at + and_stride * h == end, f"{name}: entry {i} size does not add up"
        pixels = []
        for y in range(h):
            src = h - 1 - y  # stored bottom-up
            row = []
            for x in range(w):
                if data[and_at + src * and_stride + x // 8] & (0x80 >> (x % 8)):
                    row.append(None)
                    continue
                p = xor_at + src * xor_stride
                if bpp == 24:
                    b, g, r = data[p + 3 * x:p + 3 * x + 3]
                    row.append((r, g, b))
                elif bpp == 8:
                    row.append(palette[data[p + x]])
                else:
                    row.append(palette[(data[p + x // 2] >> (4 if x % 2 == 0 else 0)) & 15])
            pixels.append(row)
        images.append((w, h, bpp, pixels))
    assert end == len(data), f"{name}: trailing or missing bytes"
    return images


def is_red(c):
    return c is not None and c[0] > 150 and c[1] < 80 and c[2] < 80


class IconFiles(unittest.TestCase):
    def test_app_icon_is_one_true_colour_16(self):
        [(w, h, bpp, px)] = read_ico("sievra.ico")
        self.assertEqual((w, h, bpp), (16, 16, 24))
        flat = [c for row in px for c in row]
        self.assertGreater(sum(map(is_red, flat)), 20, "floppy should be mostly red")
        self.assertIn((255, 255, 255), flat, "pages should show white")
        # Floppy in the lower right, pages upper left.
        self.assertTrue(is_red(px[12][7]))
        self.assertIsNotNone(px[0][0])
        self.assertIsNone(px[0][15], "corner beside the pages should be see-through")

    def test_pointer_has_32_and_16_at_4_bits(self):
        entries = read_ico("help_pointer.ico")
        self.assertEqual([e[:3] for e in entries], [(32, 32, 4), (16, 16, 4)])
        for w, h, _, px in entries:
            self.assertIsNone(px[0][0], f"{w}px: outside the bubble must be transparent")
            self.assertIsNone(px[h - 1][w - 1])
            flat = [c for row in px for c in row if c is not None]
            self.assertEqual(set(flat), {(0, 0, 0), (255, 255, 255), (0, 0, 255)})
            # The question mark sits inside the bubble, not on its rim.
            blue = [(x, y) for y in range(h) for x in range(w) if px[y][x] == (0, 0, 255)]
            self.assertTrue(all(px[y][x - 1] is not None and px[y][x + 1] is not None for x, y in blue))

    def test_help_icon_is_256_colour_with_mask(self):
        [(w, h, bpp, px)] = read_ico("help.ico")
        self.assertEqual((w, h, bpp), (32, 32, 8))
        flat = [c for row in px for c in row]
        self.assertGreater(flat.count(None), 100, "needs a transparent surround")
        purple = [c for c in flat if c and c[2] > 150 and c[0] > 90 and c[1] < 100]
        self.assertGreater(len(purple), 150)

    def test_pillow_reads_every_picture_at_its_size(self):
        sizes = {"sievra.ico": (16, 16), "sievra.png": (64, 64), "logo.bmp": (89, 65),
                 "exit.gif": (34, 33), "help_pointer.ico": (32, 32), "help.ico": (32, 32)}
        for name, size in sizes.items():
            with Image.open(os.path.join(HERE, name)) as im:
                im.load()
                self.assertEqual(im.size, size, name)


class Logo(unittest.TestCase):
    def setUp(self):
        self.im = Image.open(os.path.join(HERE, "logo.bmp"))

    def test_24_bit_and_edge_matches_window(self):
        with open(os.path.join(HERE, "logo.bmp"), "rb") as f:
            head = f.read(30)
        self.assertEqual(struct.unpack_from("<H", head, 28)[0], 24)
        w, h = self.im.size
        px = self.im.convert("RGB").load()
        frame = [px[x, y] for x in range(w) for y in range(h) if x in (0, w - 1) or y in (0, h - 1)]
        self.assertEqual(set(frame), {(160, 210, 157)})

    def test_green_letters_above_blue_name(self):
        px = self.im.convert("RGB").load()
        w, h = self.im.size
        green = [y for y in range(h) for x in range(w) if px[x, y][1] > 90 and px[x, y][0] < 40 and px[x, y][2] < 60]
        blue = [y for y in range(h) for x in range(w) if px[x, y][2] > 150 and px[x, y][0] < 60]
        self.assertTrue(green and blue)
        self.assertLess(max(green), min(blue))


class ExitAnimation(unittest.TestCase):
    def test_gif_layout(self):
        with open(os.path.join(HERE, "exit.gif"), "rb") as f:
            data = f.read()
        self.assertEqual(struct.unpack_from("<HH", data, 6), (34, 33))
        packed = data[10]
        self.assertTrue(packed & 0x80 and (packed & 7) == 7, "wants a 256-entry global palette")
        self.assertIn(b"NETSCAPE2.0\x03\x01\x00\x00", data, "should loop forever")
        # Graphic control blocks: one per frame, 100 ms, never transparent.
        controls = [i for i in range(len(data) - 3) if data[i:i + 3] == b"\x21\xf9\x04"]
        self.assertEqual(len(controls), 10)
        for i in controls:
            flags, delay = data[i + 3], struct.unpack_from("<H", data, i + 4)[0]
            self.assertEqual(delay, 10)
            self.assertFalse(flags & 1)

    def test_first_frame_has_arrow_and_open_door(self):
        with Image.open(os.path.join(HERE, "exit.gif")) as im:
            self.assertEqual(im.n_frames, 10)
            first = im.convert("RGB")
            im.seek(8)
            shut = im.convert("RGB")
        self.assertEqual(first.getpixel((0, 0)), make_pictures.EXIT_BG)

        def green(f):
            return sum(1 for c in f.getdata() if c[1] > 120 and c[0] < 60 and c[2] < 110)

        self.assertGreater(green(first), 20)
        self.assertEqual(green(shut), 0)
        left, right, top, bottom = make_pictures.DOORWAY
        mid = (int(left + right) // 2, int(top + bottom) // 2)
        self.assertLess(sum(first.getpixel(mid)), 200, "doorway should be dark while open")
        self.assertGreater(sum(shut.getpixel(mid)), 200, "door should fill it when shut")


class Packaging(unittest.TestCase):
    def test_resource_file_lists_existing_pictures(self):
        root = ET.parse(os.path.join(HERE, "sievra.qrc")).getroot()
        [res] = root.findall("qresource")
        self.assertEqual(res.get("prefix"), "/")
        files = res.findall("file")
        self.assertEqual([f.text for f in files],
                         ["sievra.ico", "logo.bmp", "exit.gif", "help_pointer.ico", "help.ico"])
        for f in files:
            self.assertEqual(f.get("alias"), f.text)
            self.assertTrue(os.path.isfile(os.path.join(HERE, f.text)), f.text)

    def test_desktop_entry(self):
        cp = configparser.ConfigParser(interpolation=None)
        cp.optionxform = str
        cp.read(os.path.join(HERE, "sievra.desktop"))
        e = cp["Desktop Entry"]
        self.assertEqual((e["Exec"], e["Icon"], e["Type"], e["Terminal"]), ("sievra", "sievra", "Application", "false"))
        self.assertTrue(os.path.isfile(os.path.join(HERE, e["Icon"] + ".png")))
        if shutil.which("desktop-file-validate"):
            r = subprocess.run(["desktop-file-validate", os.path.join(HERE, "sievra.desktop")],
                               capture_output=True, text=True)
            self.assertEqual(r.returncode, 0, r.stdout + r.stderr)

    def test_menu_icons_come_in_their_sizes(self):
        for size in (16, 32, 48):
            with Image.open(os.path.join(HERE, "icons", "sievra-%d.png" % size)) as im:
                self.assertEqual((im.format, im.size), ("PNG", (size, size)), size)

    def test_shipped_files_match_the_script(self):
        with tempfile.TemporaryDirectory() as out:
            make_pictures.main(["make_pictures.py", out])
            for name in PICTURES:
                with open(os.path.join(out, name), "rb") as a, open(os.path.join(HERE, name), "rb") as b:
                    self.assertTrue(a.read() == b.read(), f"{name} is stale; rerun make_pictures.py")


if __name__ == "__main__":
    unittest.main()
