#!/usr/bin/env python3
"""Lists the characters a result sheet or a site summary can print, for the sheet face.

A sheet prints two kinds of text: what a test file holds and what the program writes.
A test file's texts are code page 936 (GBK): every character that a valid single- or
double-byte sequence decodes to can reach the sheet. The program's own texts are its
string literals; every character outside ASCII in its sources counts (comments too: a
few characters more cost nothing). ASCII, Latin-1, the general punctuation, the circled
numbers and the full-width forms are always kept, whatever the sources hold today.

The list is written as UTF-8, one line of code points in order, and only when it
changed, so that the face is derived again only when a new character appears.

Usage: collect_sheet_characters.py OUTPUT.txt SOURCE_FOLDER...
"""

import os
import sys

SOURCE_SUFFIXES = (".cpp", ".h", ".ui", ".html", ".qrc")
# Folders of a source tree that never reach a sheet.
SKIPPED_FOLDERS = {"build", "build-asan", ".git", "tests", "bench", "fuzz", "samples"}
ALWAYS = [
    (0x0020, 0x007E),  # ASCII
    (0x00A0, 0x00FF),  # Latin-1: µ, ×, °, ±, ²
    (0x2010, 0x2027),  # dashes, quotes, ellipsis
    (0x2030, 0x203B),  # per mille, primes
    (0x20AC, 0x20AC),  # the euro sign of code page 936's byte 0x80
    (0x2103, 0x2103),  # ℃
    (0x2460, 0x2473),  # ① .. ⑳
    (0x3000, 0x3011),  # ideographic space and punctuation
    (0xFF01, 0xFF5E),  # full-width forms
    (0xFFE0, 0xFFE6),  # full-width signs
]


def gbk_repertoire():
    chars = set()
    for byte in range(0x80):
        chars.add(chr(byte))
    for lead in range(0x81, 0xFF):
        for trail in range(0x40, 0xFF):
            if trail == 0x7F:
                continue
            try:
                chars.add(bytes((lead, trail)).decode("gbk"))
            except UnicodeDecodeError:
                pass
    return chars


def source_characters(folders):
    chars = set()
    for folder in folders:
        for root, dirs, files in os.walk(folder):
            dirs[:] = sorted(d for d in dirs if d not in SKIPPED_FOLDERS)
            for name in sorted(files):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                with open(os.path.join(root, name), encoding="utf-8", errors="ignore") as f:
                    chars.update(c for c in f.read() if ord(c) > 0x7E)
    return chars


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    output, folders = sys.argv[1], sys.argv[2:]
    chars = gbk_repertoire() | source_characters(folders)
    for first, last in ALWAYS:
        chars.update(chr(u) for u in range(first, last + 1))
    # Control characters draw nothing; the tab gets its glyph from the face's rewrite.
    text = "".join(sorted(c for c in chars if ord(c) >= 0x20 and ord(c) != 0x7F)) + "\n"
    try:
        with open(output, encoding="utf-8") as f:
            if f.read() == text:
                return
    except OSError:
        pass
    partial = output + ".part"
    with open(partial, "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(partial, output)
    print(f"{output}: {len(text) - 1} characters")


if __name__ == "__main__":
    main()
