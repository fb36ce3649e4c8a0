#!/usr/bin/env python3
"""Writes the SVG pictures of the two resource folders.

Run from the repository root: python3 scripts/make_resource_pictures.py
The pictures are committed; run this again only after changing a drawing here.
"""
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent / "resources"
COMMON = ROOT / "rmoxResourceData" / "pictures"
DEVICE = ROOT / "QT27ResourceData" / "pictures"

FONT = "DejaVu Sans, Arial, Helvetica, sans-serif"

GREEN, GREEN_EDGE = "#2ea043", "#1c7a30"
RED, RED_EDGE = "#d1242f", "#9c1922"
AMBER, AMBER_EDGE = "#f2a900", "#b57f00"
BRAND = "#00838f"
HOUSING, HOUSING_EDGE = "#dfe3e7", "#8a939c"


def svg(width, height, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">\n{body}</svg>\n')


def write(folder, picture_id, content):
    folder.mkdir(parents=True, exist_ok=True)
    (folder / f"{picture_id}.svg").write_text(content, encoding="utf-8")


# State pictures of a channel value (20 x 20).

def forcing_mark():
    # An amber badge with an "F" in the lower right corner.
    return (f'<rect x="10.5" y="10.5" width="9" height="9" rx="2" fill="{AMBER}" stroke="#ffffff" stroke-width="1"/>\n'
            '<path d="M13.6 12.8 V17.4 M13.6 12.8 H16.8 M13.6 15 H16.2" fill="none" stroke="#3b2b00" '
            'stroke-width="1.3" stroke-linecap="round"/>\n')


def state(valid, forced):
    fill, edge = (GREEN, GREEN_EDGE) if valid else (RED, RED_EDGE)
    body = f'<circle cx="10" cy="10" r="8.5" fill="{fill}" stroke="{edge}" stroke-width="1"/>\n'
    if valid:
        body += ('<path d="M5.6 10.2 L8.6 13.1 L14.4 7.1" fill="none" stroke="#ffffff" stroke-width="2.2" '
                 'stroke-linecap="round" stroke-linejoin="round"/>\n')
    else:
        body += ('<path d="M6.8 6.8 L13.2 13.2 M13.2 6.8 L6.8 13.2" fill="none" stroke="#ffffff" '
                 'stroke-width="2.2" stroke-linecap="round"/>\n')
    if forced:
        body += forcing_mark()
    return svg(20, 20, body)


# Terminal state pictures (24 x 24): a screw terminal in the state colour with its number.

def terminal(number, fill, edge, text):
    body = (f'<rect x="1.5" y="1.5" width="21" height="21" rx="3.5" fill="{fill}" stroke="{edge}" stroke-width="1"/>\n'
            f'<rect x="4" y="3.5" width="16" height="2.5" rx="1" fill="{edge}" opacity="0.55"/>\n'
            f'<text x="12" y="18.6" text-anchor="middle" font-family="{FONT}" font-size="13" '
            f'font-weight="bold" fill="{text}">{number}</text>\n')
    return svg(24, 24, body)


# Module front views (tall DIN-rail housing, 1 : 3.5).

def screw(cx, cy):
    return (f'<circle cx="{cx}" cy="{cy}" r="4.2" fill="#c9ced3" stroke="#5f6870" stroke-width="0.8"/>\n'
            f'<path d="M{cx - 2.6} {cy + 1.2} L{cx + 2.6} {cy - 1.2}" stroke="#5f6870" stroke-width="1.1"/>\n')


def terminal_block(y, colour):
    body = f'<rect x="6" y="{y}" width="48" height="26" rx="2" fill="{colour}"/>\n'
    for row in (0, 1):
        for column in (0, 1, 2):
            body += screw(16 + column * 14, y + 7 + row * 12)
    return body


def module_front(width, height, title, subtitle, leds, stripe, terminal_colour):
    body = (f'<rect x="1" y="1" width="58" height="208" rx="4" fill="{HOUSING}" stroke="{HOUSING_EDGE}" stroke-width="1.2"/>\n'
            + terminal_block(6, terminal_colour)
            + f'<rect x="6" y="38" width="48" height="6" fill="{stripe}"/>\n'
            f'<rect x="8" y="50" width="44" height="116" rx="2" fill="#ffffff" stroke="#b8bfc6" stroke-width="0.8"/>\n'
            f'<text x="30" y="66" text-anchor="middle" font-family="{FONT}" font-size="12" font-weight="bold" '
            f'fill="#263238">{title}</text>\n'
            f'<text x="30" y="78" text-anchor="middle" font-family="{FONT}" font-size="7" fill="#546e7a">{subtitle}</text>\n')
    for index, (label, colour) in enumerate(leds):
        y = 92 + index * 14
        body += (f'<circle cx="20" cy="{y}" r="3.2" fill="{colour}" stroke="#37474f" stroke-width="0.6"/>\n'
                 f'<text x="27" y="{y + 2.5}" font-family="{FONT}" font-size="7" fill="#37474f">{label}</text>\n')
    body += terminal_block(172, terminal_colour)
    body += f'<rect x="24" y="201" width="12" height="4" rx="1" fill="{HOUSING_EDGE}"/>\n'
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" viewBox="0 0 60 210">\n'
            f'{body}</svg>\n')


