#!/usr/bin/env python3
"""Makes the skin's pictures, window icon, tree images and click sound.

Only the Python standard library and Debian tools are used: ImageMagick 6 (`convert`,
`identify`, `montage`), sox, and the WenQuanYi Micro Hei font for the Chinese captions.
Run it from anywhere; it rewrites the files beside it and assets.qrc:

    python3 assets/make-assets.py [--preview OUT.png]

--preview also writes a contact sheet of every picture (enlarged) and a mock-up of the
window at 800x600, for looking at the skin as a whole; those files are not committed.

The skin is drawn from a few colour tables below so that the pieces agree where they
meet: the big buttons' backgrounds are cut from the very rows of the title strip they
sit on, and the navigation glyphs are blended over the middle bar's own rows before
their surroundings are set to the transparent colour (white).

Every picture of the window also comes at twice its size, named with "@2x" before the
extension, for screens of device pixel ratio 2: the same drawing made at the finer size
(not an enlargement of the small one), so captions and edges stay sharp. The hicolor icons
of an installed client (icons/<size>.png) are the window icon's own images, plus one of 256.
"""

import argparse
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
LATIN_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

# Skin colours.
DARK = (82, 126, 166)  # outer frame line
LINE = (149, 178, 200)  # inner separators, search frame line
BG = (233, 240, 244)  # window background
TITLE = (30, 67, 107)  # title text
BLUE = (61, 138, 214)  # hover plates
GLYPH_GREY = (92, 104, 118)  # window-button glyphs

# Sound: the click and the exact length the player expects.
SOUND_RATE = 44100
SOUND_SAMPLES = 30768  # 61,536 bytes of 16-bit mono samples

WORK = None  # temporary folder for intermediate files


def run(*args):
    subprocess.run([str(a) for a in args], check=True)


def convert(*args):
    run("convert", *args)


def tmp(name):
    return os.path.join(WORK, name)


