#!/usr/bin/env python3
"""Turns a tool's section of README.md into a help2man include file.

  readme_man_section.py README.md TOOL OUT

The section is the one headed "### TOOL" (up to the next heading of level 2 or
3). It becomes the man page's DETAILS section in plain roff: paragraphs, bullet
lists, tables as indented lines and code blocks as no-fill text.
"""
import re
import sys


def roff_text(text):
    text = text.replace("\\", "\\e")
    text = re.sub(r"\*\*(.+?)\*\*", r"\\fB\1\\fR", text)
    text = re.sub(r"`([^`]+)`", r"\\fB\1\\fR", text)
    text = re.sub(r"\[([^\]]+)\]\([^)]+\)", r"\1", text)
    # A line that starts with a dot or quote would be read as a request.
    return re.sub(r"^([.'])", r"\\&\1", text, flags=re.M)


def section(readme, tool):
    lines = readme.splitlines()
    start = None
    for i, line in enumerate(lines):
        if start is None and re.match(r"^### " + re.escape(tool) + r"\b", line):
            start = i + 1
        elif start is not None and re.match(r"^#{2,3} ", line):
            return lines[start:i]
    return lines[start:] if start is not None else []


def to_roff(lines):
    out = []
    in_code = False
    for line in lines:
        if line.startswith("```"):
            out.append(".fi" if in_code else ".nf")
            in_code = not in_code
            continue
        if in_code:
            out.append(roff_text(line))
        elif not line.strip():
            out.append(".PP")
        elif line.startswith("- "):
            out.append(".IP \\(bu 2")
            out.append(roff_text(line[2:]))
        elif line.startswith("|"):
            cells = [c.strip() for c in line.strip("|").split("|")]
            if all(re.fullmatch(r":?-+:?", c) for c in cells):
                continue
            out.append(".TP")
            out.append(roff_text(cells[0]))
            out.append(roff_text(" ".join(cells[1:])))
        else:
            out.append(roff_text(line.lstrip()))
    if in_code:
        out.append(".fi")
    return out


def main():
    readme_path, tool, out_path = sys.argv[1:4]
    with open(readme_path, encoding="utf-8") as f:
        lines = section(f.read(), tool)
    if not lines:
        sys.exit(f"readme_man_section: no section '### {tool}' in {readme_path}")
    with open(out_path, "w", encoding="utf-8") as f:
        f.write("[DETAILS]\n" + "\n".join(to_roff(lines)) + "\n")


if __name__ == "__main__":
    main()