QT27_LEDS = [("RUN", "#43a047"), ("1", "#66bb6a"), ("2", "#66bb6a"), ("3", "#66bb6a"), ("4", "#66bb6a")]
GENERIC_LEDS = [("RUN", "#43a047"), ("ERR", "#b0bec5")]


# Terminal side of the module for the diagnosis page (180 x 260): one terminal strip
# with terminals 1 - 8 one below the other, 1 - 4 the inputs of channels 1 - 4, 5 - 8
# their common 0 V. The page lays the terminal state picture of index i (24 x 24) over
# the screw of terminal i + 1, at x 64, y 40 + 26 i; without it the screw shows.

def terminal_side(title, strip_colour, ex_mark):
    body = (f'<rect x="8" y="4" width="164" height="252" rx="6" fill="{HOUSING}" stroke="{HOUSING_EDGE}" stroke-width="1.5"/>\n'
            f'<text x="18" y="26" font-family="{FONT}" font-size="15" font-weight="bold" fill="#263238">{title}</text>\n'
            f'<text x="18" y="36" font-family="{FONT}" font-size="7" fill="#546e7a">4 AI</text>\n'
            f'<rect x="56" y="34" width="70" height="218" rx="3" fill="{strip_colour}" stroke="#37474f" stroke-width="0.8"/>\n'
            f'<path d="M58 143 H124" stroke="#263238" stroke-width="1.2"/>\n')
    if ex_mark:
        body += ('<path d="M150 8 L160 13.5 L160 24.5 L150 30 L140 24.5 L140 13.5 Z" fill="#ffd54f" stroke="#5d4037" '
                 'stroke-width="1"/>\n'
                 f'<text x="150" y="23" text-anchor="middle" font-family="{FONT}" font-size="9" font-weight="bold" '
                 'fill="#3e2723">Ex</text>\n')
    # Brackets naming the two groups of terminals.
    for top, bottom, label in ((41, 141, "IN"), (145, 245, "0 V")):
        middle = (top + bottom) / 2
        body += (f'<path d="M50 {top} H46 V{bottom} H50" fill="none" stroke="#78909c" stroke-width="1"/>\n'
                 f'<text x="38" y="{middle}" text-anchor="middle" font-family="{FONT}" font-size="8" fill="#546e7a" '
                 f'transform="rotate(-90 38 {middle})">{label}</text>\n')
    for index in range(8):
        y = 40 + index * 26
        label = f"CH{index + 1}" if index < 4 else "0V"
        body += (f'<rect x="64" y="{y}" width="24" height="24" rx="3.5" fill="#eceff1" stroke="#37474f" stroke-width="0.8"/>\n'
                 + screw(76, y + 12)
                 + f'<rect x="96" y="{y + 6}" width="24" height="12" rx="2" fill="#263238"/>\n'
                 f'<path d="M120 {y + 12} H134" stroke="#b0bec5" stroke-width="3" stroke-linecap="round"/>\n'
                 f'<text x="140" y="{y + 15}" font-family="{FONT}" font-size="9" fill="#37474f">{label}</text>\n')
    return svg(180, 260, body)


def logo():
    return svg(160, 48,
               f'<rect x="4" y="10" width="8" height="28" rx="2" fill="{BRAND}"/>\n'
               f'<rect x="14" y="18" width="8" height="20" rx="2" fill="{BRAND}" opacity="0.6"/>\n'
               f'<text x="30" y="36" font-family="{FONT}" font-size="30" font-weight="bold" fill="#263238">rimox</text>\n'
               f'<rect x="30" y="41" width="118" height="2.5" rx="1" fill="{BRAND}"/>\n')


def main():
    for picture_id, valid, forced in ((150, True, False), (152, False, False), (153, True, True), (155, False, True)):
        write(COMMON, picture_id, state(valid, forced))
    for index in range(8):
        write(COMMON, 400 + index, terminal(index + 1, GREEN, GREEN_EDGE, "#ffffff"))
    for index in range(4):
        write(COMMON, 420 + index, terminal(index + 1, AMBER, AMBER_EDGE, "#3b2b00"))
        write(COMMON, 440 + index, terminal(index + 1, RED, RED_EDGE, "#ffffff"))
    write(COMMON, 601, module_front(60, 210, "QT27", "4 AI", QT27_LEDS, BRAND, "#4a5560"))
    write(COMMON, 609, module_front(60, 210, "rimox", "I/O", GENERIC_LEDS, "#90a4ae", "#4a5560"))
    write(DEVICE, 113, logo())
    write(DEVICE, 126, module_front(72, 252, "QT27", "4 AI", QT27_LEDS, BRAND, "#4a5560"))
    write(DEVICE, 131, terminal_side("QT27", "#5b636b", False))
    write(DEVICE, 132, terminal_side("QT271", "#4f9fdc", True))


if __name__ == "__main__":
    main()
