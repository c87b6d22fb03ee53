#!/usr/bin/env python3
"""Folds a linked CORVEN.EXE's headers into one 512-byte page.

Usage: fold_headers.py EXE   (rewrites EXE in place; a file whose headers already fit is left alone)

The linker puts a 64-byte MS-DOS program ("This program cannot be run in DOS mode") between the
MS-DOS header and the PE headers, and with four section headers that takes the headers 24 bytes
past their first 512-byte page: the file carries a second page of padding. Here the PE headers move
up to follow the MS-DOS header at 0x40 (e_lfanew says where they are; every Windows loader reads
it), the sections' file data move up by the page saved, and the MS-DOS program becomes five bytes
in the header's reserved words that end the program at once (int 21h, function 4Ch, code 1).
Nothing the Windows loader maps changes: no address, size, import or resource.
"""
import struct
import sys

FILE_ALIGNMENT = 0x200
NEW_PE_OFFSET = 0x40
# mov ax, 4C01h; int 21h: the MS-DOS program, in e_res (0x1C..0x23) and e_oemid (0x24), which the
# MS-DOS loader runs from 0x20 once the header is two paragraphs long.
DOS_EXIT = bytes([0xB8, 0x01, 0x4C, 0xCD, 0x21])
DOS_ENTRY = 0x20


def fold(data):
    if data[:2] != b"MZ":
        sys.exit("not an MS-DOS header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit("not a PE file")
    sections = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    alignment = struct.unpack_from("<I", data, optional + 36)[0]
    old_size = struct.unpack_from("<I", data, optional + 60)[0]
    table = optional + optional_size
    headers_end = table + 40 * sections
    new_end = headers_end - pe + NEW_PE_OFFSET
    new_size = -(-new_end // alignment) * alignment
    if alignment != FILE_ALIGNMENT or new_size >= old_size:
        return data  # nothing to save
    saved = old_size - new_size
    # A certificate table (a signed file) would name file offsets: fold before signing.
    directories = optional + (96 if struct.unpack_from("<H", data, optional)[0] == 0x10B else 112)
    if struct.unpack_from("<II", data, directories + 4 * 8)[1] != 0:
        sys.exit("the file is signed: fold its headers before signing")

    headers = bytearray(data[pe:headers_end])
    struct.pack_into("<I", headers, 60 + 24, new_size)  # SizeOfHeaders
    for i in range(sections):
        at = table - pe + 40 * i + 20  # PointerToRawData
        pointer = struct.unpack_from("<I", headers, at)[0]
        if pointer:
            struct.pack_into("<I", headers, at, pointer - saved)

    dos = bytearray(data[:0x40])
    struct.pack_into("<H", dos, 0x08, DOS_ENTRY // 16)  # e_cparhdr: header paragraphs
    struct.pack_into("<HH", dos, 0x14, 0, 0)  # e_ip, e_cs: the program at 0x20
    dos[DOS_ENTRY:DOS_ENTRY + len(DOS_EXIT)] = DOS_EXIT
    struct.pack_into("<I", dos, 0x3C, NEW_PE_OFFSET)  # e_lfanew

    out = bytearray(new_size)
    out[:0x40] = dos
    out[NEW_PE_OFFSET:NEW_PE_OFFSET + len(headers)] = headers
    return bytes(out) + data[old_size:]


def main():
    path = sys.argv[1]
    data = open(path, "rb").read()
    folded = fold(data)
    if folded != data:
        open(path, "wb").write(folded)


if __name__ == "__main__":
    main()
