#!/usr/bin/env python3
"""Writes the integrity table of the program: for each library given, its file
name, size and CRC-32 (the same CRC as io/crc32.hpp), as C++ source.

    integrity_table.py OUT.cpp LIBRARY...
"""
import sys
import zlib
from pathlib import Path


def main():
    if len(sys.argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    rows = []
    for name in sys.argv[2:]:
        data = Path(name).read_bytes()
        rows.append('    {L"%s", {%du, 0x%08Xu}},' % (Path(name).name, len(data), zlib.crc32(data) & 0xFFFFFFFF))
    text = "\n".join([
        "// Generated when the program is built: the libraries it was built with.",
        '#include "app/integrity.hpp"',
        "",
        "namespace kestro::app {",
        "",
        "const std::vector<ExpectedLibrary>& BuiltLibraryTable() {",
        "  static const std::vector<ExpectedLibrary> table = {",
        *rows,
        "  };",
        "  return table;",
        "}",
        "",
        "}  // namespace kestro::app",
        "",
    ])
    out = Path(sys.argv[1])
    if not out.exists() or out.read_text() != text:
        out.write_text(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
