#!/usr/bin/env python3
"""The sizes the README states of the product are the built file's own.

Usage: readme_figures.py README.md CORVEN.EXE [ui/ui.h [DOC...]]
Reads the sentence "one file of N bytes" and the rows of the size table (the whole file and its
.rsrc section) in the README and the further documents given (docs/design.md holds the table), and
fails (exit 1) naming each figure that differs from the file. Given the disk prompt's header, also
the reminder's period: "a reminder sounds every ten seconds" is kRemindPeriod.
"""
import re
import struct
import sys


def number(text):
    return int(text.replace(",", ""))


def resource_bytes(data):
    """The .rsrc section's size as loaded (its virtual size)."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, = struct.unpack_from("<H", data, pe + 6)
    optional_size, = struct.unpack_from("<H", data, pe + 20)
    table = pe + 24 + optional_size
    for i in range(sections):
        name, virtual_size = struct.unpack_from("<8sI", data, table + 40 * i)
        if name.rstrip(b"\0") == b".rsrc":
            return virtual_size
    sys.exit("no .rsrc section in the file")


NUMBER_WORDS = {1: "second", 2: "two seconds", 3: "three seconds", 4: "four seconds", 5: "five seconds",
                6: "six seconds", 10: "ten seconds", 15: "fifteen seconds", 20: "twenty seconds",
                30: "thirty seconds"}


def reminder_words(header):
    """The reminder's period as the README says it, from the header that names it."""
    found = re.search(r"kRemindPeriod = (\d+);", open(header, encoding="utf-8").read())
    if not found:
        sys.exit("%s names no kRemindPeriod" % header)
    seconds = int(found.group(1)) // 1000
    return NUMBER_WORDS.get(seconds, "%d seconds" % seconds)


def main():
    readme, exe = sys.argv[1], sys.argv[2]
    text = "".join(open(doc, encoding="utf-8").read() for doc in [readme] + sys.argv[4:])
    data = open(exe, "rb").read()
    wanted = [
        ("the file's size in the introduction", r"one file of ([\d,]+) bytes", len(data)),
        ("the file's row of the size table", r"\| `build/win32/app/CORVEN\.EXE`[^|]*\| ([\d,]+) \|", len(data)),
        ("the resources' row of the size table", r"\| of which resources \(`\.rsrc`\) \| ([\d,]+) \|",
         resource_bytes(data)),
    ]
    faults = []
    if len(sys.argv) > 3:
        words = reminder_words(sys.argv[3])
        if "a reminder sounds every %s" % words not in text:
            faults.append("the reminder's period: \"a reminder sounds every %s\" not found" % words)
    for what, pattern, real in wanted:
        found = re.search(pattern, text)
        if not found:
            faults.append("%s: not found (%s)" % (what, pattern))
        elif number(found.group(1)) != real:
            faults.append("%s says %s, the built file has %d" % (what, found.group(1), real))
    for fault in faults:
        print("%s: %s" % (readme, fault))
    sys.exit(1 if faults else 0)


main()
