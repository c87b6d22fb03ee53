#!/usr/bin/env python3
"""Checks that no function of the product is longer than a reader can hold at once.

Usage: function_lengths.py SOURCE_DIR [LIMIT]   fails (exit 1) naming each function whose body
                                                 (the lines between its braces) is over LIMIT (35)

A function here is what the style writes as one: a body that opens with "{" alone at the start of
a line and closes with "}" alone at the start of a line.
"""
import pathlib
import sys

PRODUCT = ("app", "base", "dialog", "launch", "loadline", "source", "ui")


def bodies(path):
    lines = path.read_text(encoding="utf-8").splitlines()
    start = None
    for number, line in enumerate(lines, 1):
        if line == "{":
            start = number
        elif line == "}" and start is not None:
            yield start - 1, number - start - 1, lines[start - 2] if start > 1 else ""
            start = None


def main():
    root = pathlib.Path(sys.argv[1])
    limit = int(sys.argv[2]) if len(sys.argv) > 2 else 35
    longest, faults = 0, []
    for folder in PRODUCT:
        for path in sorted((root / folder).glob("*.[ch]*")):
            for line, length, signature in bodies(path):
                longest = max(longest, length)
                if length > limit:
                    faults.append("%s:%d: %d lines: %s" % (path.relative_to(root), line, length, signature.strip()))
    for fault in faults:
        print("FAULT: " + fault)
    print("the longest function has %d lines (limit %d)" % (longest, limit))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
