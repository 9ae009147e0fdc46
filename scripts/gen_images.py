#!/usr/bin/env python3
"""Draws the module's pictures and writes them as the files that src/resources/images.rc embeds.

    python3 scripts/gen_images.py [output folder]     (default: src/resources/images)

Output (committed together with this script; run it again after changing the artwork):
  menu_*.bmp     13 x 13, 16 colours: the context menu's item and submenu images
  menu_*.ico     the same pictures as 16 x 16 icons (transparent around them) for Windows 11's menu
  history.bmp    64 x 16, 16 colours: four 16 x 16 images (branch, selected branch, revision,
                 working revision) for the History page's image list
  ferrow.ico     program icon: 32 x 32 in 16 and 256 colours, 16 x 16 in 16 colours
  controlled.ico overlay "under version control": blue corner triangle, 32 x 32 and 16 x 16, 16 colours
  modified.ico   overlay "locally modified": the same triangle in red
  progress.avi   RLE8 clip, 260 x 40, 17 frames at 10 per second: a page travels from the working
                 folder to the repository
  logo_*.png     the program icon's picture at 44, 50 and 150 pixels for the package's manifest

Standard library only. The output is byte-for-byte the same on every run.
"""

import math
import pathlib
import struct
import sys
import zlib

# The 16 colours of the standard Windows palette, in their usual order.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# One letter per palette colour for the pixel maps below; '.' is the background.
LETTERS = "KmgonptsdrlybMcw"
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, MAGENTA, CYAN, WHITE = range(8, 16)


def pixel_map(rows, background):
    """Turns rows of letters into rows of palette indices ('.' -> background)."""
    width = len(rows[0])
    out = []
    for row in rows:
        if len(row) != width:
            raise ValueError("ragged pixel map: %r" % row)
        out.append([background if ch == "." else LETTERS.index(ch) for ch in row])
    return out


# --- Shapes ----------------------------------------------------------------------------------------
# A picture is drawn as layers; each layer is a predicate over continuous coordinates (the picture is
# the unit square), a fill and an outline colour. Rasterised at any size, every layer gets a one-pixel
# outline where its mask meets pixels outside it, so small and large versions stay crisp.

def rect(x0, y0, x1, y1):
    return lambda u, v: x0 <= u <= x1 and y0 <= v <= y1


def ellipse(cx, cy, rx, ry):
    return lambda u, v: ((u - cx) / rx) ** 2 + ((v - cy) / ry) ** 2 <= 1.0


def union(*shapes):
    return lambda u, v: any(s(u, v) for s in shapes)


