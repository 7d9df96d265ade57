#!/usr/bin/env python3
"""Draws every image of the converter and the bug reporter.

Each image is described here as SVG, rasterised at 1x with rsvg-convert; animations and
icon files are assembled with ImageMagick. State strips stack their frames vertically:
0 normal, 1 hover, 2 pressed, 3 disabled.

Usage: pixvue_assets.py REPO_ROOT [--keep-svg DIR]
"""

import argparse
import math
import os
import shutil
import subprocess
import sys
import tempfile

# Palette of the product.
BAND = "#718AB9"  # main title band
ACCENT = "#22A5FB"  # accents and primary buttons
ACCENT_HOVER = "#47B4FC"
ACCENT_PRESS = "#1890E0"
DIALOG_BAND = "#F3F6FD"
LINE = "#C7CDDF"
LINE_LIGHT = "#E3E3E3"
ICON = "#8A94A6"
ICON_OFF = "#CDD3DD"
TEXT = "#444444"
RED = "#E95454"
RED_PRESS = "#C94444"
GREEN = "#3DBE7A"
AMBER = "#F5A623"
SUN = "#FAAB3E"
DISABLED_FILL = "#BFCBDC"
FONT = "DejaVu Sans"

CONVERTER_RES = "converter/resources"
BUGREPORT_RES = "bugreport/resources"


def svg(width, height, body, defs=""):
    return (
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
        f'viewBox="0 0 {width} {height}"><defs>{defs}</defs>{body}</svg>'
    )


def strip(frame_w, frame_h, frames, defs=""):
    """Stacks frame bodies vertically into one image."""
    body = "".join(
        f'<g transform="translate(0,{i * frame_h})">{frame}</g>' for i, frame in enumerate(frames)
    )
    return svg(frame_w, frame_h * len(frames), body, defs)


def rrect(x, y, w, h, r, fill="none", stroke=None, stroke_width=1, opacity=1.0):
    """A rounded rectangle; a stroked one sits on half pixels so that 1 px lines stay crisp."""
    if stroke:
        inset = stroke_width / 2
        x, y, w, h = x + inset, y + inset, w - stroke_width, h - stroke_width
        line = f'stroke="{stroke}" stroke-width="{stroke_width}"'
    else:
        line = ""
    return (
        f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="{r}" ry="{r}" '
        f'fill="{fill}" {line} opacity="{opacity}"/>'
    )


def stroke_path(d, colour, width=1.5, opacity=1.0, fill="none"):
    return (
        f'<path d="{d}" fill="{fill}" stroke="{colour}" stroke-width="{width}" '
        f'stroke-linecap="round" stroke-linejoin="round" opacity="{opacity}"/>'
    )


# ---------------------------------------------------------------- buttons


def primary_button(w, h):
    fills = [ACCENT, ACCENT_HOVER, ACCENT_PRESS, DISABLED_FILL]
    return strip(w, h, [rrect(0, 0, w, h, 4, fill) for fill in fills])


def band_button(w, h):
    """A segment in the band colour, for the button that sits inside the path field."""
    fills = [BAND, "#8499C4", "#5F78A8", "#C9D1E0"]
    return strip(w, h, [rrect(0, 0, w, h, 2, fill) for fill in fills])


SECONDARY_LOOKS = [
    ("#FFFFFF", LINE),
    ("#F0F8FF", ACCENT),
    ("#DCEFFE", ACCENT_PRESS),
    ("#F5F6F8", LINE_LIGHT),
]


def secondary_frame(w, h, look):
    fill, border = SECONDARY_LOOKS[look]
    return rrect(0, 0, w, h, 4, fill, border, 1)


def secondary_button(w, h):
    return strip(w, h, [secondary_frame(w, h, i) for i in range(4)])


