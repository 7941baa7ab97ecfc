#!/usr/bin/env python3
"""Writes the seed corpus fuzz/corpus/ from two samples: the samples themselves and hostile
variants of them. Run from the repository root: python3 fuzz/make_corpus.py"""
import pathlib
import struct

root = pathlib.Path(__file__).resolve().parent.parent
plain = (root / "samples/MG0001.mg").read_bytes()
saved = (root / "samples/MG0003.mg").read_bytes()  # carries an analysis and project texts
out = root / "fuzz/corpus"
out.mkdir(exist_ok=True)


def patched(base, *patches):
    b = bytearray(base)
    for pos, data in patches:
        b[pos:pos + len(data)] = data
    return bytes(b)


def i32(v):
    return struct.pack("<i", v)


def f32(v):
    return struct.pack("<f", v)


corpus = {
    "sample-plain.mg": plain,
    "sample-with-analysis.mg": saved,
    "empty.mg": b"",
    "truncated-1000.mg": saved[:1000],
    "one-byte-short.mg": saved[:13311],
    "longer-than-a-test.mg": plain + b"\x7f" * 100,
    "text-without-terminator.mg": patched(plain, (148, b"x" * 364)),
    # Two texts of 200 bytes: the text block runs past byte 511.
    "texts-past-511.mg": patched(plain, (148, b"\0" + b"t" * 200 + b"\0" + b"u" * 200 + b"\0" * 10)),
    "acquisition-text-without-terminator.mg": patched(plain, (556, b"y" * 468)),
    "sample-count-5000.mg": patched(plain, (524, i32(5000))),
    "sample-count-negative.mg": patched(plain, (524, i32(-1))),
    "month-13.mg": patched(plain, (556, b"P\0F\0" + i32(2026) + i32(13) + i32(1))),
    "extremes.mg": patched(
        saved,
        (0, i32(3)),
        (4, i32(2**31 - 1) + i32(-2**31) + i32(20000) + i32(-5) + i32(1)),
        (64, i32(99) + i32(-7) + f32(float("nan"))),
        (100, f32(float("inf")) + f32(float("-inf")) + f32(float("nan"))),
        (124, i32(7)),
        (144, i32(-3)),
        (520, i32(0)),
        (544, i32(-2**31)),
        (548, f32(float("nan")) + f32(1e38)),
    ),
    "all-ff.mg": b"\xff" * 13312,
}
for name, data in corpus.items():
    (out / name).write_bytes(data)
