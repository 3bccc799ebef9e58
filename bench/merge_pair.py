#!/usr/bin/env python3
"""Makes two catalogues of one tree for the merge benchmark, from one catalogue:
A, the catalogue cut down to a share of its root's top folders, and B, the same
after a few changes, as a second listing of the drive would see them: entries
without sizes (as `qvl list --no-sizes` writes them), every 500th folder renamed
(new to A: the merge puts it inside its parent) and every 700th folder gone.

    merge_pair.py CATALOGUE SHARE A B      (SHARE: 0.5 keeps half the top folders)
"""
import re
import sys

TAG = re.compile(rb"[\x00-\x04]")


def records(data):
    """(tag, text) for every record after the header's SectionMark."""
    starts = [m.start() for m in TAG.finditer(data)]
    starts.append(len(data))
    for at, end in zip(starts, starts[1:]):
        yield data[at], data[at + 1:end]


def parse(data):
    """Caption, comment (or None) and the root: folders are [name, entries, children]."""
    it = records(data)
    _, caption = next(it)
    comment = None
    root = [b"", [], []]
    stack = [root]
    first = True
    for tag, text in it:
        if first and tag == 0 and text:
            comment = text
            first = False
            continue
        first = False
        if tag in (3, 4):
            stack[-1][1].append((tag, text))
        elif tag == 1:
            folder = [text, [], []]
            stack[-1][2].append(folder)
            stack.append(folder)
        elif tag == 2 and len(stack) > 1:
            stack.pop()
    return caption, comment, root


def write(path, caption, comment, root):
    out = [b"\x00", caption]
    if comment is not None:
        out += [b"\x00", comment]
    todo = [(root, True)]
    while todo:
        folder, opening = todo.pop()
        if not opening:
            out.append(b"\x02")
            continue
        if folder is not root:
            out += [b"\x01", folder[0]]
        for tag, text in folder[1]:
            out += [bytes([tag]), text]
        todo.append((folder, False))
        todo.extend((child, True) for child in reversed(folder[2]))
    out.append(b"\x00")
    with open(path, "wb") as f:
        f.write(b"".join(out))


def changed(folder, counter):
    """A copy of the folder as the second listing finds it."""
    entries = []
    for tag, text in folder[1]:
        entries.append((tag, text.split(b"/", 1)[0] if tag == 3 else text))
    children = []
    for child in folder[2]:
        counter[0] += 1
        if counter[0] % 700 == 0:
            continue
        copy = changed(child, counter)
        if counter[0] % 500 == 0:
            copy[0] += b" (new)"
        children.append(copy)
    names = {c[0] for c in children}
    kept = [(t, x) for t, x in entries if t == 3 or x in names]
    kept += [(4, c[0]) for c in children if (4, c[0]) not in kept]
    return [folder[0], kept, children]


def main():
    source, share, path_a, path_b = sys.argv[1], float(sys.argv[2]), sys.argv[3], sys.argv[4]
    sys.setrecursionlimit(100000)
    with open(source, "rb") as f:
        caption, comment, root = parse(f.read())
    keep = root[2][: max(1, round(len(root[2]) * share))]
    names = {c[0] for c in keep}
    root = [b"", [(t, x) for t, x in root[1] if t == 3 or x in names], keep]
    write(path_a, caption, comment, root)
    write(path_b, b"t: [second]", None, changed(root, [0]))


if __name__ == "__main__":
    main()