def chat_button(w, h):
    """Outlined button with a chat bubble in the 32 px on the left of its text."""
    colours = [ACCENT, ACCENT_HOVER, ACCENT_PRESS, ICON_OFF]
    frames = []
    for look, colour in enumerate(colours):
        top = (h - 14) / 2
        bubble = (
            f'<path d="M11,{top + 1} h12 a2,2 0 0 1 2,2 v7 a2,2 0 0 1 -2,2 h-7 l-3,3 v-3 h-2 '
            f'a2,2 0 0 1 -2,-2 v-7 a2,2 0 0 1 2,-2 z" fill="{colour}"/>'
        )
        dots = "".join(
            f'<circle cx="{cx}" cy="{top + 6.5}" r="1.2" fill="#FFFFFF"/>' for cx in (14, 17, 20)
        )
        frames.append(secondary_frame(w, h, look) + bubble + dots)
    return strip(w, h, frames)


# ------------------------------------------------------- title-band icons


def band_icon(glyph, close=False, size=20):
    """White glyph buttons on the coloured title band."""
    hover = rrect(0, 0, size, size, 3, RED if close else "#FFFFFF", opacity=1 if close else 0.18)
    press = rrect(0, 0, size, size, 3, RED_PRESS if close else "#000000", opacity=1 if close else 0.14)
    frames = [
        glyph("#FFFFFF", 0.9),
        hover + glyph("#FFFFFF", 1.0),
        press + glyph("#FFFFFF", 1.0),
        glyph("#FFFFFF", 0.4),
    ]
    return strip(size, size, frames)


def glyph_menu(colour, opacity):
    return "".join(
        f'<rect x="4" y="{y}" width="12" height="2" fill="{colour}" opacity="{opacity}"/>'
        for y in (5, 9, 13)
    )


def glyph_min(colour, opacity):
    return f'<rect x="4" y="9" width="12" height="2" fill="{colour}" opacity="{opacity}"/>'


def glyph_cross(size, inset, width):
    def draw(colour, opacity):
        a, b = inset, size - inset
        return stroke_path(f"M{a},{a} L{b},{b} M{b},{a} L{a},{b}", colour, width, opacity)

    return draw


def dialog_close():
    """Grey cross on the light dialog band; red while hovered."""
    cross = glyph_cross(14, 3.5, 1.6)
    colours = [ICON, RED, RED_PRESS, ICON_OFF]
    return strip(14, 14, [cross(c, 1.0) for c in colours])


# -------------------------------------------------------- file list icons


def glyph_eye(colour):
    return stroke_path("M2.5,10 Q10,2.5 17.5,10 Q10,17.5 2.5,10 Z", colour, 1.5) + (
        f'<circle cx="10" cy="10" r="2.6" fill="{colour}"/>'
    )


def glyph_folder(colour):
    return stroke_path("M3,5.5 h5 l1.8,2 h7.2 a1,1 0 0 1 1,1 v7 a1,1 0 0 1 -1,1 h-13 a1,1 0 0 1 "
                       "-1,-1 v-9 a1,1 0 0 1 1,-1 z M2.5,9.5 h15", colour, 1.5)


def glyph_trash(colour):
    return stroke_path("M3.5,5.5 h13 M8,5.5 v-1.5 h4 v1.5 M5.5,7.5 l0.8,9 h7.4 l0.8,-9 "
                       "M8.5,9.5 v5 M11.5,9.5 v5", colour, 1.5)


def table_button(glyph, hover=ACCENT, press=ACCENT_PRESS):
    colours = [ICON, hover, press, ICON_OFF]
    return strip(20, 20, [glyph(c) for c in colours])


def down_arrow(colour):
    return svg(30, 30, stroke_path("M10.5,12.5 L15,17 L19.5,12.5", colour, 1.6))


# ------------------------------------------------------------- check box


def check_cell(checked, look):
    """One 16 x 16 cell: checked is False, True or 'partial'; look 0..3."""
    if checked is False:
        fills = ["#FFFFFF", "#FFFFFF", "#E8F5FE", "#F0F1F3"]
        borders = [LINE, ACCENT, ACCENT_PRESS, LINE_LIGHT]
        return rrect(1, 1, 14, 14, 2.5, fills[look], borders[look], 1)
    fill = [ACCENT, ACCENT_HOVER, ACCENT_PRESS, "#B9D9F0"][look]
    box = rrect(1, 1, 14, 14, 2.5, fill)
    if checked == "partial":
        return box + '<rect x="4" y="7" width="8" height="2" fill="#FFFFFF"/>'
    return box + stroke_path("M4.5,8.2 L7,10.7 L11.6,5.6", "#FFFFFF", 1.8)


