#!/usr/bin/env python3
"""Draws the program's icon: a sunset over the sea behind a play triangle, the island of the
splash picture on the horizon. Writes the scalable SVG and renders the PNG sizes of the hicolor
theme with rsvg-convert (Debian's librsvg2-bin), and the tray's 16-colour copy with ImageMagick. A tool, run by hand when the art changes:

    python3 dist/icons/make-icons.py
"""
import pathlib
import subprocess

HERE = pathlib.Path(__file__).resolve().parent
NAME = "org.ostrivo.Ostrivo"
SIZES = (16, 22, 24, 32, 48, 64, 128, 256)

SVG = """<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
  <title>Ostrivo</title>
  <defs>
    <linearGradient id="sky" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#12163e"/>
      <stop offset="0.45" stop-color="#4e3070"/>
      <stop offset="0.8" stop-color="#d6625c"/>
      <stop offset="1" stop-color="#faaa5a"/>
    </linearGradient>
    <linearGradient id="sea" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#1d4f7a"/>
      <stop offset="1" stop-color="#0b2140"/>
    </linearGradient>
    <radialGradient id="sun" cx="0.5" cy="0.5" r="0.5">
      <stop offset="0" stop-color="#fff3c4"/>
      <stop offset="0.7" stop-color="#ffc861"/>
      <stop offset="1" stop-color="#f59a3c"/>
    </radialGradient>
    <clipPath id="tile">
      <rect x="8" y="8" width="240" height="240" rx="44"/>
    </clipPath>
  </defs>
  <g clip-path="url(#tile)">
    <rect x="8" y="8" width="240" height="160" fill="url(#sky)"/>
    <circle cx="128" cy="164" r="46" fill="url(#sun)"/>
    <rect x="8" y="164" width="240" height="84" fill="url(#sea)"/>
    <path d="M150 166 Q176 136 204 150 Q220 156 232 166 Z" fill="#1a1830"/>
    <rect x="92" y="178" width="72" height="6" rx="3" fill="#ffc861" opacity="0.7"/>
    <rect x="106" y="194" width="44" height="5" rx="2.5" fill="#ffc861" opacity="0.5"/>
  </g>
  <rect x="8" y="8" width="240" height="240" rx="44" fill="none" stroke="#0b1030" stroke-width="6"/>
  <path d="M92 56 L176 104 L92 152 Z" fill="#ffffff" stroke="#0b1030" stroke-width="8"
        stroke-linejoin="round"/>
</svg>
"""


def tray_art(png):
    """The tray's copy: the 32 x 32 rendering in at most 16 colours, as an XPM the program
    compiles in."""
    xpm = subprocess.run(["convert", str(png), "-channel", "A", "-threshold", "50%", "+channel",
                          "-colors", "16", "xpm:-"], check=True, capture_output=True,
                         text=True).stdout
    body = xpm.split("{", 1)[1]
    header = ("/* XPM */\n/* The tray icon: the program's icon at 32 x 32 in at most 16 colours,\n"
              "   made by dist/icons/make-icons.py. */\n"
              "static const char* const kTrayIconArt[] = {")
    (HERE.parent.parent / "src" / "main" / "TrayIconArt.xpm").write_text(header + body)


def main():
    scalable = HERE / "scalable" / f"{NAME}.svg"
    scalable.parent.mkdir(parents=True, exist_ok=True)
    scalable.write_text(SVG)
    for size in SIZES:
        out = HERE / f"{size}x{size}" / f"{NAME}.png"
        out.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), "-o", str(out),
                        str(scalable)], check=True)
    tray_art(HERE / "32x32" / f"{NAME}.png")


if __name__ == "__main__":
    main()
