#!/usr/bin/env python3
"""Writes winsim's tables of the double-byte ANSI code pages, from Python's own codecs.

Usage: mkcodepages.py OUTPUT_FOLDER
Writes cp932.bin, cp936.bin, cp949.bin and cp950.bin: 65536 little-endian 16-bit Unicode values
each, at the byte for a single-byte character and at lead * 256 + trail for a double-byte one;
0xFFFF where the code page has no character. Python's cp932, gbk, cp949 and cp950 are Microsoft's
tables (gbk lacks only the euro sign at 0x80 that Windows' 936 has, added here). Lead bytes are
winsim's own business (codepage.cpp), as the platform states them; a pair is written for every
lead byte the codec decodes.
"""
import struct
import sys

CODECS = {932: "cp932", 936: "gbk", 949: "cp949", 950: "cp950"}
EXTRA = {936: {0x80: 0x20AC}}
NONE = 0xFFFF


def table(code_page):
    codec = CODECS[code_page]
    values = [NONE] * 65536
    for byte in range(128):
        values[byte] = byte
    for byte in range(128, 256):
        try:
            text = bytes([byte]).decode(codec)
            if len(text) == 1:
                values[byte] = ord(text)
        except UnicodeDecodeError:
            pass
    for lead in range(0x81, 0xFF):
        for trail in range(0x40, 0xFF):
            try:
                text = bytes([lead, trail]).decode(codec)
            except UnicodeDecodeError:
                continue
            if len(text) == 1 and ord(text) < 0x10000:
                values[lead * 256 + trail] = ord(text)
    for byte, value in EXTRA.get(code_page, {}).items():
        values[byte] = value
    return values


def main():
    folder = sys.argv[1]
    for code_page in CODECS:
        with open("%s/cp%d.bin" % (folder, code_page), "wb") as out:
            out.write(struct.pack("<65536H", *table(code_page)))


if __name__ == "__main__":
    main()