def check_sprite(columns):
    """Cells column by column: x = 16 * column, y = 16 * look."""
    body = ""
    for col, checked in enumerate(columns):
        for look in range(4):
            body += f'<g transform="translate({col * 16},{look * 16})">{check_cell(checked, look)}</g>'
    return svg(16 * len(columns), 64, body)


# --------------------------------------------------------------- shadows


def shadow(size=90):
    """Nine-part border image with 30 px margins: the content rectangle is (30, 30, size-60, size-60).

    The blurred shape reaches 12 px into the corner cells, so the stretched edge parts are even.
    """
    defs = ('<filter id="blur" x="-20%" y="-20%" width="140%" height="140%">'
            '<feGaussianBlur stdDeviation="5"/></filter>')
    inner = size - 60
    body = (
        f'<rect x="18" y="19" width="{size - 36}" height="{size - 36}" fill="#001237" '
        f'fill-opacity="0.20" filter="url(#blur)"/>'
        f'<rect x="29.5" y="29.5" width="{inner + 1}" height="{inner + 1}" fill="none" '
        f'stroke="#001237" stroke-opacity="0.10"/>'
        f'<rect x="30" y="30" width="{inner}" height="{inner}" fill="#FFFFFF"/>'
    )
    return svg(size, size, body, defs)


# ----------------------------------------------------------------- logos


def logo_body(scale=1.0):
    """The product mark on a 256 grid: a landscape photo on an accent tile."""
    return (
        f'<g transform="scale({scale})">'
        f'<rect x="8" y="8" width="240" height="240" rx="56" ry="56" fill="{ACCENT}"/>'
        '<rect x="40" y="56" width="176" height="144" rx="20" ry="20" fill="#FFFFFF"/>'
        '<rect x="58" y="74" width="140" height="108" rx="8" ry="8" fill="#D6EEFE"/>'
        f'<path d="M58,174 L106,118 L134,150 L156,128 L198,170 L198,174 A8,8 0 0 1 190,182 '
        f'L66,182 A8,8 0 0 1 58,174 Z" fill="{ACCENT}"/>'
        f'<path d="M58,174 L58,166 L92,136 L130,182 L66,182 A8,8 0 0 1 58,174 Z" fill="{BAND}"/>'
        f'<circle cx="164" cy="104" r="14" fill="{SUN}"/>'
        '</g>'
    )


def logo(size):
    return svg(size, size, logo_body(size / 256.0))


def maker_button():
    """Maker's mark and name, 168 x 38, tinted by state."""
    colours = [BAND, ACCENT, ACCENT_PRESS, ICON_OFF]
    frames = []
    for colour in colours:
        mark = (rrect(6, 5, 28, 28, 7, colour)
                + stroke_path("M13,12.5 H27 L13,25.5 H27", "#FFFFFF", 3))
        word = (f'<text x="44" y="28" font-family="{FONT}" font-weight="bold" font-size="24" '
                f'letter-spacing="1" fill="{colour}">zentar</text>')
        frames.append(mark + word)
    return strip(168, 38, frames)


# ----------------------------------------------------------- status icons


def badge(cx, cy, r, fill, inner):
    return f'<circle cx="{cx}" cy="{cy}" r="{r}" fill="{fill}"/>{inner}'


def message_icons():
    """Four 40 x 40 icons: 0 error, 1 warning, 2 success, 3 information."""
    c = 20
    cross = stroke_path("M14,14 L26,26 M26,14 L14,26", "#FFFFFF", 3)
    bang = ('<rect x="18.5" y="10" width="3" height="14" rx="1.5" fill="#FFFFFF"/>'
            '<circle cx="20" cy="29" r="2" fill="#FFFFFF"/>')
    tick = stroke_path("M12.5,20.5 L18,26 L28,15", "#FFFFFF", 3)
    info = ('<circle cx="20" cy="12" r="2" fill="#FFFFFF"/>'
            '<rect x="18.5" y="16.5" width="3" height="14" rx="1.5" fill="#FFFFFF"/>')
    icons = [badge(c, c, 18, RED, cross), badge(c, c, 18, AMBER, bang),
             badge(c, c, 18, GREEN, tick), badge(c, c, 18, ACCENT, info)]
    return strip(40, 40, icons)


