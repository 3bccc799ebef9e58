#!/usr/bin/env python3
# Writes the hostile companions beside some catalogues of hostile/: each names its
# catalogue in its head (size and XXH3-64, from xxhsum -H3), so that a reader gets
# past the fingerprint to what is wrong inside. Needs xxhsum and zstd.
#
#   tests/browse/hostile_companions.py
import os, random, struct, subprocess, tempfile

here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "hostile")

def varint(n):
    out = b""
    while n >= 0x80:
        out += bytes([(n & 0x7F) | 0x80])
        n >>= 7
    return out + bytes([n])

def fingerprint(catalogue):
    data = open(os.path.join(here, catalogue), "rb").read()
    line = subprocess.run(["xxhsum", "-H3", os.path.join(here, catalogue)], check=True, capture_output=True, text=True).stdout
    digest = line.split("=")[-1].strip() if "=" in line else line.split()[0]
    return len(data), int(digest, 16)

def compress(payload):
    with tempfile.NamedTemporaryFile(delete=False) as f:
        f.write(payload)
    try:
        return subprocess.run(["zstd", "-q", "-c", f.name], check=True, capture_output=True).stdout
    finally:
        os.unlink(f.name)

def head(catalogue, payload_size, flags=0, version=1):
    size, digest = fingerprint(catalogue)
    return b"QVLC" + bytes([version, flags, 0, 0]) + struct.pack("<QQQ", size, digest, payload_size)

def volume():
    return varint(0) + b"".join(varint(len(t)) + t for t in [b"", b"LABEL", b"", b"", b""]) + varint(0) + varint(0)

def write(catalogue, data):
    open(os.path.join(here, catalogue + ".qvc"), "wb").write(data)

# One entry, one folder: a payload that would be fine.
fine = varint(1) + varint(1) + varint(0) + volume() + varint(0) + varint(1)
# Cut short in its zstd frame.
frame = compress(fine)
write("no-end-mark.qvl", head("no-end-mark.qvl", len(fine)) + frame[: len(frame) // 2])
# Counts far beyond what the catalogue could hold.
huge = varint(1 << 40) + varint(1 << 40) + varint(1 << 30) + volume()
write("unclosed-folders.qvl", head("unclosed-folders.qvl", len(huge)) + compress(huge))
# A payload size far beyond the catalogue's, over a small frame.
write("deep.qvl", head("deep.qvl", 1 << 60) + frame)
# Random bytes.
rng = random.Random(21)
write("garbage.qvl", bytes(rng.randrange(256) for _ in range(300)))
# A varint that runs past 64 bits where a time is.
overflow = varint(1) + varint(1) + varint(0) + volume() + varint(0) + b"\xff" * 11
write("extra-folder-ends.qvl", head("extra-folder-ends.qvl", len(overflow)) + compress(overflow))
# Hashes said to be there, and fewer bytes than their bits ask for.
short = varint(3) + varint(1) + varint(0) + volume() + varint(0) + varint(1) * 3 + b"\x07" + b"\x01" * 20
write("tags-only.qvl", head("tags-only.qvl", len(short), flags=1) + compress(short))
# A folder that begins past the entries.
past = varint(1) + varint(2) + varint(0) + volume() + varint(0) + varint(5) + varint(1)
write("name-at-end.qvl", head("name-at-end.qvl", len(past)) + compress(past))