def out(rel, scale=1):
    """The file of a picture at scale 1, or its @2x variant beside it at scale 2."""
    if scale != 1:
        stem, ext = os.path.splitext(rel)
        rel = "%s@%dx%s" % (stem, scale, ext)
    path = os.path.join(HERE, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    return path


SCALES = (1, 2)


def rgb(c):
    return "rgb(%d,%d,%d)" % c


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def ramp(a, b, n):
    """n colours from a to b inclusive."""
    if n == 1:
        return [a]
    return [mix(a, b, i / (n - 1)) for i in range(n)]


def write_ppm(path, width, height, pixel, scale=1):
    """Writes an exact RGB picture from a function of (x, y); at a scale above 1 each pixel
    becomes a square of that many pixels across (the panels are lines and flat rows)."""
    data = bytearray()
    for y in range(height * scale):
        for x in range(width * scale):
            data += bytes(pixel(x // scale, y // scale))
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (width * scale, height * scale))
        f.write(data)


def to_gif(src, dst):
    # +repage drops page offsets; no dithering keeps gradients and text clean.
    convert(src, "+repage", "+dither", "-colors", "256", dst)


# ---------------------------------------------------------------------------------------
# Rows of the title strip and the bars (each is uniform across, so stretching is harmless)

def strip_rows():
    rows = [DARK, (214, 233, 248)]  # frame line, then a highlight
    rows += ramp((184, 213, 238), (205, 227, 245), 26)  # title band, rows 2..27
    rows += [(170, 202, 228)]  # row 28: band edge
    rows += [(252, 253, 254)]  # row 29: gloss
    rows += ramp((242, 248, 252), (213, 230, 243), 55)  # button area, rows 30..84
    rows += [LINE]  # row 85
    assert len(rows) == 86
    return rows


def middle_bar_rows():
    rows = [LINE] + ramp((250, 252, 254), (218, 232, 243), 28) + [LINE]
    assert len(rows) == 30
    return rows


def bottom_bar_rows():
    rows = [LINE, (250, 252, 254)] + ramp((231, 240, 247), (206, 224, 238), 21) + [DARK]
    assert len(rows) == 24
    return rows


STRIP_ROWS = strip_rows()
MIDDLE_ROWS = middle_bar_rows()
BOTTOM_ROWS = bottom_bar_rows()


def make_panels():
    def gif_from(name, w, h, pixel):
        for scale in SCALES:
            ppm = tmp("%s_%dx.ppm" % (name.replace("/", "_"), scale))
            write_ppm(ppm, w, h, pixel, scale)
            to_gif(ppm, out("panels/%s.gif" % name, scale))

    gif_from("stripBackground", 716, 86, lambda x, y: STRIP_ROWS[y])

    # Top border pieces carry the strip's rows with the frame line on the outer side.
    def top_border(outer_col):
        def px(x, y):
            if x == outer_col or y == 0:
                return DARK
            if x == (1 if outer_col == 0 else 2):
                return mix(STRIP_ROWS[y], (255, 255, 255), 0.45)
            return STRIP_ROWS[y]
        return px

    gif_from("topLeftBorder", 4, 86, top_border(0))
    gif_from("topRightBorder", 4, 86, top_border(3))

    # Middle border pieces are stretched tall: uniform down their length.
    def middle_border(outer_col):
        inner = 1 if outer_col == 0 else 2
        return lambda x, y: DARK if x == outer_col else ((250, 252, 254) if x == inner else BG)

    gif_from("middleLeftBorder", 4, 67, middle_border(0))
    gif_from("middleRightBorder", 4, 19, middle_border(3))

    # Bottom corners at natural size: the bottom bar's rows framed on the outer side.
    def bottom_corner(outer_col):
        return lambda x, y: DARK if (x == outer_col or y == 23) else BOTTOM_ROWS[y]

    gif_from("bottomLeftBorder", 4, 24, bottom_corner(0))
    gif_from("bottomRightBorder", 4, 24, bottom_corner(3))
    gif_from("bottomBar", 18, 24, lambda x, y: BOTTOM_ROWS[y])
    gif_from("middleBar", 51, 30, lambda x, y: MIDDLE_ROWS[y])
    gif_from("categoryDivider", 2, 14, lambda x, y: LINE if x == 0 else (252, 253, 254))


# ---------------------------------------------------------------------------------------
# Drawing helpers

def draw4(name, width, height, mvg, scale=1):
    """Draws MVG at four times the size on a transparent canvas and averages it down to
    `scale` times the size, so edges are anti-aliased and shapes aligned to the 4-pixel grid
    stay crisp at either size."""
    big = tmp(name + "_4x.png")
    small = tmp("%s_%dx.png" % (name, scale))
    convert("-size", "%dx%d" % (width * 4, height * 4), "xc:none", "-draw", mvg, "PNG32:" + big)
    convert(big, "-filter", "Box", "-resize", "%dx%d!" % (width * scale, height * scale),
            "PNG32:" + small)
    return small


def polygon(points):
    return "polygon " + " ".join("%.2f,%.2f" % p for p in points)


def star_points(cx, cy, r_out, r_in, n=5, rot=-90):
    pts = []
    for i in range(2 * n):
        r = r_out if i % 2 == 0 else r_in
        a = math.radians(rot + i * 180 / n)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def open_line(pts):
    """An open stroked line through the points, as separate segments with round caps:
    ImageMagick 6 strokes a polyline (and an open path) with a stray closing chord."""
    segs = " ".join("line %.2f,%.2f %.2f,%.2f" % (a + b) for a, b in zip(pts, pts[1:]))
    return "push graphic-context stroke-linecap round " + segs + " pop graphic-context "


def bezier(p0, p1, p2, p3, steps=20):
    """An open line along a cubic curve."""
    pts = []
    for i in range(steps + 1):
        t = i / steps
        u = 1 - t
        pts.append(tuple(u ** 3 * a + 3 * u * u * t * b + 3 * u * t * t * c + t ** 3 * d
                         for a, b, c, d in zip(p0, p1, p2, p3)))
    return open_line(pts)


def arc_arrow(cx, cy, r, a0, a1, width, head):
    """An arc from angle a0 to a1 (degrees, clockwise on screen) with an arrowhead at a1.
    Returns MVG: the arc as stroked segments and the head as a polygon."""
    steps = 24
    pts = []
    for i in range(steps + 1):
        a = math.radians(a0 + (a1 - a0) * i / steps)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    a = math.radians(a1)
    tip_dir = (-math.sin(a), math.cos(a)) if a1 > a0 else (math.sin(a), -math.cos(a))
    ex, ey = pts[-1]
    nx, ny = math.cos(a), math.sin(a)  # radial direction
    tip = (ex + tip_dir[0] * head, ey + tip_dir[1] * head)
    b1 = (ex + nx * head * 0.9, ey + ny * head * 0.9)
    b2 = (ex - nx * head * 0.9, ey - ny * head * 0.9)
    return (
        "push graphic-context fill none stroke-width %d " % width + open_line(pts) + "pop graphic-context "
    ) + "stroke none " + polygon([b1, tip, b2]) + " "


# ---------------------------------------------------------------------------------------
# Big buttons: a 32x32 drawing (made at 128x128) above a 12-pixel caption.

BIG_ICONS = {}

BIG_ICONS["siteHomeButton"] = (
    # a house with a play sign in its window
    "stroke-linejoin round "
    "fill rgb(255,246,226) stroke rgb(176,120,52) stroke-width 5 rectangle 26,56 102,118 "
    "fill rgb(232,86,44) stroke rgb(168,52,24) stroke-width 5 "
    + polygon([(8, 62), (64, 12), (120, 62), (108, 72), (64, 32), (20, 72)])
    + " fill rgb(176,120,52) stroke none rectangle 88,18 100,46 "
    "fill rgb(61,138,214) stroke rgb(36,90,145) stroke-width 4 roundrectangle 40,68 88,110 6,6 "
    "fill white stroke none " + polygon([(56, 76), (56, 102), (78, 89)])
)

BIG_ICONS["latestPicksButton"] = (
    "stroke-linejoin round fill rgb(255,196,36) stroke rgb(214,132,0) stroke-width 6 "
    + polygon(star_points(64, 68, 60, 25))
    + " fill rgb(255,236,150) stroke none "
    + polygon(star_points(58, 58, 16, 7))
)

BIG_ICONS["hotRankingButton"] = (
    "stroke rgb(40,80,120) stroke-width 4 "
    "fill rgb(96,168,230) rectangle 12,76 40,118 "
    "fill rgb(246,170,48) rectangle 50,50 78,118 "
    "fill rgb(232,70,44) rectangle 88,22 116,118 "
    "stroke rgb(40,80,120) stroke-width 6 line 4,121 124,121 "
    # a small flame on the tallest bar
    "stroke none fill rgb(255,120,30) "
    "path 'M 102,2 C 118,14 114,20 108,20 C 100,20 96,14 102,2 Z' "
)

BIG_ICONS["recentUpdatesButton"] = (
    "fill white stroke rgb(47,120,196) stroke-width 10 circle 64,64 64,10 "
    "stroke rgb(120,150,180) stroke-width 6 "
    "line 64,20 64,30 line 108,64 98,64 line 64,108 64,98 line 20,64 30,64 "
    "stroke rgb(30,67,107) stroke-width 9 stroke-linecap round line 64,64 64,32 "
    "stroke rgb(232,70,44) stroke-width 7 line 64,64 90,78 "
    "stroke none fill rgb(30,67,107) circle 64,64 64,71 "
)

BIG_ICONS["dataSyncButton"] = (
    "fill rgb(46,168,80) stroke rgb(46,168,80) "
    + arc_arrow(64, 64, 44, 195, 330, 16, 24)
    + "fill rgb(47,120,196) stroke rgb(47,120,196) "
    + arc_arrow(64, 64, 44, 15, 150, 16, 24)
)

BIG_ICONS["qvodInstallButton"] = (
    "fill none stroke rgb(47,120,196) stroke-width 12 stroke-linejoin round "
    + open_line([(14, 78), (14, 114), (114, 114), (114, 78)]) +
    "fill rgb(247,140,36) stroke rgb(196,96,20) stroke-width 5 "
    + polygon([(46, 6), (82, 6), (82, 50), (104, 50), (64, 94), (24, 50), (46, 50)])
)

BIG_ICONS["onlineUpgradeButton"] = (
    "fill rgb(96,174,234) stroke rgb(40,110,180) stroke-width 5 circle 54,70 54,22 "
    "fill none stroke rgb(235,245,252) stroke-width 4 ellipse 54,70 20,48 0,360 "
    "line 6,70 102,70 line 12,46 96,46 line 12,94 96,94 "
    "fill rgb(58,181,74) stroke rgb(30,122,44) stroke-width 5 stroke-linejoin round "
    + polygon([(100, 6), (126, 42), (112, 42), (112, 92), (88, 92), (88, 42), (74, 42)])
)

BIG_ICONS["feedbackButton"] = (
    "stroke-linejoin round "
    "fill rgb(255,248,224) stroke rgb(201,138,26) stroke-width 6 rectangle 6,34 108,112 "
    "fill none " + open_line([(6, 34), (57, 78), (108, 34)]) +
    # a pencil across the corner
    "fill rgb(255,200,40) stroke rgb(120,80,20) stroke-width 4 "
    + polygon([(118, 14), (126, 22), (80, 68), (72, 60)])
    + " fill rgb(244,214,170) "
    + polygon([(72, 60), (80, 68), (64, 76)])
    + " fill rgb(232,86,44) stroke none "
    + polygon([(118, 14), (126, 22), (121, 27), (113, 19)])
)

BIG_ICONS["supportChatButton"] = (
    "fill rgb(47,120,196) stroke rgb(30,80,140) stroke-width 4 ellipse 64,126 46,44 180,360 "
    "fill rgb(255,218,180) stroke rgb(150,100,60) stroke-width 4 circle 64,50 64,22 "
    "fill none stroke rgb(50,56,64) stroke-width 8 "
    + bezier((30, 54), (30, 6), (98, 6), (98, 54)) +
    "fill rgb(50,56,64) stroke none roundrectangle 22,42 38,68 5,5 roundrectangle 90,42 106,68 5,5 "
    "fill none stroke rgb(50,56,64) stroke-width 5 " + bezier((30, 66), (30, 86), (44, 86), (56, 84)) +
    "fill rgb(232,70,44) stroke none circle 58,84 58,90 "
)


def logo_mvg(s):
    """The LXTV mark: a television on a blue rounded square, for a canvas of s x s."""
    k = s / 128.0

    def p(v):
        return v * k

    return (
        "fill rgb(47,120,196) stroke rgb(30,80,140) stroke-width %.2f roundrectangle %.2f,%.2f %.2f,%.2f %.2f,%.2f "
        % (p(4), p(4), p(4), p(124), p(124), p(26), p(26))
        + "fill rgb(88,160,228) stroke none roundrectangle %.2f,%.2f %.2f,%.2f %.2f,%.2f "
        % (p(10), p(8), p(118), p(56), p(22), p(22))
        + "stroke rgb(250,250,250) stroke-width %.2f stroke-linecap round line %.2f,%.2f %.2f,%.2f line %.2f,%.2f %.2f,%.2f "
        % (p(6), p(46), p(18), p(62), p(36), p(82), p(18), p(66), p(36))
        + "fill rgb(250,250,250) stroke none roundrectangle %.2f,%.2f %.2f,%.2f %.2f,%.2f "
        % (p(18), p(38), p(110), p(108), p(12), p(12))
        + "fill rgb(36,96,160) roundrectangle %.2f,%.2f %.2f,%.2f %.2f,%.2f "
        % (p(27), p(47), p(101), p(99), p(8), p(8))
        + "fill rgb(255,176,40) "
        + polygon([(p(56), p(58)), (p(56), p(88)), (p(82), p(73))])
    )


BIG_ICONS["aboutUsButton"] = logo_mvg(128)

BIG_BUTTONS = [
    ("siteHomeButton", "影视首页"),
    ("latestPicksButton", "最新推荐"),
    ("hotRankingButton", "热播排行"),
    ("recentUpdatesButton", "最近更新"),
    ("dataSyncButton", "数据同步"),
    ("qvodInstallButton", "快播安装"),
    ("onlineUpgradeButton", "在线升级"),
    ("feedbackButton", "留言反馈"),
    ("supportChatButton", "客服咨询"),
    ("aboutUsButton", "关于LXTV"),
]

# The buttons sit at window top 29, which is the strip's row 29 (the strip starts at 0).
BIG_TOP = 29
# The pictures are 58 wide but the buttons show only 56: centre on the visible part.
BIG_VISIBLE = 56


def caption(img_args, text, colour, y, x_off=0, scale=1):
    """A 12-pixel caption (y and x_off in 1x pixels). At 1x it is crisp, not anti-aliased:
    sharper than grey-edged strokes at that size. At 2x the 24-pixel strokes are wide enough
    for anti-aliasing to smooth them rather than blur them."""
    return img_args + [
        "+antialias" if scale == 1 else "-antialias", "-font", FONT, "-pointsize", str(12 * scale),
        "-density", "72", "-fill", rgb(colour), "-gravity", "North",
        # A thin outline in the text colour gives the smooth strokes the weight of the crisp ones.
        "-stroke", rgb(colour) if scale > 1 else "none", "-strokewidth", "0.6",
        "-annotate", "%+d%+d" % (x_off * scale, y * scale), text, "-antialias", "-gravity", "NorthWest",
        "-stroke", "none", "-strokewidth", "1",
    ]


def make_big_buttons():
    shift = (BIG_VISIBLE - 58) // 2  # -1: centre on the 56 visible columns
    for scale in SCALES:
        bg = tmp("big_bg_%dx.ppm" % scale)
        write_ppm(bg, 58, 50, lambda x, y: STRIP_ROWS[BIG_TOP + y], scale)
        for ident, text in BIG_BUTTONS:
            icon = draw4(ident, 32, 32, BIG_ICONS[ident], scale)
            x = (BIG_VISIBLE - 32) // 2 * scale
            pngs = []
            for suffix, colour in (("", (0, 0, 0)), ("_hover", (230, 0, 0))):
                args = caption(
                    [bg, icon, "-geometry", "+%d+%d" % (x, 2 * scale), "-composite"], text, colour, 35,
                    shift, scale,
                )
                pngs.append(tmp("%s%s_full_%dx.png" % (ident, suffix, scale)))
                convert(*args, pngs[-1])
            # One palette for both states, so the drawing is pixel-identical in the two and
            # only the caption changes colour.
            both = tmp("%s_both_%dx.gif" % (ident, scale))
            convert(pngs[0], pngs[1], "+append", "+dither", "-colors", "256", both)
            w, h = 58 * scale, 50 * scale
            for i, suffix in enumerate(("", "_hover")):
                convert(both, "-crop", "%dx%d+%d+0" % (w, h, w * i), "+repage",
                        out("buttons/%s%s.gif" % (ident, suffix), scale))


# ---------------------------------------------------------------------------------------
# Navigation buttons: 26x26 with white as the transparent colour.

NAV_FILL = (47, 120, 196)
NAV_EDGE = (30, 80, 140)


def nav_glyph(ident):
    c, e = rgb(NAV_FILL), rgb(NAV_EDGE)
    if ident == "homeButton":
        return (
            "stroke-linejoin round fill %s stroke %s stroke-width 5 " % (c, e)
            + polygon([(14, 50), (52, 16), (90, 50), (80, 50), (80, 88), (60, 88), (60, 64),
                       (44, 64), (44, 88), (24, 88), (24, 50)])
        )
    if ident in ("backButton", "forwardButton"):
        pts = [(14, 52), (50, 18), (50, 38), (90, 38), (90, 66), (50, 66), (50, 86)]
        if ident == "forwardButton":
            pts = [(104 - x, y) for x, y in pts]
        return "stroke-linejoin round fill %s stroke %s stroke-width 5 " % (rgb((58, 166, 76)), rgb((30, 112, 46))) + polygon(pts)
    page = (
        "stroke-linejoin round fill rgb(246,249,252) stroke rgb(110,130,150) stroke-width 4 "
        + polygon([(22, 12), (66, 12), (82, 28), (82, 92), (22, 92)])
        + " fill rgb(214,226,236) " + polygon([(66, 12), (66, 28), (82, 28)]) + " "
    )
    if ident == "refreshButton":
        return page + (
            "fill rgb(46,168,80) stroke rgb(46,168,80) " + arc_arrow(52, 56, 20, 200, 330, 7, 11)
            + "fill rgb(46,168,80) stroke rgb(46,168,80) " + arc_arrow(52, 56, 20, 20, 150, 7, 11)
        )
    if ident == "stopButton":
        return page + (
            "stroke rgb(220,48,40) stroke-width 10 stroke-linecap round line 38,40 66,68 line 66,40 38,68"
        )
    raise KeyError(ident)


def nav_plate():
    return "fill rgb(206,229,248) stroke rgb(112,164,212) stroke-width 4 roundrectangle 2,2 101,101 14,14 "


def keyed_gif(name, mvg, rows, dst, scale=1):
    """Blends the drawing over the bar it will stand on, then sets every pixel outside the
    shape to pure white, the button's transparent colour, and keeps pure white out of
    the shape so no hole is punched into it."""
    name = "%s_%dx" % (name, scale)
    shape = draw4(name, 26, 26, mvg, scale)
    under = tmp(name + "_under.ppm")
    write_ppm(under, 26, 26, lambda x, y: rows[y], scale)
    blended = tmp(name + "_blended.png")
    convert(under, shape, "-composite", "-fill", "rgb(252,252,252)", "-opaque", "white", blended)
    mask = tmp(name + "_mask.png")
    convert(shape, "-alpha", "extract", "-threshold", "40%", mask)
    keyed = tmp(name + "_keyed.png")
    size = "%dx%d" % (26 * scale, 26 * scale)
    convert("-size", size, "xc:white", blended, mask, "-composite", "-alpha", "off", keyed)
    to_gif(keyed, dst)
    # The GIF palette must not have turned a shape pixel into the key colour.
    check = subprocess.run(
        ["convert", dst, "-fill", "black", "+opaque", "white", mask, "-compose", "Multiply", "-composite",
         "-format", "%[fx:maxima]", "info:"],
        check=True, capture_output=True, text=True).stdout.strip()
    if float(check) != 0.0:
        sys.exit("%s: a pixel inside the shape came out pure white" % dst)


def make_nav_buttons():
    # homeButton and backButton stand in the middle bar at top 4; the other three stand at
    # window top 89, which is the same bar row (the bar starts at 85).
    rows = MIDDLE_ROWS[4:30] + [MIDDLE_ROWS[-1]] * 0
    for scale in SCALES:
        for ident in ("homeButton", "backButton", "forwardButton", "refreshButton", "stopButton"):
            keyed_gif(ident, nav_glyph(ident), rows, out("buttons/%s.gif" % ident, scale), scale)
            keyed_gif(ident + "_hover", nav_plate() + nav_glyph(ident), rows,
                      out("buttons/%s_hover.gif" % ident, scale), scale)


def make_search_button():
    for scale in SCALES:
        # The frame line is one 1x pixel wide, on the picture's outermost pixels.
        half = (scale - 1) / 2
        frame = "rectangle %g,%g %g,%g" % (half, half, 33 * scale - 1 - half, 21 * scale - 1 - half)
        for suffix, fill, text in (
            ("", (255, 255, 255), TITLE),
            ("_hover", (214, 232, 247), TITLE),
            ("_pressed", (140, 184, 224), (12, 36, 64)),
        ):
            png = tmp("search%s_%dx.png" % (suffix, scale))
            args = caption(
                ["-size", "%dx%d" % (33 * scale, 21 * scale), "xc:" + rgb(fill), "-fill", "none",
                 "-stroke", rgb(LINE), "-strokewidth", str(scale), "-draw", frame, "-stroke", "none"],
                "搜索", text, 3, 0, scale,
            )
            convert(*args, png)
            to_gif(png, out("buttons/searchButton%s.gif" % suffix, scale))


# ---------------------------------------------------------------------------------------
# Title strip objects: RGBA PNGs, transparent around the shapes.

def png32(src, dst):
    # -strip drops the time stamps, so running the script again changes no file.
    convert(src, "-strip", "-define", "png:color-type=6", "-depth", "8", "PNG32:" + dst)


def window_button_glyph(kind, colour):
    c = rgb(colour)
    if kind == "close":
        return "stroke %s stroke-width 9 stroke-linecap round line 26,22 58,54 line 58,22 26,54 " % c
    if kind == "maximize":
        return ("fill none stroke %s stroke-width 6 rectangle 23,19 61,57 " % c
                + "fill %s stroke none rectangle 20,16 64,28 " % c)
    if kind == "restore":
        return ("fill none stroke %s stroke-width 5 rectangle 34,14 64,42 " % c
                + "fill %s stroke none rectangle 32,12 66,21 " % c
                + "fill %s stroke %s stroke-width 5 rectangle 20,32 50,62 " % (rgb(STRIP_ROWS[12]), c)
                + "fill %s stroke none rectangle 18,30 52,39 " % c)
    if kind == "minimize":
        return "fill %s stroke none rectangle 24,48 60,57 " % c
    raise KeyError(kind)


def make_window_buttons():
    plates = {"close": (224, 67, 56), "maximize": BLUE, "restore": BLUE, "minimize": BLUE}
    for kind in ("close", "maximize", "restore", "minimize"):
        # A plate too faint to see keeps the whole button under the pointer: the strip only
        # finds an object where its picture is not fully transparent, and the glyphs are thin.
        faint = "fill rgba(%d,%d,%d,0.03) stroke none roundrectangle 0,0 83,79 14,14 " % plates[kind]
        plate = "fill %s stroke none roundrectangle 0,0 83,79 14,14 " % rgb(plates[kind])
        glyph = window_button_glyph(kind, (255, 255, 255))
        if kind == "restore":  # the front frame is filled with the plate colour
            glyph = glyph.replace(rgb(STRIP_ROWS[12]), rgb(plates[kind]))
        for scale in SCALES:
            normal = draw4(kind, 21, 20, faint + window_button_glyph(kind, GLYPH_GREY), scale)
            png32(normal, out("strip/%sPicture.png" % kind, scale))
            hover = draw4(kind + "_hover", 21, 20, plate + glyph, scale)
            png32(hover, out("strip/%sHoverPicture.png" % kind, scale))


def make_strip_icon():
    mvg = (
        "stroke-linejoin round fill rgb(255,196,36) stroke rgb(200,120,0) stroke-width 4 "
        + polygon(star_points(40, 42, 37, 15))
        + " fill rgb(255,238,160) stroke none " + polygon(star_points(35, 34, 10, 4))
    )
    for scale in SCALES:
        png32(draw4("star", 20, 20, mvg, scale), out("strip/stripIconPicture.png", scale))


def make_link_objects():
    bubbles = (
        "stroke-linejoin round "
        "fill rgb(96,174,234) stroke rgb(40,110,180) stroke-width 5 roundrectangle 12,8 92,64 16,16 "
        "stroke none " + polygon([(28, 60), (24, 84), (52, 62)]) + " "
        "fill none stroke rgb(40,110,180) stroke-width 5 " + open_line([(30, 64), (24, 84), (52, 64)]) +
        "fill rgb(250,250,250) stroke none circle 34,36 34,42 circle 52,36 52,42 circle 70,36 70,42 "
        "fill rgb(255,182,56) stroke rgb(200,120,20) stroke-width 5 roundrectangle 84,38 150,90 16,16 "
        "stroke none " + polygon([(130, 86), (140, 108), (112, 88)]) + " "
        "fill none stroke rgb(200,120,20) stroke-width 5 " + open_line([(128, 90), (140, 108), (112, 90)]) +
        "fill rgb(250,250,250) stroke none roundrectangle 98,56 136,62 3,3 roundrectangle 98,70 126,76 3,3 "
    )
    info = (
        "fill rgb(47,120,196) stroke rgb(30,80,140) stroke-width 6 circle 120,60 120,8 "
        "fill rgb(250,250,250) stroke none circle 120,32 120,41 "
        "roundrectangle 110,50 130,96 5,5 roundrectangle 102,50 130,58 3,3 roundrectangle 102,90 138,98 3,3 "
    )
    # A plate under the drawing and the caption, reaching the picture's edges. The big buttons
    # that lie above these objects hide all of them but a margin at the right and the bottom;
    # the plate is what the viewer sees there, and the strip finds an object only where its
    # picture is not transparent, so without it nothing would ever reach the two objects.
    plate_normal = "fill rgba(252,253,255,0.6) stroke %s stroke-width 4 roundrectangle 2,2 237,197 22,22 " % rgb(LINE)
    plate_hover = "fill rgba(255,236,168,0.85) stroke rgb(226,160,30) stroke-width 4 roundrectangle 2,2 237,197 22,22 "
    for name, mvg, text in (("messageBoard", bubbles, "顾客留言"), ("about", info, "关于我们")):
        # Drawing area 60x28 at the top (made at 240x112 with the shapes in the middle).
        if name == "messageBoard":
            mvg = "translate 45,2 " + mvg
        for scale in SCALES:
            size = "%dx%d" % (60 * scale, 50 * scale)
            key = "%s_%dx" % (name, scale)
            shape = draw4(name + "_obj", 60, 30, mvg, scale)
            art = tmp(key + "_art.png")
            convert("-size", size, "xc:none", shape, "-geometry", "+0+%d" % scale, "-composite",
                    *caption([], text, TITLE, 33, 0, scale), "PNG32:" + art)
            plate = draw4(name + "_plate", 60, 50, plate_normal, scale)
            base = tmp(key + "_base.png")
            convert(plate, art, "-compose", "Over", "-composite", "PNG32:" + base)
            png32(base, out("strip/%sPicture.png" % name, scale))
            # The hover picture: a warm plate, and a warm glow around the drawing and the caption.
            glow = tmp(key + "_glow.png")
            convert(art, "-alpha", "extract", "-morphology", "Dilate", "Disk:%g" % (1.5 * scale),
                    "-blur", "0x%d" % (2 * scale), "-level", "0,60%", glow)
            halo = tmp(key + "_halo.png")
            convert("-size", size, "xc:rgb(255,214,90)", glow, "-alpha", "off", "-compose", "CopyOpacity",
                    "-composite", "PNG32:" + halo)
            warm = draw4(name + "_plate_hover", 60, 50, plate_hover, scale)
            hover = tmp(key + "_hover.png")
            convert(warm, halo, "-compose", "Over", "-composite", art, "-compose", "Over", "-composite",
                    "PNG32:" + hover)
            png32(hover, out("strip/%sHoverPicture.png" % name, scale))


# ---------------------------------------------------------------------------------------
# Window icon and tree images

def make_window_icon():
    sizes = [128, 96, 64, 48, 32]
    frames = []
    for s in sizes:
        frames.append(draw4("icon%d" % s, s, s, logo_mvg(s * 4)))
    dst = out("windowIcon.ico")
    # Each frame as 32-bit BGRA with its alpha; no PNG-compressed entries.
    convert(*frames, "-depth", "8", "-type", "TrueColorAlpha", dst)
    with open(dst, "rb") as f:
        ico = f.read()
    reserved, kind, count = struct.unpack("<HHH", ico[:6])
    entries = []
    for i in range(count):
        w, h, _, _, planes, bpp, size, offset = struct.unpack("<BBBBHHII", ico[6 + 16 * i:22 + 16 * i])
        # Each image must be an uncompressed 32-bit DIB (BGRA), not a PNG.
        header_size, _, _, _, dib_bpp = struct.unpack("<IiiHH", ico[offset:offset + 16])
        entries.append((w or 256, h or 256, bpp, header_size, dib_bpp))
    want = [(s, s, 32, 40, 32) for s in sizes]
    if (reserved, kind, count) != (0, 1, len(sizes)) or entries != want:
        sys.exit("window icon came out as %r" % entries)
    # The desktop's icons of the installed client: the same images, and a larger one for
    # software centres and large launchers.
    frames.append(draw4("icon256", 256, 256, logo_mvg(256 * 4)))
    for s, frame in zip(sizes + [256], frames):
        png32(frame, out("icons/%d.png" % s))


def make_tree_images():
    tri = "stroke-linejoin round stroke-width 3 "
    glyphs = [
        tri + "fill rgb(24,62,120) stroke rgb(24,62,120) " + polygon([(24, 14), (58, 36), (24, 58)]),
        tri + "fill rgb(47,130,220) stroke rgb(47,130,220) " + polygon([(14, 24), (58, 24), (36, 58)]),
        "stroke-linejoin round fill rgb(246,248,250) stroke rgb(128,136,146) stroke-width 4 "
        "rectangle 8,12 64,62 fill rgb(150,158,168) stroke none rectangle 8,12 64,22 "
        "fill rgb(190,196,204) rectangle 16,32 56,36 rectangle 16,42 56,46 rectangle 16,52 44,56",
        "fill none stroke rgb(255,186,40) stroke-width 5 ellipse 36,38 33,13 0,360 "
        "font '%s' font-size 62 fill rgb(30,110,210) stroke none text 14,60 'e' " % LATIN_BOLD,
        "fill rgb(46,168,80) stroke rgb(26,120,52) stroke-width 3 circle 36,36 36,6 "
        "fill rgb(252,252,252) stroke none roundrectangle 18,31 54,41 3,3",
    ]
    for i, mvg in enumerate(glyphs):
        for scale in SCALES:
            png32(draw4("tree%d" % i, 18, 18, mvg, scale), out("tree/%d.png" % i, scale))


# ---------------------------------------------------------------------------------------
# Click sound

def make_click_sound():
    """A short tick that has decayed to silence well before the end, padded with silence
    and cut to the exact sample count; sox writes the plain 44-byte header."""
    raw = tmp("click.wav")
    run("sox", "-r", SOUND_RATE, "-c", "1", "-n", "-D", "-r", SOUND_RATE, "-c", "1", "-b", "16", raw,
        # A 1400 Hz tone under an exponentially falling envelope (gone within ~40 ms),
        # with a soft sub-millisecond attack so the start does not pop.
        "synth", "0.08", "sine", "1400", "synth", "0.08", "exp", "amod", "12.5", "0", "0", "1", "50",
        "fade", "h", "0.0008", "0.08", "0.02", "gain", "-n", "-3",
        "pad", "0", "0.7", "trim", "0", "%ds" % SOUND_SAMPLES)
    with open(raw, "rb") as f:
        data = f.read()
    riff, size, wave, fmt, fmt_len, tag, ch, rate, brate, align, bits, dtag, dlen = struct.unpack(
        "<4sI4s4sIHHIIHH4sI", data[:44])
    expected = (b"RIFF", 36 + SOUND_SAMPLES * 2, b"WAVE", b"fmt ", 16, 1, 1, SOUND_RATE,
                SOUND_RATE * 2, 2, 16, b"data", SOUND_SAMPLES * 2)
    got = (riff, size, wave, fmt, fmt_len, tag, ch, rate, brate, align, bits, dtag, dlen)
    if got != expected or len(data) != 44 + SOUND_SAMPLES * 2:
        sys.exit("click sound header unexpected: %r (%d bytes)" % (got, len(data)))
    shutil.copyfile(raw, out("clickSound.wav"))


# ---------------------------------------------------------------------------------------
# Resource list and previews

def write_qrc():
    files = []
    for root, _, names in os.walk(HERE):
        for n in names:
            rel = os.path.relpath(os.path.join(root, n), HERE)
            if (rel.startswith(("defaultListImages", "icons" + os.sep)) or n in ("media.qrc", "assets.qrc")
                    or n.startswith("make-assets") or n.startswith(".")):
                continue
            files.append(rel)
    files.sort()
    with open(out("assets.qrc"), "w") as f:
        f.write('<!DOCTYPE RCC>\n<RCC version="1.0">\n  <qresource prefix="/assets">\n')
        for rel in files:
            f.write("    <file>%s</file>\n" % rel)
        f.write("  </qresource>\n</RCC>\n")


def make_preview(path):
    """A contact sheet of every picture, enlarged, and a mock-up of the window."""
    pics = []
    for root, _, names in sorted(os.walk(HERE)):
        for n in sorted(names):
            if n.endswith((".gif", ".png")) and "@" not in n and not root.endswith("icons"):
                pics.append(os.path.join(root, n))
    big = []
    for p in pics:
        if p.endswith("stripBackground.gif"):
            continue
        b = tmp("sheet_%d.png" % len(big))
        convert(p + "[0]", "-filter", "Point", "-resize", "200%", "-set", "label", os.path.relpath(p, HERE), b)
        big.append(b)
    tiles = tmp("sheet_tiles.png")
    run("montage", "-background", "rgb(200,200,200)", "-font", FONT, "-pointsize", "11", *big,
        "-geometry", "+6+6", "-tile", "8x", tiles)
    sheet = path
    convert(tiles, a_strip := os.path.join(HERE, "panels/stripBackground.gif"), "-background", "rgb(200,200,200)",
            "-gravity", "West", "-append", sheet)
    # Mock-up at 800x600 with the settled rectangles of the layout.
    W, H = 800, 600
    a = lambda rel: os.path.join(HERE, rel)
    parts = [
        ("panels/stripBackground.gif", 4, 0, W - 8, 86),
        ("panels/topLeftBorder.gif", 0, 0, 4, 86),
        ("panels/topRightBorder.gif", W - 4, 0, 4, 86),
        ("panels/middleLeftBorder.gif", 0, 86, 4, H - 110),
        ("panels/middleRightBorder.gif", W - 4, 86, 4, H - 110),
        ("panels/categoryDivider.gif", 140, 86, 2, H - 110),
        ("panels/bottomLeftBorder.gif", 0, H - 24, 4, 24),
        ("panels/bottomRightBorder.gif", W - 4, H - 24, 4, 24),
        ("panels/bottomBar.gif", 4, H - 24, W - 8, 24),
        ("strip/messageBoardPicture.png", 7, 32, 60, 50),
        ("strip/aboutPicture.png", 75, 32, 60, 50),
        ("strip/stripIconPicture.png", 9, 6, 20, 20),
        ("strip/closePicture.png", 4 + W - 30, 7, 21, 20),
        ("strip/maximizePicture.png", 4 + W - 52, 7, 21, 20),
        ("strip/minimizeHoverPicture.png", 4 + W - 74, 7, 21, 20),
        ("panels/middleBar.gif", 143, 85, W - 145, 30),
    ]
    args = ["-size", "%dx%d" % (W, H), "xc:" + rgb(BG)]
    for rel, x, y, w, h in parts:
        args += ["(", a(rel), "-resize", "%dx%d!" % (w, h), ")", "-geometry", "+%d+%d" % (x, y), "-composite"]
    for i, (ident, _) in enumerate(BIG_BUTTONS):
        x = [5, 74, 143, 212, 281, 350, 419, 488, 557, 626][i]
        name = ident + ("_hover" if ident == "dataSyncButton" else "")
        args += ["(", a("buttons/%s.gif" % name), "-crop", "56x50+0+0", "+repage", ")",
                 "-geometry", "+%d+29" % x, "-composite"]
    for ident, x, y in (("homeButton_hover", 146, 89), ("backButton", 177, 89), ("forwardButton", 208, 89),
                        ("refreshButton", 239, 89), ("stopButton", 270, 89)):
        args += ["(", a("buttons/%s.gif" % ident), "-transparent", "white", "-crop", "25x25+0+0", "+repage", ")",
                 "-geometry", "+%d+%d" % (x, y), "-composite"]
    args += ["(", a("buttons/searchButton.gif"), ")", "-geometry", "+%d+%d" % (143 + W - 188, 91), "-composite",
             "-fill", rgb(BG), "-stroke", rgb(LINE), "-draw", "rectangle %d,91 %d,112" % (143 + W - 372, 143 + W - 372 + 178),
             "-fill", "white", "-stroke", "white", "-draw", "rectangle 142,115 %d,%d" % (W - 4, H - 25),
             "-stroke", "none"]
    args += ["-font", FONT, "-pointsize", "12", "-fill", rgb(TITLE), "-annotate", "+36+21", "岚汐网络电视(LXTV)",
             "-fill", "red", "-annotate", "+118+%d" % (H - 7), "注意：第一次使用本软件，请点击菜单“快播安装”，安装后方可正常收看影视节目。",
             "-fill", "rgb(8,25,42)", "-annotate", "+28+112", "电视直播", "-annotate", "+28+134", "电影频道"]
    for i in range(2):
        args += ["(", a("tree/%d.png" % i), ")", "-geometry", "+8+%d" % (99 + 22 * i), "-composite"]
    mock = os.path.splitext(path)[0] + "-window.png"
    convert(*args, mock)
    print("preview:", sheet, mock)


def main():
    global WORK
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--preview", metavar="OUT.png")
    opts = parser.parse_args()
    for tool in ("convert", "montage", "sox"):
        if shutil.which(tool) is None:
            sys.exit("missing tool: %s (scripts/deps.sh installs it)" % tool)
    if not os.path.exists(FONT):
        sys.exit("missing font: %s (package fonts-wqy-microhei)" % FONT)
    WORK = tempfile.mkdtemp(prefix="lxtv-assets-")
    try:
        make_panels()
        make_big_buttons()
        make_nav_buttons()
        make_search_button()
        make_window_buttons()
        make_strip_icon()
        make_link_objects()
        make_window_icon()
        make_tree_images()
        make_click_sound()
        write_qrc()
        if opts.preview:
            make_preview(opts.preview)
    finally:
        shutil.rmtree(WORK, ignore_errors=True)


if __name__ == "__main__":
    main()