def question_icon():
    mark = (f'<text x="24" y="34.5" text-anchor="middle" font-family="{FONT}" font-weight="bold" '
            f'font-size="28" fill="#FFFFFF">?</text>')
    return svg(48, 48, badge(24, 24, 22, ACCENT, mark))


def latest_version_icon():
    return svg(40, 40, badge(20, 20, 18, GREEN, stroke_path("M12.5,20.5 L18,26 L28,15", "#FFFFFF", 3)))


def preview_close():
    body = ('<circle cx="18" cy="18" r="16.5" fill="#000000" fill-opacity="0.35" '
            'stroke="#FFFFFF" stroke-opacity="0.85" stroke-width="1.5"/>'
            + stroke_path("M12.5,12.5 L23.5,23.5 M23.5,12.5 L12.5,23.5", "#FFFFFF", 2.2))
    return svg(36, 36, body)


def load_failed():
    """Shown in place of a preview that could not be decoded."""
    body = (
        rrect(0, 0, 200, 150, 10, DIALOG_BAND, LINE, 1)
        # left half of a torn picture
        + '<path d="M58,40 H98 L92,58 L102,74 L94,92 L100,108 H58 Z" fill="#FFFFFF" '
        f'stroke="{LINE}" stroke-width="2" stroke-linejoin="round"/>'
        + f'<path d="M64,100 L80,78 L90,90 L95,84 L99,100 Z" fill="{BAND}" opacity="0.6"/>'
        # right half, shifted
        + '<path d="M108,36 H146 V104 H108 L114,88 L106,72 L116,54 Z" fill="#FFFFFF" '
        f'stroke="{LINE}" stroke-width="2" stroke-linejoin="round"/>'
        + f'<circle cx="132" cy="52" r="6" fill="{SUN}" opacity="0.7"/>'
        + f'<path d="M111,96 L124,78 L140,96 Z" fill="{BAND}" opacity="0.6"/>'
        + badge(146, 104, 12, RED, stroke_path("M141,99 L151,109 M151,99 L141,109", "#FFFFFF", 2.4))
    )
    return svg(200, 150, body)


def arrow_arc(cx, cy, r, start, end, colour, width):
    """An arc from start to end degrees (clockwise on screen) with a head at its end."""
    def point(deg, radius=r):
        rad = math.radians(deg)
        return cx + radius * math.cos(rad), cy + radius * math.sin(rad)

    x0, y0 = point(start)
    x1, y1 = point(end)
    arc = stroke_path(f"M{x0:.2f},{y0:.2f} A{r},{r} 0 0 1 {x1:.2f},{y1:.2f}", colour, width)
    tip = point(end + 14)
    outer = point(end - 4, r + 6)
    inner = point(end - 4, r - 6)
    head = (f'<path d="M{tip[0]:.2f},{tip[1]:.2f} L{outer[0]:.2f},{outer[1]:.2f} '
            f'L{inner[0]:.2f},{inner[1]:.2f} Z" fill="{colour}"/>')
    return arc + head


def converting_frames():
    """Two 64 x 64 frames: the arrows turn a quarter between them."""
    frames = []
    for turn in (0, 90):
        disc = ('<circle cx="32" cy="32" r="30.5" fill="#FFFFFF" stroke="#DCE7F7" stroke-width="1"/>')
        arrows = arrow_arc(32, 32, 21, 200 + turn, 320 + turn, ACCENT, 3.5) + arrow_arc(
            32, 32, 21, 20 + turn, 140 + turn, ACCENT, 3.5)
        photo = (rrect(23, 25, 18, 14, 2.5, "#FFFFFF", BAND, 1.5)
                 + f'<path d="M25.5,36.5 L30,31.5 L33,34.5 L35,32.5 L38.5,36.5 Z" fill="{BAND}"/>'
                 + f'<circle cx="35.5" cy="29.5" r="1.6" fill="{SUN}"/>')
        frames.append(disc + arrows + photo)
    return strip(64, 64, frames)


