#!/usr/bin/python3
"""Draws every picture of KH_Schoner.scr and writes it in its stored format.

Run from anywhere with Debian's python3 (needs python3-pil, python3-numpy,
fonts-dejavu-core and xplanet-images):

    /usr/bin/python3 tools/make_pictures.py

Writes resources/pictures/*.{bmp,ico,cur}, enlarged PNG views in docs/pictures/
and the decoded palette indices of the run-length encoded bitmaps in
tests/resources/data/expected_pictures.h. The output is committed, so building
the saver needs no Python; running this again must give the same bytes.

The file formats are packed here by hand rather than saved through PIL, because
the dialogs and the scene depend on details PIL does not let us choose: RLE4
compression, a fixed 16-colour palette per picture, rows without padding, and
the icon's and cursor's exact image layout.
"""

import math
import os
import struct

import numpy as np
from PIL import Image, ImageDraw, ImageFont

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PICTURES = os.path.join(ROOT, "resources", "pictures")
DOCS = os.path.join(ROOT, "docs", "pictures")
TEST_DATA = os.path.join(ROOT, "tests", "resources", "data")

EARTH_JPG = "/usr/share/xplanet/images/earth.jpg"
BANNER_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

# The 16 colours every VGA driver has; the icon must use exactly these so that
# it looks the same on a 16-colour desktop.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
NAVY, SILVER, YELLOW, BLUE, WHITE = 4, 7, 11, 12, 15

# The logo sits on the dialogs' light grey, which is no VGA colour, so its
# palette carries that grey in place of VGA's silver.
DIALOG_GREY = (198, 195, 198)
LOGO_PALETTE = VGA[:SILVER] + [DIALOG_GREY] + VGA[SILVER + 1:]

LABEL_BLUE = (0, 220, 255)

SUPER = 8  # supersampling factor of every drawn picture


# --------------------------------------------------------------------------
# File formats

def bitmap_info(width, height, bits, compression, image_size, colours):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression,
                       image_size, 0, 0, colours, 0)


def palette_bytes(palette):
    return b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in palette)


