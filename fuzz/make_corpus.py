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


two_micro = (root / "samples/MG0005.mg").read_bytes()  # sampled every 2 us


def knob_word(hz_thousandths):
    """A cut-off as a whole number of thousandths of a hertz."""
    return bytes([128, 1]) + struct.pack(">I", hz_thousandths)


def knob_raw(hz):
    """A cut-off as the bits of a double."""
    return bytes([128, 0]) + struct.pack(">d", hz)


def chain(kind, order, low, high):
    """The knobs past byte 13312: the record's interval, the chain on, the filter kind
    (1 low-pass, 2 high-pass, 3 band-pass), the order, both cut-offs, no gain, channel 1."""
    return bytes([1, 1, kind, 1, order + 1]) + low + high + bytes([0, 1, 2, 0])


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
    # Design lengths no instrument writes: the picker's depths from them must stay ints.
    "design-free-length-inf.mg": patched(saved, (552, f32(float("inf")))),
    "design-free-length-3e38.mg": patched(saved, (552, f32(3e38))),
    "design-length-3e38.mg": patched(saved, (548, f32(3e38))),
    # Lengths from such an interval would be 755377344 m: none are given.
    "interval-2147483647.mg": patched(saved, (520, i32(2**31 - 1))),
    # Past byte 13312 the chain's settings (see fuzz/ReachFuzzCheck.cpp): a high-pass of
    # 10 Hz, order 4, on a 2 us record, whose float sections start at 0/0; and a low-pass of
    # 49999.999999 Hz on a 10 us record, which liquid-dsp refuses with a message.
    "chain-highpass-10hz-2us.mg": two_micro + chain(2, 4, knob_word(10000), knob_word(0)),
    "chain-lowpass-49999.999999hz-10us.mg": plain
    + chain(1, 4, knob_raw(0.0), knob_raw(49999.999999)),
}
for name, data in corpus.items():
    (out / name).write_bytes(data)