def home_picture():
    """212 x 148 picture of the home page: photos ready to be dropped."""
    body = (
        f'<ellipse cx="106" cy="82" rx="100" ry="62" fill="{DIALOG_BAND}"/>'
        '<circle cx="28" cy="34" r="5" fill="#DCE7F7"/><circle cx="190" cy="30" r="3.5" fill="#DCE7F7"/>'
        '<circle cx="196" cy="120" r="4" fill="#DCE7F7"/>'
        # back photo
        f'<g transform="rotate(-9 100 72)">{rrect(58, 34, 90, 68, 6, "#DCE4F2")}</g>'
        # front photo
        + rrect(70, 40, 98, 76, 7, "#FFFFFF", LINE, 1.5)
        + rrect(78, 48, 82, 52, 4, "#E3F3FE")
        + f'<path d="M78,100 L78,92 L102,68 L118,84 L130,74 L160,98 L160,100 Z" fill="{ACCENT}"/>'
        + f'<path d="M78,100 L78,96 L96,82 L112,100 Z" fill="{BAND}"/>'
        + f'<circle cx="140" cy="62" r="7" fill="{SUN}"/>'
        # format tag
        + rrect(44, 96, 48, 22, 5, BAND)
        + f'<text x="68" y="111.5" text-anchor="middle" font-family="{FONT}" font-weight="bold" '
        'font-size="11" letter-spacing="0.5" fill="#FFFFFF">HEIC</text>'
        # add badge
        + badge(166, 112, 17, ACCENT, stroke_path("M166,104 V120 M158,112 H174", "#FFFFFF", 3))
        + '<circle cx="166" cy="112" r="17" fill="none" stroke="#FFFFFF" stroke-width="3"/>'
    )
    return svg(212, 148, body)


def highlight(width, height, peak):
    """The running highlight of the progress bars."""
    defs = (f'<linearGradient id="g" x1="0" x2="1" y1="0" y2="0">'
            f'<stop offset="0" stop-color="{ACCENT}" stop-opacity="0"/>'
            f'<stop offset="0.7" stop-color="{ACCENT}" stop-opacity="{peak}"/>'
            f'<stop offset="1" stop-color="{ACCENT}" stop-opacity="0"/></linearGradient>')
    return svg(width, height, f'<rect x="0" y="0" width="{width}" height="{height}" fill="url(#g)"/>', defs)


def spinner_frame(step, count=8):
    """40 x 40 frame of the busy animation: eight dots whose shade trails the head at `step`.

    GIF keeps only on/off transparency, so the dots keep one size and fade by colour.
    """
    shades = [ACCENT, "#3DAFFB", "#5ABAFC", "#77C6FC", "#93D1FD", "#ACDCFD", "#C3E5FE", "#D6EEFE"]
    dots = ""
    for i in range(count):
        age = (step - i) % count  # 0 is the head
        angle = math.radians(-90 + 360.0 * i / count)
        x, y = 20 + 13 * math.cos(angle), 20 + 13 * math.sin(angle)
        dots += f'<circle cx="{x:.2f}" cy="{y:.2f}" r="3.6" fill="{shades[age]}"/>'
    return svg(40, 40, dots)


def empty(width, height):
    return svg(width, height, "")


# ------------------------------------------------------------ the catalogue


