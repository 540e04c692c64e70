#!/usr/bin/env python3
"""Makes small structure-aware fuzzing seeds from full-size XM modules.

Each seed keeps a module's header, its first patterns and every instrument with its envelopes
and sample headers, but at most a few bytes of each sample's data, with the loops cut to
fit. So the fuzzer starts from the real effect and instrument data that trackers write,
without spending its time on megabytes of sample data.

    fuzz/seeds.py OUT_DIR MODULE.xm ...
"""
import os
import struct
import sys

MAX_PATTERNS = 16
MAX_SAMPLE_BYTES = 32


def seed(xm):
    if xm[:17] != b"Extended Module: ":
        return None
    header_size = struct.unpack_from("<I", xm, 60)[0]
    song_length, restart, channels, patterns, instruments = struct.unpack_from("<5H", xm, 64)
    head = bytearray(xm[:60 + header_size])
    kept_patterns = min(patterns, MAX_PATTERNS)
    struct.pack_into("<H", head, 70, kept_patterns)
    out = head
    at = 60 + header_size
    for p in range(patterns):
        length = struct.unpack_from("<I", xm, at)[0]
        packed = struct.unpack_from("<H", xm, at + 7)[0]
        if p < kept_patterns:
            out += xm[at:at + length + packed]
        at += length + packed
    for _ in range(instruments):
        if at + 29 > len(xm):
            break
        size = struct.unpack_from("<I", xm, at)[0]
        count = struct.unpack_from("<H", xm, at + 27)[0]
        out += xm[at:at + size]
        at += size
        headers = []
        for _ in range(count):
            headers.append(bytearray(xm[at:at + 40]))
            at += 40
        datas = []
        for h in headers:
            if len(h) < 40:
                return bytes(out)
            stored, loop_start, loop_length = struct.unpack_from("<3I", h, 0)
            kept = min(stored, MAX_SAMPLE_BYTES)
            datas.append(xm[at:at + kept])
            at += stored
            loop_start = min(loop_start, kept)
            loop_length = min(loop_length, kept - loop_start)
            struct.pack_into("<3I", h, 0, len(datas[-1]), loop_start, loop_length)
            out += h
        for d in datas:
            out += d
    return bytes(out)


def main():
    out_dir, modules = sys.argv[1], sys.argv[2:]
    os.makedirs(out_dir, exist_ok=True)
    for path in modules:
        with open(path, "rb") as f:
            try:
                data = seed(f.read())
            except struct.error:  # a module whose counts run past its end: no seed
                data = None
        if data:
            name = os.path.splitext(os.path.basename(path))[0] + ".xm"
            with open(os.path.join(out_dir, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
