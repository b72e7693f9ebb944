#!/usr/bin/env python3
"""Splits a folder tree into two halves of about equal bytes, for two scans at once.

Writes OUT.0 and OUT.1, each the entries (files and folders, each followed by a
NUL byte, for xargs -0) that one half scans. The folders of the first level are
opened up so that the halves can be balanced; every file below is counted once,
by its size.

Usage: split_tree.py FOLDER OUT
"""
import os
import sys


def tree_bytes(path):
    total = 0
    for folder, _, files in os.walk(path):
        for name in files:
            try:
                total += os.lstat(os.path.join(folder, name)).st_size
            except OSError:
                pass
    return total


def entries(root, depth):
    """Entries of `root`, with its folders opened up `depth` levels further."""
    out = []
    for name in sorted(os.listdir(root)):
        path = os.path.join(root, name)
        if depth > 0 and os.path.isdir(path) and not os.path.islink(path):
            out.extend(entries(path, depth - 1))
        else:
            out.append(path)
    return out


def main():
    if len(sys.argv) != 3 or not os.path.isdir(sys.argv[1]):
        sys.exit("usage: split_tree.py FOLDER OUT")
    weighed = [(tree_bytes(p) if os.path.isdir(p) else os.lstat(p).st_size, p) for p in entries(sys.argv[1], 1)]
    halves = ([], [])
    weights = [0, 0]
    # Largest first, each to the lighter half.
    for size, path in sorted(weighed, reverse=True):
        lighter = 0 if weights[0] <= weights[1] else 1
        halves[lighter].append(path)
        weights[lighter] += size
    for index, half in enumerate(halves):
        with open("%s.%d" % (sys.argv[2], index), "wb") as out:
            out.write(b"".join(os.fsencode(p) + b"\0" for p in sorted(half)))


if __name__ == "__main__":
    main()