def polygon(points):
    """Even-odd point-in-polygon test."""
    def inside(u, v):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            (xi, yi), (xj, yj) = points[i], points[j]
            if (yi > v) != (yj > v) and u < (xj - xi) * (v - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def rasterise(width, height, layers, background):
    """layers: (shape, fill, outline); fill may be a function (u, v) -> colour. Returns rows of colours."""
    rows = [[background] * width for _ in range(height)]
    for shape, fill, outline in layers:
        mask = [[shape((x + 0.5) / width, (y + 0.5) / height) for x in range(width)] for y in range(height)]
        for y in range(height):
            for x in range(width):
                if not mask[y][x]:
                    continue
                edge = any(not (0 <= x + dx < width and 0 <= y + dy < height) or not mask[y + dy][x + dx]
                           for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                if edge and outline is not None:
                    rows[y][x] = outline
                else:
                    rows[y][x] = fill((x + 0.5) / width, (y + 0.5) / height) if callable(fill) else fill
    return rows


# --- File formats ----------------------------------------------------------------------------------

def dib_rows(rows, bpp):
    """Packs rows of palette indices bottom-up into DWORD-aligned scan lines."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray()
        if bpp == 4:
            padded = row + [0] * (len(row) % 2)
            for i in range(0, len(padded), 2):
                line.append((padded[i] << 4) | padded[i + 1])
        elif bpp == 8:
            line.extend(row)
        elif bpp == 1:
            for i in range(0, len(row), 8):
                byte = 0
                for bit, value in enumerate(row[i:i + 8]):
                    byte |= (value & 1) << (7 - bit)
                line.append(byte)
        line.extend(b"\0" * (-len(line) % 4))
        out.extend(line)
    return bytes(out)


def palette_bytes(palette, count):
    entries = list(palette) + [(0, 0, 0)] * (count - len(palette))
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in entries)


def info_header(width, height, bpp, image_size, colours_used=0, compression=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, compression, image_size, 0, 0,
                       colours_used, 0)


def bmp_file(rows):
    """A 16-colour .bmp file."""
    height, width = len(rows), len(rows[0])
    bits = dib_rows(rows, 4)
    header = info_header(width, height, 4, len(bits), 16) + palette_bytes(VGA, 16)
    offset = 14 + len(header)
    return struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset) + header + bits


def icon_image(rows, bpp, palette):
    """One image of an .ico file. rows: palette indices, None for transparent pixels."""
    height, width = len(rows), len(rows[0])
    colours = [[0 if c is None else c for c in row] for row in rows]
    mask = [[1 if c is None else 0 for c in row] for row in rows]
    xor_bits = dib_rows(colours, bpp)
    and_bits = dib_rows(mask, 1)
    count = 1 << bpp
    header = info_header(width, height * 2, bpp, len(xor_bits) + len(and_bits))
    return width, height, bpp, header + palette_bytes(palette, count) + xor_bits + and_bits


def ico_file(images):
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for width, height, bpp, data in images:
        colour_count = 16 if bpp == 4 else 0
        out += struct.pack("<BBBBHHII", width % 256, height % 256, colour_count, 0, 1, bpp, len(data), offset)
        offset += len(data)
    for image in images:
        out += image[3]
    return bytes(out)


def rle8(rows):
    """Encodes rows of palette indices (top-down) as BI_RLE8 data, bottom-up, runs only."""
    out = bytearray()
    bottom_up = list(reversed(rows))
    for index, row in enumerate(bottom_up):
        x = 0
        while x < len(row):
            run = 1
            while x + run < len(row) and run < 255 and row[x + run] == row[x]:
                run += 1
            out += bytes((run, row[x]))
            x += run
        out += b"\0\1" if index == len(bottom_up) - 1 else b"\0\0"  # end of bitmap / end of line
    return bytes(out)


def chunk(fourcc, data):
    return fourcc + struct.pack("<I", len(data)) + data + (b"\0" if len(data) % 2 else b"")


def riff_list(kind, fourcc, data):
    return kind + struct.pack("<I", len(data) + 4) + fourcc + data


def avi_file(frames, width, height, fps, palette):
    encoded = [rle8(f) for f in frames]
    largest = max(len(e) for e in encoded)
    largest += largest % 2
    microseconds = 1000000 // fps
    avih = struct.pack("<IIIIIIIIII4I", microseconds, largest * fps, 0, 0x10,  # AVIF_HASINDEX
                       len(frames), 0, 1, largest, width, height, 0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIIIhhhh", b"vids", b"RLE ", 0, 0, 0, 0, 1, fps, 0, len(frames),
                       largest, 0xFFFFFFFF, 0, 0, 0, width, height)
    strf = info_header(width, height, 8, width * height, len(palette), 1) + palette_bytes(palette, len(palette))
    hdrl = riff_list(b"LIST", b"hdrl", chunk(b"avih", avih) +
                     riff_list(b"LIST", b"strl", chunk(b"strh", strh) + chunk(b"strf", strf)))
    movi_data = bytearray()
    index = bytearray()
    for data in encoded:
        index += struct.pack("<4sIII", b"00dc", 0x10, 4 + len(movi_data), len(data))  # AVIIF_KEYFRAME
        movi_data += chunk(b"00dc", data)
    body = hdrl + riff_list(b"LIST", b"movi", bytes(movi_data)) + chunk(b"idx1", bytes(index))
    return riff_list(b"RIFF", b"AVI ", body)


# --- Menu bitmaps (13 x 13) ------------------------------------------------------------------------

MENU_MAPS = {
    "menu_update": [  # green arrow down into a tray
        ".............",
        ".....ggg.....",
        ".....glg.....",
        ".....glg.....",
        ".....glg.....",
        "..gggglgggg..",
        "...glllllg...",
        "....glllg....",
        ".....glg.....",
        "......g......",
        ".K.........K.",
        ".KKKKKKKKKKK.",
        ".............",
    ],
    "menu_commit": [  # red arrow up out of a tray
        "......m......",
        ".....mrm.....",
        "....mrrrm....",
        "...mrrrrrm...",
        "..mmmmrmmmm..",
        ".....mrm.....",
        ".....mrm.....",
        ".....mrm.....",
        ".....mmm.....",
        ".............",
        ".K.........K.",
        ".KKKKKKKKKKK.",
        ".............",
    ],
    "menu_diff": [  # two pages whose lines differ
        "KKKKK...KKKKK",
        "KwwwK...KwwwK",
        "KnnwK...KnnwK",
        "KwwwK...KwwwK",
        "KnnnK...KrrrK",
        "KwwwK...KwwwK",
        "KnnwK...KrrwK",
        "KwwwK...KwwwK",
        "KnnnK...KnnnK",
        "KwwwK...KwwwK",
        "KnwwK...KnwwK",
        "KwwwK...KwwwK",
        "KKKKK...KKKKK",
    ],
    "menu_annotate": [  # a page with coloured margin marks beside its lines
        "..KKKKKKKKK..",
        "..KwwwwwwwK..",
        "bbKwnnnnwwK..",
        "..KwwwwwwwK..",
        "rrKwnnnwwwK..",
        "..KwwwwwwwK..",
        "bbKwnnnnnwK..",
        "..KwwwwwwwK..",
        "ggKwnnwwwwK..",
        "..KwwwwwwwK..",
        "rrKwnnnnwwK..",
        "..KwwwwwwwK..",
        "..KKKKKKKKK..",
    ],
    "menu_add": [  # green plus
        ".............",
        ".....ggg.....",
        ".....glg.....",
        ".....glg.....",
        ".....glg.....",
        ".ggggglggggg.",
        ".glllllllllg.",
        ".ggggglggggg.",
        ".....glg.....",
        ".....glg.....",
        ".....glg.....",
        ".....ggg.....",
        ".............",
    ],
    "menu_remove": [  # red cross
        ".............",
        ".mm.......mm.",
        ".mrm.....mrm.",
        "..mrm...mrm..",
        "...mrm.mrm...",
        "....mrmrm....",
        ".....mrm.....",
        "....mrmrm....",
        "...mrm.mrm...",
        "..mrm...mrm..",
        ".mrm.....mrm.",
        ".mm.......mm.",
        ".............",
    ],
    "menu_undo": [  # blue arrow turning back to the left
        ".............",
        "....n........",
        "...nn........",
        "..nbnnnnnn...",
        ".nbbbbbbbbnn.",
        "nbbbbbbbbbbbn",
        ".nbbnnnnnnbbn",
        "..nbn....nbbn",
        "...nn....nbbn",
        "....n...nbbn.",
        "......nnbbn..",
        "......nbnn...",
        "......nn.....",
    ],
    "menu_tag": [  # yellow label with a hole
        ".............",
        ".............",
        "...KKKKKKKKK.",
        "..KyyyyyyyyK.",
        ".KyyyyyyyyyK.",
        "KyyKyyyyyyyK.",
        "KyKwKyyyyyyK.",
        "KyyKyyyyyyyK.",
        ".KyyyyyyyyyK.",
        "..KyyyyyyyyK.",
        "...KKKKKKKKK.",
        ".............",
        ".............",
    ],
    "menu_custom": [  # console window with a prompt
        ".............",
        ".nnnnnnnnnnn.",
        ".nnnnnnnnwnn.",
        ".KKKKKKKKKKK.",
        ".KwKKKKKKKKK.",
        ".KKwKKKKKKKK.",
        ".KKKwKKKKKKK.",
        ".KKwKKKKKKKK.",
        ".KwKKwwwwKKK.",
        ".KKKKKKKKKKK.",
        ".KKKKKKKKKKK.",
        ".KKKKKKKKKKK.",
        ".............",
    ],
    "menu_checkout": [  # green arrow down out of a repository drum onto a page
        "..KKKKKKKKK..",
        ".KnnnnnnnnnK.",
        ".KKKKKKKKKKK.",
        ".KnnnnnnnnnK.",
        "..KKKgggKKK..",
        ".....glg.....",
        "..gggglgggg..",
        "...glllllg...",
        "....glllg....",
        "KKKKKglgKKKKK",
        "KwwwwwgwwwwwK",
        "KwwwwwwwwwwwK",
        "KKKKKKKKKKKKK",
    ],
    "menu_import": [  # red arrow up from a folder into a repository drum
        "..KKKKKKKKK..",
        ".KnnnnnnnnnK.",
        ".KKKKKmKKKKK.",
        ".KnnnmrmnnnK.",
        "..KKmrrrmKK..",
        "...mmmrmmm...",
        ".....mrm.....",
        "yyyy.mrm.....",
        "KyyyymmmyyyK.",
        "KyyyyyyyyyyK.",
        "KyyyyyyyyyyK.",
        "KKKKKKKKKKKK.",
        ".............",
    ],
    "menu_login": [  # yellow key
        ".............",
        "..KKK........",
        ".KyyyK.......",
        "KyyKyyK......",
        "KyK.KyKKKKKK.",
        "KyyKyyyyyyyyK",
        ".KyyyKKKKyKyK",
        "..KKK...KK.K.",
        ".............",
        ".............",
        ".............",
        ".............",
        ".............",
    ],
    "menu_logout": [  # yellow key, crossed out
        ".............",
        "..KKK......m.",
        ".KyyyK....mrm",
        "KyyKyyK..mrm.",
        "KyK.KyKKmrmK.",
        "KyyKyyyymrmyK",
        ".KyyyKKmrmKyK",
        "..KKK.mrm.KK.",
        "......mm.....",
        ".............",
        ".............",
        ".............",
        ".............",
    ],
}


def menu_cvs(background=WHITE):
    """The submenu's image: a repository drum."""
    layers = [
        (union(rect(0.1, 0.22, 0.9, 0.8), ellipse(0.5, 0.8, 0.4, 0.16)), TEAL, NAVY),
        (ellipse(0.5, 0.22, 0.4, 0.16), CYAN, NAVY),
    ]
    rows = rasterise(13, 13, layers, background)
    for x in range(2, 11):  # a band round the drum
        rows[7][x] = NAVY if rows[7][x] == TEAL else rows[7][x]
    return rows


def menu_options(background=WHITE):
    """"Options...": a cog wheel."""
    return pixel_map([
        ".....KKK.....",
        ".KK..KsK..KK.",
        ".KsKKKsKKKsK.",
        "..KsssssssK..",
        "..KssKKKssK..",
        "KKKsK...KsKKK",
        "KsssK...KsssK",
        "KKKsK...KsKKK",
        "..KssKKKssK..",
        "..KsssssssK..",
        ".KsKKKsKKKsK.",
        ".KK..KsK..KK.",
        ".....KKK.....",
    ], background)


def menu_reset_tag(background=WHITE):
    """"Reset sticky tag": the tag label, struck through in red."""
    rows = pixel_map(MENU_MAPS["menu_tag"], background)
    for i in range(13):
        for x in (i, i + 1):
            if x < 13:
                rows[12 - i][x] = RED
    return rows


# --- History images (16 x 16 each) -----------------------------------------------------------------

def folder_closed(size):
    return rasterise(size, size, [
        (rect(0.06, 0.16, 0.44, 0.4), YELLOW, OLIVE),
        (rect(0.06, 0.3, 0.94, 0.88), YELLOW, OLIVE),
    ], WHITE)


def folder_open(size):
    return rasterise(size, size, [
        (rect(0.06, 0.16, 0.44, 0.4), OLIVE, OLIVE),
        (rect(0.06, 0.3, 0.88, 0.88), OLIVE, OLIVE),
        (polygon([(0.25, 0.46), (1.0, 0.46), (0.82, 0.9), (0.04, 0.9)]), YELLOW, OLIVE),
    ], WHITE)


def page(size, paper):
    rows = rasterise(size, size, [
        (polygon([(0.16, 0.03), (0.64, 0.03), (0.86, 0.25), (0.86, 0.97), (0.16, 0.97)]), paper, BLACK),
        (polygon([(0.62, 0.03), (0.62, 0.28), (0.87, 0.28)]), SILVER, BLACK),
    ], WHITE)
    for y in (6, 8, 10, 12):
        for x in range(5, 11 if y != 12 else 9):
            rows[y][x] = GREY
    return rows


def history_strip():
    images = [folder_closed(16), folder_open(16), page(16, WHITE), page(16, CYAN)]
    return [sum((image[y] for image in images), []) for y in range(16)]


# --- Icons -----------------------------------------------------------------------------------------

def program_icon_layers(shaded):
    """A working folder with the repository drum in front of it. shaded: fills as gradients."""
    def folder_fill(u, v):
        light = 1.0 - 0.45 * v
        return (255, int(230 * light + 25), int(60 * light))

    def drum_fill(u, v):
        light = 1.0 - abs(u - 0.62) * 2.2
        return (0, int(110 + 120 * light), int(130 + 110 * light))

    def top_fill(u, v):
        return (120, 230, 240)

    return [
        (rect(0.06, 0.12, 0.42, 0.32), folder_fill if shaded else YELLOW, (128, 96, 0) if shaded else OLIVE),
        (rect(0.06, 0.24, 0.84, 0.84), folder_fill if shaded else YELLOW, (128, 96, 0) if shaded else OLIVE),
        (union(rect(0.46, 0.5, 0.96, 0.86), ellipse(0.71, 0.86, 0.25, 0.1)),
         drum_fill if shaded else TEAL, (0, 40, 110) if shaded else NAVY),
        (ellipse(0.71, 0.5, 0.25, 0.1), top_fill if shaded else CYAN, (0, 40, 110) if shaded else NAVY),
    ]


def to_indices(rows, palette):
    """RGB rows (None transparent) -> palette indices; palette grows up to 256 entries."""
    out = []
    for row in rows:
        line = []
        for colour in row:
            if colour is None:
                line.append(None)
                continue
            if colour not in palette:
                if len(palette) >= 256:
                    raise ValueError("more than 256 colours")
                palette.append(colour)
            line.append(palette.index(colour))
        out.append(line)
    return out


def program_icon():
    flat32 = rasterise(32, 32, program_icon_layers(False), None)
    flat16 = rasterise(16, 16, program_icon_layers(False), None)
    palette = list(VGA)
    shaded32 = to_indices(rasterise(32, 32, program_icon_layers(True), None), palette)
    return ico_file([
        icon_image(flat32, 4, VGA),
        icon_image(shaded32, 8, palette),
        icon_image(flat16, 4, VGA),
    ])


def overlay(size, colour):
    """Corner triangle: coloured legs, then a black diagonal, on 32 x 32 also a light grey one."""
    legs = 6 if size == 16 else 11
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            d = x + y
            if d < legs:
                row.append(colour)
            elif d == legs:
                row.append(BLACK)
            elif d == legs + 1 and size == 32:
                row.append(SILVER)
            else:
                row.append(None)
        rows.append(row)
    return rows


def menu_icon(rows):
    """A 13 x 13 menu picture (None: transparent) as a 16 x 16 icon, one pixel in from the top left."""
    padded = [[None] * 16 for _ in range(16)]
    for y, row in enumerate(rows):
        for x, colour in enumerate(row):
            padded[y + 1][x + 1] = colour
    return ico_file([icon_image(padded, 4, VGA)])


def png_file(rows):
    """An RGBA .png file; rows of (r, g, b) or None for transparent."""
    height, width = len(rows), len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)  # no filter
        for colour in row:
            raw.extend(b"\0\0\0\0" if colour is None else bytes(colour) + b"\xff")

    def chunk_of(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk_of(b"IHDR", header) + chunk_of(b"IDAT", zlib.compress(bytes(raw), 9)) +
            chunk_of(b"IEND", b""))


def logo(size):
    rows = rasterise(size, size, program_icon_layers(True), None)
    return png_file([[VGA[c] if isinstance(c, int) else c for c in row] for row in rows])


def overlay_icon(colour):
    return ico_file([icon_image(overlay(32, colour), 4, VGA), icon_image(overlay(16, colour), 4, VGA)])


# --- Animation -------------------------------------------------------------------------------------

AVI_WIDTH, AVI_HEIGHT, AVI_FRAMES, AVI_FPS = 260, 40, 17, 10


def avi_frame(i):
    w, h = AVI_WIDTH, AVI_HEIGHT
    sx = lambda px: px / w  # pixel coordinates into the unit square
    sy = lambda py: py / h
    t = i / (AVI_FRAMES - 1)
    px = 44 + t * (206 - 44)
    py = 16 - 13 * math.sin(math.pi * t)
    layers = [
        (rect(sx(12), sy(9), sx(28), sy(15)), YELLOW, OLIVE),  # working folder
        (rect(sx(12), sy(13), sx(52), sy(36)), YELLOW, OLIVE),
        (union(rect(sx(212), sy(12), sx(248), sy(34)), ellipse(sx(230), sy(34), sx(18), sy(4))), TEAL, NAVY),
        (ellipse(sx(230), sy(12), sx(18), sy(4)), CYAN, NAVY),  # repository drum
        (rect(sx(px), sy(py), sx(px + 12), sy(py + 16)), WHITE, BLACK),  # the travelling page
    ]
    rows = rasterise(w, h, layers, WHITE)
    for line in (4, 7, 10, 13):  # text on the page
        y = int(py) + line
        for x in range(int(px) + 3, int(px) + 10):
            if 0 <= y < h and rows[y][x] == WHITE:
                rows[y][x] = GREY
    return rows


def main():
    out = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent / "src" / "resources" / "images"
    out.mkdir(parents=True, exist_ok=True)
    files = {name + ".bmp": bmp_file(pixel_map(rows, WHITE)) for name, rows in MENU_MAPS.items()}
    files["menu_cvs.bmp"] = bmp_file(menu_cvs())
    files["menu_options.bmp"] = bmp_file(menu_options())
    files["menu_reset_tag.bmp"] = bmp_file(menu_reset_tag())
    for name, rows in MENU_MAPS.items():
        files[name + ".ico"] = menu_icon(pixel_map(rows, None))
    files["menu_cvs.ico"] = menu_icon(menu_cvs(None))
    files["menu_options.ico"] = menu_icon(menu_options(None))
    files["menu_reset_tag.ico"] = menu_icon(menu_reset_tag(None))
    for size in (44, 50, 150):
        files["logo_%d.png" % size] = logo(size)
    files["history.bmp"] = bmp_file(history_strip())
    files["ferrow.ico"] = program_icon()
    files["controlled.ico"] = overlay_icon(BLUE)
    files["modified.ico"] = overlay_icon(RED)
    files["progress.avi"] = avi_file([avi_frame(i) for i in range(AVI_FRAMES)], AVI_WIDTH, AVI_HEIGHT, AVI_FPS,
                                     VGA)
    for name, data in sorted(files.items()):
        (out / name).write_bytes(data)
        print("%-20s %6d bytes" % (name, len(data)))


if __name__ == "__main__":
    main()
