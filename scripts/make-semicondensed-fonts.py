#!/usr/bin/python3
"""Cuts the program's "Open Sans SemiCondensed" faces from the variable Open Sans.

Run by hand when the faces are to be made again; builds and tests use the committed files and
never run it. It needs Debian's python3-fonttools and python3-brotli (for the woff2 input), so it
runs with the system python.

    npm install --prefix /tmp/fonts @fontsource-variable/open-sans@5.3.0
    scripts/make-semicondensed-fonts.py /tmp/fonts/node_modules/@fontsource-variable/open-sans \
        resources/widgets/fonts/OpenSans

The package splits the font into per-script subsets with width and weight axes. Each face is
every subset the program's two languages need, pinned at width 87.5 (semi-condensed) and the
face's weight, merged into one static font. The name table is rewritten to a family of its own,
so an installed Open Sans can neither replace nor shadow it.
"""
import pathlib
import shutil
import sys
import tempfile

from fontTools.merge import Merger
from fontTools.ttLib import TTFont
from fontTools.varLib import instancer

FAMILY = "Open Sans SemiCondensed"
POSTSCRIPT_FAMILY = "OpenSansSemiCondensed"
FILE_PREFIX = "OpenSans_SemiCondensed-"
WIDTH = 87.5
SEMI_CONDENSED_WIDTH_CLASS = 4
SUBSETS = ("latin", "latin-ext", "cyrillic", "cyrillic-ext")

# (style name, weight, italic)
FACES = (
    ("Regular", 400, False),
    ("SemiBold", 600, False),
    ("Bold", 700, False),
    ("Italic", 400, True),
    ("BoldItalic", 700, True),
)

FS_ITALIC, FS_BOLD, FS_REGULAR = 1 << 0, 1 << 5, 1 << 6
MAC_BOLD, MAC_ITALIC = 1 << 0, 1 << 1
WINDOWS, UNICODE_BMP, ENGLISH_US = 3, 1, 0x409


def pinned_subset(package, subset, weight, italic, folder):
    """One subset as a static TrueType file at the face's weight and width."""
    style = "italic" if italic else "normal"
    font = TTFont(package / "files" / f"open-sans-{subset}-wdth-{style}.woff2")
    static = instancer.instantiateVariableFont(font, {"wght": weight, "wdth": WIDTH})
    static.flavor = None
    path = folder / f"{subset}.ttf"
    static.save(path)
    return str(path)


def style_names(style, italic):
    """(legacy family, legacy subfamily, typographic subfamily, full name) of a face."""
    ribbi = style in ("Regular", "Bold", "Italic", "BoldItalic")
    readable = {"BoldItalic": "Bold Italic", "SemiBold": "SemiBold"}.get(style, style)
    if ribbi:
        return FAMILY, readable, readable, f"{FAMILY} {readable}"
    return f"{FAMILY} {readable}", "Italic" if italic else "Regular", readable, f"{FAMILY} {readable}"


def rename(font, style, weight, italic):
    copyright_text = font["name"].getDebugName(0)
    licence_text = font["name"].getDebugName(13)
    licence_url = font["name"].getDebugName(14)
    version = font["name"].getDebugName(5)
    family, subfamily, typographic, full = style_names(style, italic)
    postscript = f"{POSTSCRIPT_FAMILY}-{style}"
    names = {
        0: copyright_text,
        1: family,
        2: subfamily,
        3: f"{version};{postscript}",
        4: full,
        5: version,
        6: postscript,
        13: licence_text,
        14: licence_url,
        16: FAMILY,
        17: typographic,
    }
    table = font["name"]
    table.names = []
    for name_id, text in names.items():
        if text:
            table.setName(text, name_id, WINDOWS, UNICODE_BMP, ENGLISH_US)


def mark_style(font, weight, italic):
    os2 = font["OS/2"]
    os2.usWeightClass = weight
    os2.usWidthClass = SEMI_CONDENSED_WIDTH_CLASS
    bold = weight >= 700
    os2.fsSelection &= ~(FS_ITALIC | FS_BOLD | FS_REGULAR)
    os2.fsSelection |= (FS_ITALIC if italic else 0) | (FS_BOLD if bold else 0)
    if not italic and not bold:
        os2.fsSelection |= FS_REGULAR
    font["head"].macStyle = (MAC_BOLD if bold else 0) | (MAC_ITALIC if italic else 0)


def make_face(package, output, style, weight, italic):
    with tempfile.TemporaryDirectory() as scratch:
        folder = pathlib.Path(scratch)
        parts = [pinned_subset(package, subset, weight, italic, folder) for subset in SUBSETS]
        font = Merger().merge(parts)
    rename(font, style, weight, italic)
    mark_style(font, weight, italic)
    path = output / f"{FILE_PREFIX}{style}.ttf"
    font.save(path)
    print(f"{path}: {len(font.getGlyphOrder())} glyphs")


def main():
    if len(sys.argv) != 3:
        sys.exit(f"usage: {sys.argv[0]} <@fontsource-variable/open-sans folder> <output folder>")
    package, output = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    output.mkdir(parents=True, exist_ok=True)
    for style, weight, italic in FACES:
        make_face(package, output, style, weight, italic)
    shutil.copyfile(package / "LICENSE", output / "OFL.txt")


if __name__ == "__main__":
    main()
