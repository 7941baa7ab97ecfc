#!/usr/bin/env python3
"""Derives the result sheet's Song-style face from an installed Noto Serif CJK face.

A PDF reader gets the text of a glyph back only through the ToUnicode map that Qt writes
for the embedded font, and Qt builds that map from the cmap alone: each glyph gets the
lowest code point (0..0xFFFF) that the cmap maps to it, and a glyph that no code point
reaches gets none. With the stock face three things go wrong:
  * a Kangxi radical (U+2F00..U+2FDF) or a supplementary radical (U+2E80..U+2EFF) shares
    its glyph with a unified ideograph, so 工 comes back as U+2F2F;
  * the space glyph comes back as U+0009, because Qt draws a tab the cmap lacks with it;
  * glyphs that shaping puts in place of the cmap glyphs vanish: the 'locl' digits of
    Latin runs ("MG0003" comes back as "MG"), ligatures, localised punctuation.
The derived face keeps the outline and metrics of every glyph a sheet can print, but
  * it carries only the glyphs of the characters listed in CHARACTERS.txt (the GBK
    repertoire a test file can hold and the program's own texts, see
    collect_sheet_characters.py) instead of the 65535 glyphs of the whole CJK face,
  * its cmap leaves out each code point below U+4E00 whose glyph a unified ideograph
    (U+4E00..U+9FFF) also has, and the figure dash U+2012, which shares the en dash's
    glyph (a range "100–3000" would come back with U+2012),
  * its cmap maps U+0009 to the blank glyph of U+2002 (en space), and
  * it has no GSUB table, so every character is drawn with its cmap glyph.
It is renamed, as the SIL Open Font License asks of modified versions ("Noto" is a
trademark); the copyright and licence records are kept. A character the face lacks (a
radical left out, an ideograph outside GBK typed into a file by another program) is drawn
by the source face, which the sheet's font families name right after this one.

Usage: derive_sheet_font.py SOURCE.ttc|SOURCE.otf "SOURCE FAMILY" CHARACTERS.txt OUTPUT.otf
"""

import os
import sys

from fontTools import subset
from fontTools.ttLib import TTCollection, TTFont

FAMILY = "Rovana Serif CJK SC"
POSTSCRIPT = "RovanaSerifCJKSC-Regular"
UNIFIED_FIRST, UNIFIED_LAST = 0x4E00, 0x9FFF
TAB, EN_SPACE = 0x0009, 0x2002
FIGURE_DASH, EN_DASH = 0x2012, 0x2013


def open_face(path, family):
    with open(path, "rb") as f:
        is_collection = f.read(4) == b"ttcf"
    options = dict(lazy=False, recalcBBoxes=False, recalcTimestamp=False)
    faces = TTCollection(path, **options).fonts if is_collection else [TTFont(path, **options)]
    for face in faces:
        if face["name"].getDebugName(1) == family:
            return face
    sys.exit(f"{path}: no face of the family '{family}'")


def rewrite_cmap(face):
    """Returns the code points left out."""
    best = face.getBestCmap()
    ideograph_glyphs = {g for u, g in best.items() if UNIFIED_FIRST <= u <= UNIFIED_LAST}
    dropped = {u for u, g in best.items() if u < UNIFIED_FIRST and g in ideograph_glyphs}
    if not dropped:
        sys.exit("no radical shares an ideograph's glyph: not the expected face")
    # The figure dash shares the en dash's glyph and would take its place in the PDF's
    # text: a range "100–3000" would come back as "100‒3000".
    if best.get(FIGURE_DASH) is not None and best.get(FIGURE_DASH) == best.get(EN_DASH):
        dropped.add(FIGURE_DASH)
    if TAB in best or EN_SPACE not in best or best[EN_SPACE] == best.get(0x20):
        sys.exit("the face has a tab glyph or no blank en space of its own")
    for table in face["cmap"].tables:
        if table.format == 14 or not table.cmap:
            continue
        for u in dropped:
            table.cmap.pop(u, None)
        table.cmap[TAB] = best[EN_SPACE]
    return dropped


def keep_only(face, characters):
    """Drops every glyph no listed character (nor the tab) reaches; returns the count kept."""
    options = subset.Options()
    options.layout_features = ["*"]
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.name_legacy = True
    options.notdef_outline = True
    options.glyph_names = False
    options.recalc_bounds = False
    options.recalc_timestamp = False
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes={ord(c) for c in characters} | {TAB})
    subsetter.subset(face)
    return len(face.getGlyphOrder())


def read_characters(path):
    with open(path, encoding="utf-8") as f:
        characters = set(f.read()) - {"\n"}
    if len(characters) < 20000:
        sys.exit(f"{path}: {len(characters)} characters, fewer than the GBK repertoire")
    return characters


def rename(face):
    name = face["name"]
    version = name.getDebugName(5) or ""
    # Macintosh records and the family, unique, full, PostScript, trademark and
    # typographic names of the source go; copyright, designers and licence stay.
    name.names = [
        r for r in name.names
        if r.platformID == 3 and r.nameID not in (1, 2, 3, 4, 5, 6, 7, 16, 17, 21, 22)
    ]
    for name_id, text in (
        (1, FAMILY),
        (2, "Regular"),
        (3, f"{POSTSCRIPT};derived"),
        (4, FAMILY),
        (5, f"{version}; derived from Noto Serif CJK SC: GBK and the program's texts only, "
            "cmap without radicals that share an ideograph's glyph, tab on a blank glyph of "
            "its own, no GSUB"),
        (6, POSTSCRIPT),
    ):
        name.setName(text, name_id, 3, 1, 0x409)


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    source, family, characters, output = sys.argv[1:]
    wanted = read_characters(characters)
    face = open_face(source, family)
    dropped = rewrite_cmap(face)
    if "GSUB" in face:
        del face["GSUB"]
    glyphs = keep_only(face, wanted)
    rename(face)
    partial = output + ".part"
    face.save(partial)
    os.replace(partial, output)
    print(f"{output}: {FAMILY}, {glyphs} glyphs, {len(dropped)} radicals left out of the cmap")


if __name__ == "__main__":
    main()