def png_catalogue():
    conv = f"{CONVERTER_RES}/Img/res"
    btn = f"{conv}/btn"
    bug = f"{BUGREPORT_RES}/res"
    images = {
        f"{conv}/shadow_main.png": shadow(),
        f"{conv}/png_logo.png": logo(26),
        f"{conv}/png_homeBK.png": home_picture(),
        f"{conv}/down_arrow_normal.png": down_arrow(ICON),
        f"{conv}/down_arrow_hover.png": down_arrow(ACCENT),
        f"{conv}/down_arrow_press.png": down_arrow(ACCENT_PRESS),
        f"{conv}/png_converting.png": converting_frames(),
        f"{conv}/png_close.png": preview_close(),
        f"{conv}/png_loadfail.png": load_failed(),
        f"{conv}/loading_animation.png": highlight(60, 10, 0.55),
        f"{conv}/progressbar.png": highlight(90, 10, 0.85),
        f"{conv}/png_msgicon.png": message_icons(),
        f"{conv}/png_latestversion.png": latest_version_icon(),
        f"{conv}/png_question.png": question_icon(),
        f"{btn}/btn_menu.png": band_icon(glyph_menu),
        f"{btn}/btn_min.png": band_icon(glyph_min),
        f"{btn}/btn_close.png": band_icon(glyph_cross(20, 5.5, 1.8), close=True),
        f"{btn}/btn_homeaddfile.png": primary_button(148, 36),
        f"{btn}/icon_check.png": check_sprite([False, True, "partial", "partial"]),
        f"{btn}/btn_preview.png": table_button(glyph_eye),
        f"{btn}/btn_folder.png": table_button(glyph_folder),
        f"{btn}/btn_del.png": table_button(glyph_trash, RED, RED_PRESS),
        f"{btn}/btn_add.png": secondary_button(110, 30),
        f"{btn}/btn_delete.png": secondary_button(110, 30),
        f"{btn}/btn_alter.png": band_button(52, 32),
        f"{btn}/btn_convert.png": primary_button(110, 32),
        f"{btn}/btn_dlgclose.png": dialog_close(),
        f"{btn}/btn_dlgyes.png": secondary_button(96, 32),
        f"{btn}/btn_dlgno.png": primary_button(96, 32),
        f"{btn}/btn_submit.png": primary_button(110, 32),
        f"{btn}/btn_QQ.png": chat_button(94, 26),
        f"{btn}/btn_zentar.png": maker_button(),
        f"{CONVERTER_RES}/xx.png": empty(8, 9),
        f"{BUGREPORT_RES}/QFaultPost/Resources/shadow_main.png": shadow(),
        f"{bug}/icon_check_16x16.png": check_sprite([False, True]),
        f"{bug}/btn_dlgclose.png": band_icon(glyph_cross(20, 5.5, 1.8), close=True),
        f"{bug}/btn_send.png": primary_button(110, 32),
    }
    for size in APP_ICON_SIZES:
        images[f"{conv}/appicon/pixvue_{size}.png"] = logo(size)
    return images


APP_ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)
ICO_SIZES = (16, 24, 32, 48, 64, 256)


def run(*cmd):
    subprocess.run(cmd, check=True)


def rasterise(svg_text, out_png, work):
    src = os.path.join(work, os.path.basename(out_png) + ".svg")
    with open(src, "w", encoding="utf-8") as f:
        f.write(svg_text)
    os.makedirs(os.path.dirname(out_png), exist_ok=True)
    run("rsvg-convert", "--format=png", "-o", out_png, src)
    return src


def build_gif(root, work):
    frames = []
    for step in range(8):
        out = os.path.join(work, f"spin_{step}.png")
        rasterise(spinner_frame(step), out, work)
        frames.append(out)
    target = os.path.join(root, CONVERTER_RES, "Img/res/gif_checking.gif")
    run("convert-im6.q16", "-delay", "10", "-dispose", "Background", *frames,
        "-channel", "A", "-threshold", "50%", "+channel", "-loop", "0", target)


def build_ico(root, work):
    pngs = []
    for size in ICO_SIZES:
        out = os.path.join(work, f"ico_{size}.png")
        rasterise(logo(size), out, work)
        pngs.append(out)
    target = os.path.join(root, BUGREPORT_RES, "res/logo.ico")
    os.makedirs(os.path.dirname(target), exist_ok=True)
    run("convert-im6.q16", *pngs, target)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("root", help="repository root")
    parser.add_argument("--keep-svg", help="also write the SVG of every image into this folder")
    args = parser.parse_args()
    for tool in ("rsvg-convert", "convert-im6.q16"):
        if shutil.which(tool) is None:
            sys.exit(f"{tool} is missing (Debian packages librsvg2-bin, imagemagick)")
    with tempfile.TemporaryDirectory() as work:
        for rel, text in png_catalogue().items():
            src = rasterise(text, os.path.join(args.root, rel), work)
            if args.keep_svg:
                os.makedirs(args.keep_svg, exist_ok=True)
                shutil.copy(src, os.path.join(args.keep_svg, rel.replace("/", "_") + ".svg"))
        build_gif(args.root, work)
        build_ico(args.root, work)


if __name__ == "__main__":
    main()