def bmp_file(info_and_palette, pixels):
    offset = 14 + len(info_and_palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info_and_palette + pixels


def pack_4bit_rows(indices):
    """Bottom-up rows of two pixels a byte, each row padded to 4 bytes."""
    height, width = indices.shape
    stride = ((width + 1) // 2 + 3) // 4 * 4
    out = bytearray()
    for row in indices[::-1]:
        padded = list(row) + [0] * (2 * stride - width)
        out += bytes((padded[i] << 4) | padded[i + 1] for i in range(0, len(padded), 2))
    return bytes(out)


def rle4_row(row):
    """Shortest RLE4 coding of one row, found by dynamic programming over the
    two kinds of piece: an encoded run (2 bytes, any length up to 255 of an
    alternating pair of indices) and an absolute stretch (3 to 255 literal
    indices, 2 bytes of escape plus the nibbles padded to a 16-bit boundary)."""
    n = len(row)
    cost = [0] + [None] * n
    choice = [None] * (n + 1)
    for start in range(n):
        if cost[start] is None:
            continue
        length = 1
        while start + length < n and length < 255 and row[start + length] == row[start + length - 2 if length >= 2 else start + length]:
            length += 1
        # every prefix of an alternating run is itself a valid encoded run
        for run in range(1, length + 1):
            end = start + run
            if cost[end] is None or cost[start] + 2 < cost[end]:
                cost[end] = cost[start] + 2
                choice[end] = ("run", start)
        for run in range(3, min(255, n - start) + 1):
            end = start + run
            size = 2 + ((run + 3) // 4) * 2
            if cost[end] is None or cost[start] + size < cost[end]:
                cost[end] = cost[start] + size
                choice[end] = ("absolute", start)
    pieces = []
    end = n
    while end > 0:
        kind, start = choice[end]
        pieces.append((kind, start, end))
        end = start
    out = bytearray()
    for kind, start, end in reversed(pieces):
        run = row[start:end]
        if kind == "run":
            second = run[1] if len(run) > 1 else run[0]
            out += bytes((len(run), (run[0] << 4) | second))
        else:
            nibbles = list(run) + [0] * ((4 - len(run) % 4) % 4)
            out += bytes((0, len(run)))
            out += bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, len(nibbles), 2))
    return bytes(out)


def pack_rle4(indices):
    """Bottom-up RLE4 stream: an end-of-line after every row but the last,
    which ends with the end-of-bitmap mark instead."""
    rows = [rle4_row([int(v) for v in row]) for row in indices[::-1]]
    return b"\x00\x00".join(rows) + b"\x00\x01"


def write_4bit_bmp(path, indices, palette, compressed):
    height, width = indices.shape
    pixels = pack_rle4(indices) if compressed else pack_4bit_rows(indices)
    info = bitmap_info(width, height, 4, 2 if compressed else 0, len(pixels), 16)
    write(path, bmp_file(info + palette_bytes(palette), pixels))
    return len(pixels)


def write_24bit_bmp(path, rgb):
    """Bottom-up blue-green-red rows; both textures have widths whose rows are
    already multiples of 4 bytes, so the scene can hand them to OpenGL as they are."""
    height, width, _ = rgb.shape
    assert (width * 3) % 4 == 0
    pixels = np.ascontiguousarray(rgb[::-1, :, ::-1]).astype(np.uint8).tobytes()
    info = bitmap_info(width, height, 24, 0, len(pixels), 0)
    write(path, bmp_file(info, pixels))


def pack_mask(transparent):
    """1-bit AND mask, bottom-up, rows padded to 4 bytes."""
    height, width = transparent.shape
    stride = (width + 31) // 32 * 4
    out = bytearray()
    for row in transparent[::-1]:
        bits = bytearray(stride)
        for x, t in enumerate(row):
            if t:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def write_icon(path, indices, transparent):
    height, width = indices.shape
    xor = pack_4bit_rows(np.where(transparent, 0, indices))
    mask = pack_mask(transparent)
    image = (bitmap_info(width, 2 * height, 4, 0, len(xor) + len(mask), 0)
             + palette_bytes(VGA) + xor + mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", width, height, 16, 0, 1, 4, len(image), 6 + 16)
    write(path, directory + entry + image)
    return len(image)


def write_cursor(path, black, white, hot_spot):
    """Black and white pixels are opaque; everything else lets the screen through."""
    height, width = black.shape
    xor = pack_mask(white)
    mask = pack_mask(~(black | white))
    image = (bitmap_info(width, 2 * height, 1, 0, len(xor) + len(mask), 0)
             + palette_bytes([(0, 0, 0), (255, 255, 255)]) + xor + mask)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", width, height, 0, 0, hot_spot[0], hot_spot[1],
                        len(image), 6 + 16)
    write(path, directory + entry + image)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


# --------------------------------------------------------------------------
# Drawing helpers

def box_downsample(rgb, factor):
    h, w = rgb.shape[0] // factor, rgb.shape[1] // factor
    means = rgb.reshape(h, factor, w, factor, 3).astype(np.float64).mean(axis=(1, 3))
    return np.floor(means + 0.5).astype(np.uint8)


def nearest_indices(rgb, palette):
    pal = np.array(palette, dtype=np.int64)
    diff = rgb.astype(np.int64)[:, :, None, :] - pal[None, None, :, :]
    return (diff * diff).sum(axis=3).argmin(axis=2).astype(np.uint8)


def to_rgb(indices, palette):
    return np.array(palette, dtype=np.uint8)[indices]


def save_view(name, rgb, scale, transparent=None):
    """An enlarged PNG so a person can judge the tiny pictures; transparent
    pixels of the icon and cursor are shown as a checkerboard."""
    rgb = rgb.copy()
    if transparent is not None:
        h, w = transparent.shape
        yy, xx = np.mgrid[0:h, 0:w]
        checker = np.where(((xx + yy) % 2)[:, :, None] == 0, 170, 225).astype(np.uint8)
        rgb = np.where(transparent[:, :, None], checker, rgb)
    image = Image.fromarray(rgb, "RGB")
    image = image.resize((image.width * scale, image.height * scale), Image.NEAREST)
    os.makedirs(DOCS, exist_ok=True)
    image.save(os.path.join(DOCS, name + ".png"), optimize=False)


# --------------------------------------------------------------------------
# The club monogram, flat, from the same coordinates as the 3-D logo

GLYPH_QUADS = [
    [(-0.5, 4.5), (0.5, 4.5), (0.5, -1.5), (-0.5, -1.5)],
    [(-4, -1.5), (-5, -1.5), (-5, 2.5), (-4, 2.5)],
    [(-4, 1.5), (-4, 2.5), (-1, 2.5), (-1, 1.5)],
    [(0.5, 2.5), (5, 2.5), (5, 1.5), (0.5, 1.5)],
    [(4, 1.5), (5, 1.5), (5, -1.5), (4, -1.5)],
    [(5, -1.5), (5, -2.5), (-5, -2.5), (-5, -1.5)],
]
LEFT_GLYPH_FIELD = [(-4, 1.5), (-4, -1.5), (-0.5, -1.5), (-0.5, 1.5)]
BOWL_FIELD = [(0.5, 1.5), (0.5, -1.5), (4, -1.5), (4, 1.5)]
ARCH_RADIUS, ARCH_INNER_RADIUS, ARCH_CENTRE_Y = 7.5, 7.0, -2.5


def arc(radius, last_step, centre=(0.0, ARCH_CENTRE_Y), rx=None):
    """Points of the arch's half circle in 6-degree steps, as the scene draws it."""
    rx = radius if rx is None else rx
    return [(centre[0] + rx * math.cos(math.radians(6 * i)),
             centre[1] + radius * math.sin(math.radians(6 * i))) for i in range(last_step + 1)]


def draw_monogram(draw, to_px, rim, colours):
    """Paints the monogram's layers from back to front as seen from the front,
    for pictures drawn smooth; to_px maps design units to canvas pixels and rim
    is the blue rim's width in design units."""
    yellow, blue, white = colours
    draw.polygon([to_px(p) for p in arc(ARCH_RADIUS, 30)], fill=blue)
    inner = arc(ARCH_RADIUS - rim, 30, centre=(0.0, ARCH_CENTRE_Y + rim))
    draw.polygon([to_px(p) for p in inner], fill=yellow)
    quarter = arc(ARCH_INNER_RADIUS, 15) + [(0.0, ARCH_CENTRE_Y)]
    draw.polygon([to_px(p) for p in quarter], fill=white)
    draw.polygon([to_px(p) for p in LEFT_GLYPH_FIELD], fill=white)
    draw.polygon([to_px(p) for p in BOWL_FIELD], fill=yellow)
    for quad in GLYPH_QUADS:
        draw.polygon([to_px(p) for p in quad], fill=blue)


def coverage(width, height, polygon):
    """Pixels of which a polygon, given in output pixels, covers at least half."""
    canvas = Image.new("1", (width * SUPER, height * SUPER), 0)
    ImageDraw.Draw(canvas).polygon([(x * SUPER - 0.5, y * SUPER - 0.5) for x, y in polygon], fill=1)
    hits = np.asarray(canvas, dtype=np.uint8).reshape(height, SUPER, width, SUPER).sum(axis=(1, 3))
    return hits * 2 >= SUPER * SUPER


def outline(mask):
    """Pixels of the mask with a side neighbour outside it: a closed line one
    pixel wide, like the scene's line loop around the arch."""
    padded = np.pad(mask, 1, constant_values=False)
    inner = padded[:-2, 1:-1] & padded[2:, 1:-1] & padded[1:-1, :-2] & padded[1:-1, 2:]
    return mask & ~inner


def flat_monogram(width, height, scale, left, top, ground, arch_offset=0.0, arch_widen=0.0):
    """Monogram in flat palette colours at scale pixels per design unit; the
    design's left edge (x = -7.5) lies at pixel column left, its top (y = 5)
    at row top. The arch may sit arch_offset pixels right of the glyphs and be
    arch_widen pixels wider on either side."""
    def glyph_px(p):
        return left + (p[0] + 7.5) * scale, top + (5.0 - p[1]) * scale

    def arch_px(p):
        return left + arch_offset + (p[0] + 7.5) * scale, top + (5.0 - p[1]) * scale

    def glyph_layer(points):
        return coverage(width, height, [glyph_px(p) for p in points])

    disc = coverage(width, height, [arch_px(p) for p in arc(ARCH_RADIUS, 30, rx=ARCH_RADIUS + arch_widen / scale)])
    quarter = coverage(width, height, [arch_px(p) for p in arc(ARCH_INNER_RADIUS, 15) + [(0.0, ARCH_CENTRE_Y)]])
    indices = np.full((height, width), ground, dtype=np.uint8)
    indices[disc] = YELLOW
    indices[quarter] = WHITE
    # The rim goes over the quarter field so that the arch keeps its blue
    # base line all the way across, as the rim reads at this size.
    indices[outline(disc)] = BLUE
    indices[glyph_layer(LEFT_GLYPH_FIELD)] = WHITE
    indices[glyph_layer(BOWL_FIELD)] = YELLOW
    for quad in GLYPH_QUADS:
        indices[glyph_layer(quad)] = BLUE
    return indices


def make_logo():
    # 61 columns: the arch spans them all, centred on column 30, while the
    # glyphs keep whole 4-pixel bars and sit half a pixel left of that centre.
    return flat_monogram(61, 30, 4.0, 0.0, 0.0, SILVER, arch_offset=0.5, arch_widen=0.5)


def make_icon():
    indices = flat_monogram(32, 32, 2.0, 1.0, 8.0, NAVY)
    yy, xx = np.mgrid[0:32, 0:32]
    # rounded corners: the blue tile reads as a badge on any desktop colour
    cx = np.clip(xx, 3, 28) - xx
    cy = np.clip(yy, 3, 28) - yy
    transparent = (cx * cx + cy * cy) > 9
    return indices, transparent


# --------------------------------------------------------------------------
# The teddy bears

def draw_bear(draw, ox, oy, u, fur, fur_dark, fur_light, nose, bow, bow_dark, eye_light=None):
    """A sitting teddy bear facing the viewer, 40 units wide and 48 high, its
    top left corner at (ox, oy), u canvas pixels per unit."""
    def ellipse(cx, cy, rx, ry, fill):
        draw.ellipse([ox + (cx - rx) * u, oy + (cy - ry) * u, ox + (cx + rx) * u, oy + (cy + ry) * u], fill=fill)

    def polygon(points, fill):
        draw.polygon([(ox + x * u, oy + y * u) for x, y in points], fill=fill)

    def stuffed(cx, cy, rx, ry):
        """A rounded piece of fur with its darker seam around it."""
        ellipse(cx, cy, rx, ry, fur_dark)
        ellipse(cx, cy, rx - 1, ry - 1, fur)

    # legs and feet behind the body
    for side in (-1, 1):
        stuffed(20 + side * 9, 42, 7.5, 6)
        ellipse(20 + side * 9.5, 43, 4, 3.5, fur_light)
    # body
    stuffed(20, 32, 12.5, 12)
    ellipse(20, 34, 7, 7.5, fur_light)
    # arms
    for side in (-1, 1):
        stuffed(20 + side * 13, 31, 4.5, 7.5)
        ellipse(20 + side * 13.5, 35, 2.5, 2.5, fur_light)
    # ears
    for side in (-1, 1):
        stuffed(20 + side * 9.5, 5.5, 5, 5)
        ellipse(20 + side * 9.5, 5.5, 2.3, 2.3, fur_light)
    # head
    stuffed(20, 12.5, 11.5, 10)
    ellipse(20, 16.5, 5.5, 4.2, fur_light)
    ellipse(20, 14.7, 2.2, 1.6, nose)
    polygon([(19.6, 15.5), (20.4, 15.5), (20.4, 17.8), (19.6, 17.8)], nose)
    for side in (-1, 1):
        ellipse(20 + side * 4.3, 10.5, 1.7, 1.9, nose)
        if eye_light is not None:
            ellipse(20 + side * 4.3 - 0.6, 9.8, 0.55, 0.55, eye_light)
    # the red bow under the chin
    polygon([(20, 23), (12.5, 19.5), (12, 26.5)], bow_dark)
    polygon([(20, 23), (13.2, 20.6), (12.9, 25.4)], bow)
    polygon([(20, 23), (27.5, 19.5), (28, 26.5)], bow_dark)
    polygon([(20, 23), (26.8, 20.6), (27.1, 25.4)], bow)
    ellipse(20, 23, 2.4, 2.4, bow_dark)
    ellipse(20, 23, 1.7, 1.7, bow)


BEAR_PALETTE = [
    (255, 224, 0),    # 0 ground yellow
    (240, 200, 10),   # 1 yellow in shadow
    (220, 170, 30),   # 2 yellow-brown edge
    (190, 130, 50),   # 3 honey brown
    (150, 90, 35),    # 4 fur
    (120, 68, 25),    # 5 fur in shadow
    (85, 45, 15),     # 6 dark brown outline
    (45, 22, 8),      # 7 almost black nose and eyes
    (220, 170, 110),  # 8 light muzzle and paws
    (240, 205, 150),  # 9 lightest muzzle
    (170, 120, 70),   # 10 muzzle edge
    (230, 20, 20),    # 11 red bow
    (160, 10, 10),    # 12 dark red
    (245, 120, 20),   # 13 red on yellow
    (110, 30, 15),    # 14 red-brown
    (255, 250, 200),  # 15 pale yellow highlight
]


def make_small_bear():
    w, h = 39, 50
    canvas = Image.new("RGB", (w * SUPER, h * SUPER), BEAR_PALETTE[0])
    draw = ImageDraw.Draw(canvas)
    u = SUPER * 0.95
    draw_bear(draw, (w * SUPER - 40 * u) / 2, 1.5 * SUPER, u,
              fur=BEAR_PALETTE[4], fur_dark=BEAR_PALETTE[6], fur_light=BEAR_PALETTE[8],
              nose=BEAR_PALETTE[7], bow=BEAR_PALETTE[11], bow_dark=BEAR_PALETTE[12])
    rgb = box_downsample(np.asarray(canvas), SUPER)
    return nearest_indices(rgb, BEAR_PALETTE)


def make_bear_texture():
    size = 128
    canvas = Image.new("RGB", (size * SUPER, size * SUPER), LABEL_BLUE)
    draw = ImageDraw.Draw(canvas)
    u = SUPER * 2.5
    ox, oy = (size * SUPER - 40 * u) / 2, 4 * SUPER
    draw_bear(draw, ox, oy, u,
              fur=(150, 90, 35), fur_dark=(90, 50, 18), fur_light=(222, 172, 112),
              nose=(40, 20, 8), bow=(225, 25, 25), bow_dark=(150, 10, 10), eye_light=(255, 255, 255))

    # The badge hangs from the bear's left paw as the viewer sees it, low in
    # the picture: a feature on one side only, so a mirrored or upside-down
    # copy of the texture is easy to tell.
    badge_scale = 3.4 * SUPER
    centre_x, base_y = ox + 9 * u, oy + 44 * u

    def badge_px(p):
        return centre_x + p[0] * badge_scale, base_y - (p[1] - ARCH_CENTRE_Y) * badge_scale

    border = 0.6
    draw.polygon([badge_px(p) for p in arc(ARCH_RADIUS + border, 30, centre=(0.0, ARCH_CENTRE_Y - border))],
                 fill=(20, 20, 120))
    draw_monogram(draw, badge_px, 0.35, ((255, 225, 0), (0, 0, 255), (255, 255, 255)))
    angle = math.radians(125)
    paw_x, paw_y = badge_px((8.0 * math.cos(angle), ARCH_CENTRE_Y + 8.0 * math.sin(angle)))
    for r, colour in ((2.6 * u, (90, 50, 18)), (2.0 * u, (150, 90, 35))):
        draw.ellipse([paw_x - r, paw_y - r, paw_x + r, paw_y + r], fill=colour)

    rgb = box_downsample(np.asarray(canvas), SUPER)
    rgb[0, :] = rgb[-1, :] = rgb[:, 0] = rgb[:, -1] = LABEL_BLUE
    return rgb


# --------------------------------------------------------------------------
# The banner

BANNER_TEXT = "kranichhof e.v."


def make_banner():
    w, h = 250, 19
    font = ImageFont.truetype(BANNER_FONT, 21)
    spacing = 4
    widths = [font.getlength(c) for c in BANNER_TEXT]
    total = sum(widths) + spacing * (len(BANNER_TEXT) - 1)
    left, top, _, bottom = font.getbbox(BANNER_TEXT)
    canvas = Image.new("L", (w, h), 0)
    draw = ImageDraw.Draw(canvas)
    draw.fontmode = "L"
    x = (w - total) / 2
    y = (h - (bottom - top)) / 2 - top
    for c, cw in zip(BANNER_TEXT, widths):
        draw.text((round(x), round(y)), c, font=font, fill=255)
        x += cw + spacing
    ink = np.asarray(canvas) >= 128
    return np.where(ink, BLUE, YELLOW).astype(np.uint8)


# --------------------------------------------------------------------------
# The world map

def make_world_map():
    """NASA Visible Earth's map has longitude -180 at its left edge and north
    at the top, which is already the layout the globe wants once the rows are
    stored bottom-up; each texel is the plain mean of an 8 x 8 block."""
    source = np.asarray(Image.open(EARTH_JPG).convert("RGB"))
    assert source.shape == (1024, 2048, 3)
    rgb = box_downsample(source, 8)
    # The two polar rows are where the sphere's texture converges; keep them
    # pure ice white so the poles show no coloured pinch.
    rgb[0, :] = rgb[-1, :] = (255, 255, 255)
    return rgb


# --------------------------------------------------------------------------
# The link cursor

HAND = [
    "      XXX       ",
    "     X...X      ",
    "     X...X      ",
    "     X...X      ",
    "     X...X      ",
    "     X...X      ",
    "     X...XXX    ",
    "     X...X..XXX ",
    "     X...X..X..XXX ",
    "     X...X..X..X..X ",
    " XXX X...X..X..X..X ",
    "X...XX...........X.X",
    "X....X...........X.X",
    " X...X...............X",
    "  X..X...............X",
    "  X..................X",
    "   X.................X",
    "   X................X ",
    "    X...............X ",
    "    X..............X  ",
    "     X.............X  ",
    "     X............X   ",
    "      X...........X   ",
    "      XXXXXXXXXXXXX   ",
]
HOT_SPOT = (7, 1)


def make_cursor():
    black = np.zeros((32, 32), dtype=bool)
    white = np.zeros((32, 32), dtype=bool)
    for y, line in enumerate(HAND):
        for x, c in enumerate(line):
            black[y, x] = c == "X"
            white[y, x] = c == "."
    return black, white


# --------------------------------------------------------------------------

def c_rows(name, indices, comment):
    lines = ["// " + comment, "inline const char* const %s[] = {" % name]
    for row in indices:
        lines.append('    "%s",' % "".join("%X" % v for v in row))
    lines.append("};")
    return "\n".join(lines)


def main():
    logo = make_logo()
    logo_bytes = write_4bit_bmp(os.path.join(PICTURES, "logo.bmp"), logo, LOGO_PALETTE, True)
    save_view("logo", to_rgb(logo, LOGO_PALETTE), 8)

    bear = make_small_bear()
    write_4bit_bmp(os.path.join(PICTURES, "bear.bmp"), bear, BEAR_PALETTE, False)
    save_view("bear", to_rgb(bear, BEAR_PALETTE), 8)

    banner = make_banner()
    banner_bytes = write_4bit_bmp(os.path.join(PICTURES, "banner.bmp"), banner, VGA, True)
    save_view("banner", to_rgb(banner, VGA), 4)

    world = make_world_map()
    write_24bit_bmp(os.path.join(PICTURES, "world_map.bmp"), world)
    save_view("world_map", world, 4)

    texture = make_bear_texture()
    write_24bit_bmp(os.path.join(PICTURES, "bear_texture.bmp"), texture)
    save_view("bear_texture", texture, 4)

    icon, icon_clear = make_icon()
    write_icon(os.path.join(PICTURES, "saver.ico"), icon, icon_clear)
    save_view("saver_icon", to_rgb(icon, VGA), 8, icon_clear)

    black, white = make_cursor()
    write_cursor(os.path.join(PICTURES, "link.cur"), black, white, HOT_SPOT)
    cursor_rgb = np.where(white[:, :, None], 255, 0).astype(np.uint8).repeat(3, axis=2)
    save_view("link_cursor", cursor_rgb, 8, ~(black | white))

    header = "\n\n".join([
        "// Written by tools/make_pictures.py; do not edit.\n"
        "// Palette indices of the run-length encoded bitmaps, one hex digit a pixel,\n"
        "// rows from the top of the picture down.\n#pragma once",
        c_rows("kExpectedLogoRows", logo, "bitmap 117, 61 x 30"),
        c_rows("kExpectedBannerRows", banner, "bitmap 119, 250 x 19"),
    ]) + "\n"
    write(os.path.join(TEST_DATA, "expected_pictures.h"), header.encode("ascii"))
    print("RLE4 pixel data: logo %d bytes, banner %d bytes" % (logo_bytes, banner_bytes))


if __name__ == "__main__":
    main()
