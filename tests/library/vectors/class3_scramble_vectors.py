#!/usr/bin/python3
"""Known-answer vectors for the class 3 payload scrambling, computed apart from the library.

Written from the algorithm's description alone (passes from seed bits 10..11, stride from bits
12..15, start from bits 0..8; each little-endian word XORed with key words W(o), o stepping by the
stride modulo 512; the start moving on by 2 per word; a last odd byte XORed with single key
bytes). Only the key bytes are read from the library's table source, as data. Not part of the
build; run it by hand and paste its output into class3_scramble_vectors_test.cpp:

    /usr/bin/python3 tests/library/vectors/class3_scramble_vectors.py
"""

import pathlib
import re

ROOT = pathlib.Path(__file__).resolve().parents[3]
TABLE = ROOT / "library/src/class3/model_key_table.cpp"


def key_of(key_id):
    text = TABLE.read_text()
    # Each entry: key id, model code, ten command codes in braces, then the 512 key bytes.
    entries = re.findall(r"\{\s*(0x[0-9A-Fa-f]+),\s*0x[0-9A-Fa-f]+,\s*\{[^}]*\},\s*\{([^}]*)\}",
                         text)
    for kid, body in entries:
        if int(kid, 16) == key_id:
            key = [int(b, 16) for b in re.findall(r"0x[0-9A-Fa-f]+", body)]
            assert len(key) == 512
            return key
    raise SystemExit("no key %#x" % key_id)


def scramble(data, seed, key):
    passes = ((seed >> 10) & 3) + 1
    stride = (seed >> 12) + 1
    start = seed & 0x1FF

    def word(o):
        return key[o] | key[(o + 1) % 512] << 8

    out = list(data)
    i = 0
    while i + 1 < len(out):
        w = out[i] | out[i + 1] << 8
        o = start
        for _ in range(passes):
            w ^= word(o)
            o = (o + stride) % 512
        out[i], out[i + 1] = w & 0xFF, w >> 8
        start = (start + 2) % 512
        i += 2
    if i < len(out):
        b = out[i]
        o = start
        for _ in range(passes):
            b ^= key[o]
            o = (o + stride) % 512
        out[i] = b
    return out


CASES = [
    # seed, key id, plain bytes
    (0x2DFF, 1, list(range(0x10, 0x17))),      # 4 passes, stride 3, start 511, 7 bytes
    (0xF700, 1, [0xA5] * 9),                   # 2 passes, stride 16, start 256, bit 9 set
    (0x19FE, 0x12, [0x00, 0xFF, 0x80, 0x01, 0x7F]),  # 3 passes, stride 2, start 510
    (0x0001, 0xFFFF, [0x12, 0x34]),            # 1 pass, stride 1, start 1
]

for seed, key_id, plain in CASES:
    out = scramble(plain, seed, key_of(key_id))
    print("{0x%04X, 0x%04X, {%s}, {%s}}," % (
        seed, key_id, ", ".join("0x%02X" % b for b in plain), ", ".join("0x%02X" % b for b in out)))
