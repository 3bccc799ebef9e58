#!/usr/bin/env python3
"""Writes a copy of a catalogue with changes made at random (repeatable by seed): files
added, removed, given another size, and moved to another folder, in equal shares.

    change_catalogue.py IN OUT [--changes N] [--seed S]

The changes go into the records as they stand; a merge's order is kept, so the copy
is read as any catalogue is, though its folders are no longer sorted."""
import argparse
import random
import re


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("source")
    parser.add_argument("target")
    parser.add_argument("--changes", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    data = open(args.source, "rb").read()
    parts = re.split(rb"([\x00-\x04])", data)
    # parts: text before the first tag (none), then tag, text, tag, text...
    tags, texts = parts[1::2], parts[2::2]
    files = [i for i, t in enumerate(tags) if t == b"\x03" and b"/" in texts[i]]
    rng = random.Random(args.seed)
    chosen = rng.sample(files, args.changes * 2)
    touched = set()
    after = {}  # record index -> records inserted after it
    quarter = args.changes // 4
    for n in range(args.changes):
        i = chosen[n]
        kind = n // quarter if quarter else 0
        if kind == 0:  # a size change
            name, size = texts[i].split(b"/", 1)
            texts[i] = name + b"/" + str(int(size) + 1 + rng.randrange(1000)).encode()
        elif kind == 1:  # a removal
            tags[i] = None
        elif kind == 2:  # an addition beside a file
            size = rng.randrange(10**7)
            after.setdefault(i, []).append(b"\x03added %d-%d.bin/%d" % (args.seed, n, size))
        else:  # a move: the file goes beside one in another folder
            target = chosen[args.changes + n]
            after.setdefault(target, []).append(b"\x03" + texts[i])
            tags[i] = None
        touched.add(i)
    out = []
    for i, tag in enumerate(tags):
        if tag is not None:
            out.append(tag + texts[i])
        out.extend(after.get(i, ()))
    open(args.target, "wb").write(b"".join(out))


if __name__ == "__main__":
    main()
