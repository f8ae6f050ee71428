#!/usr/bin/python3
"""Builds the samples' 8-bit Persian faces from a libre Persian font.

usage: make_sample_fonts.py CODE_TABLE OUT_FOLDER NAME=SOURCE.ttf...
       make_sample_fonts.py --widths CODE_TABLE NAME=SOURCE.ttf...

The second form prints, as C++, the advance widths (in the fonts' units) of codes 0x20-0xFF in
each face, which the sample builder uses to place runs from a frame's right edge
(tools/sample_face_widths.h is its output).

CODE_TABLE holds "CODE UNICODE" lines in hexadecimal (print-code-table writes it; the table and
its layout are described in tools/persian_codes.h). Each NAME=SOURCE pair writes OUT_FOLDER/NAME.ttf
(spaces in NAME become underscores in the file name) whose family is NAME and whose character map
gives each code 0x20-0xFF the glyph the table names: ASCII as in the source font, the codes from
0x80 the source's glyphs for the letter forms, digits and ligatures. The reader looks a code up
through code page 1252 and then Latin-1, so both are mapped. Nothing else of the source changes
except its names; the output depends only on the inputs.
"""
import os
import sys

from fontTools.ttLib import TTFont
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable

CP1252_HIGH = [0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
               0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013,
               0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178]


def read_table(path):
    table = {}
    with open(path, encoding="ascii") as f:
        for line in f:
            if line.strip():
                code, unicode = line.split()
                table[int(code, 16)] = int(unicode, 16)
    return table


def code_points(code):
    """The code points under which the reader may look a code up."""
    points = [code]
    if 0x80 <= code < 0xA0 and CP1252_HIGH[code - 0x80]:
        points.append(CP1252_HIGH[code - 0x80])
    return points


def build(name, source, table, out_folder):
    font = TTFont(source, recalcTimestamp=False)
    best = font.getBestCmap()
    glyph_of = {}
    for code in range(0x20, 0x80):
        if code in best:
            glyph_of[code] = best[code]
    for code, unicode in table.items():
        if unicode not in best:
            sys.exit(f"make_sample_fonts: {source} has no glyph for U+{unicode:04X}")
        glyph_of[code] = best[unicode]
    mapping = {}
    for code, glyph in glyph_of.items():
        for point in code_points(code):
            mapping[point] = glyph
    subtables = []
    for platform, encoding in ((0, 3), (3, 1)):
        sub = CmapSubtable.newSubtable(4)
        sub.platformID, sub.platEncID, sub.language = platform, encoding, 0
        sub.cmap = dict(mapping)
        subtables.append(sub)
    font["cmap"].tables = subtables
    # Shaping tables would only describe the source's Unicode text; the reader draws glyph by code.
    for tag in ("GSUB", "GPOS", "GDEF", "kern"):
        if tag in font:
            del font[tag]

    names = font["name"]
    postscript = name.replace(" ", "")
    new_names = {1: name, 2: "Regular", 3: f"{postscript}-sample-8bit", 4: name, 6: postscript}
    for record in list(names.names):
        if record.nameID in (1, 2, 3, 4, 6, 16, 17, 18):
            names.names.remove(record)
    for name_id, text in new_names.items():
        names.setName(text, name_id, 3, 1, 0x409)
        names.setName(text, name_id, 1, 0, 0)
    names.setName("A sample face of the Velmora Reader samples, made from " + os.path.basename(source)
                  + "; its letter forms sit on 8-bit codes of our own.", 10, 3, 1, 0x409)
    os2 = font["OS/2"]
    os2.fsType = 0
    os2.usFirstCharIndex = min(mapping)
    os2.usLastCharIndex = min(max(mapping), 0xFFFF)
    out = os.path.join(out_folder, name.replace(" ", "_") + ".ttf")
    font.save(out, reorderTables=True)
    return out


def glyph_map(font, table):
    best = font.getBestCmap()
    glyph_of = {code: best[code] for code in range(0x20, 0x80) if code in best}
    for code, unicode in table.items():
        glyph_of[code] = best[unicode]
    return glyph_of


def print_widths(table, entries):
    print("// Advance widths, in units of 1/2048 em, of the codes 0x20-0xFF of the sample faces")
    print("// (0 where a face has no glyph). Written by tools/make_sample_fonts.py --widths.")
    print("#pragma once")
    print("#include <array>")
    print("#include <cstdint>")
    print("")
    print("namespace samples {")
    for entry in entries:
        name, _, source = entry.partition("=")
        font = TTFont(source)
        if font["head"].unitsPerEm != 2048:
            sys.exit("make_sample_fonts: expected 2048 units per em")
        glyph_of = glyph_map(font, table)
        hmtx = font["hmtx"]
        widths = [hmtx[glyph_of[c]][0] if c in glyph_of else 0 for c in range(0x20, 0x100)]
        print("")
        print(f"// {name}, from {os.path.basename(source)}.")
        print(f"inline constexpr std::array<uint16_t, 224> k{name.replace(' ', '').replace('_', '')}Widths = {{")
        for i in range(0, 224, 16):
            print("    " + ", ".join(str(w) for w in widths[i:i + 16]) + ",")
        print("};")
    print("")
    print("}  // namespace samples")


def main(argv):
    if len(argv) >= 4 and argv[1] == "--widths":
        print_widths(read_table(argv[2]), argv[3:])
        return
    if len(argv) < 4:
        sys.exit(__doc__)
    table = read_table(argv[1])
    os.makedirs(argv[2], exist_ok=True)
    for entry in argv[3:]:
        name, _, source = entry.partition("=")
        if not name or not source:
            sys.exit(f"make_sample_fonts: expected NAME=SOURCE.ttf, got {entry}")
        build(name, source, table, argv[2])


if __name__ == "__main__":
    main(sys.argv)
