#!/usr/bin/env python3
"""Reads CORVEN.EXE itself: headers, alignments, sections, imports by DLL and name, and size.

Usage: pecheck.py EXE i686|x86_64 [MAX_BYTES]   (an i686 file's default: the product's own limit)
Fails (exit 1) naming each thing that breaks what a Windows 4.0 machine at start-up needs. A signed
file's certificate table (Authenticode) must lie after every section, at the file's end, outside the
image; the size limit is the image's, without it.
"""
import struct
import sys
import xml.etree.ElementTree as ElementTree

# Every function the program may import, by DLL: all of them exist on Windows 95 and NT 4.0 (the W
# profile functions and GetSystemDirectoryW as Windows 95's failing stubs, called on NT only).
# COMDLG32 and SHELL32 are not among them: they are loaded when Browse is pressed and when Vista to
# 11 want setup.exe started through the shell, never at start-up.
ALLOWED = {
    "KERNEL32.DLL": {
        "ExitProcess", "GetModuleHandleA", "LoadLibraryA", "GetProcAddress",
        "GetPrivateProfileStringA", "WritePrivateProfileStringA", "GetPrivateProfileStringW",
        "WritePrivateProfileStringW", "GetSystemDirectoryA", "GetSystemDirectoryW", "GetLastError",
        "GetLogicalDrives", "GetLogicalDriveStringsA", "GetDriveTypeA",
        "GetProcessHeap", "HeapAlloc", "HeapReAlloc", "HeapFree", "WinExec", "SetErrorMode", "GetFileAttributesA",
        "GetVersion",
    },
    "USER32.DLL": {
        "DialogBoxParamA", "EndDialog", "GetDlgItem", "SetDlgItemTextA", "SetWindowTextA", "SendMessageA",
        "ShowWindow", "LoadStringA", "wsprintfA", "SetTimer", "KillTimer", "InvalidateRect", "LoadIconA",
        "GetDC", "DrawIcon", "ReleaseDC", "DestroyIcon", "GetDesktopWindow", "GetWindowRect", "SetWindowPos",
        "GetSystemMetrics", "MessageBeep", "CharNextA", "CharPrevA",
    },
    "ADVAPI32.DLL": {"RegOpenKeyExA", "RegQueryValueExA", "RegCloseKey"},
}
# The shipped product's size limit, in 512-byte pages (tests/product/CMakeLists.txt says what each
# page holds); every device's file and the release's files are checked against it.
PRODUCT_LIMIT = {"i686": 23552}
RT_MANIFEST = 24
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
IMAGE_SCN_CNT_CODE = 0x20
IMAGE_SCN_MEM_EXECUTE = 0x20000000


def main():
    path, arch = sys.argv[1], sys.argv[2]
    limit = int(sys.argv[3]) if len(sys.argv) > 3 else PRODUCT_LIMIT.get(arch)
    data = open(path, "rb").read()
    faults = []

    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit("%s: not a PE file" % path)
    machine, sections, stamp = struct.unpack_from("<HHI", data, pe + 4)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    want_machine, want_magic = (0x14C, 0x10B) if arch == "i686" else (0x8664, 0x20B)
    if machine != want_machine:
        faults.append("machine is 0x%x, not 0x%x" % (machine, want_machine))
    if magic != want_magic:
        faults.append("optional header magic 0x%x, not 0x%x" % (magic, want_magic))
    if stamp != 0:
        faults.append("the file carries a time stamp (%d)" % stamp)
    entry = struct.unpack_from("<I", data, optional + 16)[0]
    if entry == 0:
        faults.append("no entry point")
    sub_major, sub_minor = struct.unpack_from("<HH", data, optional + 48)
    subsystem = struct.unpack_from("<H", data, optional + 68)[0]
    if subsystem != 2:
        faults.append("subsystem %d, not the GUI subsystem 2" % subsystem)
    if (sub_major, sub_minor) != (4, 0):
        faults.append("subsystem version %d.%d, not 4.0" % (sub_major, sub_minor))
    section_alignment, file_alignment = struct.unpack_from("<II", data, optional + 32)
    if (section_alignment, file_alignment) != (4096, 512):
        faults.append("alignments %d and %d, not 4096 and 512" % (section_alignment, file_alignment))

    # Data directories: 96 bytes into the PE32 optional header, 112 into PE32+.
    directories = optional + (96 if magic == 0x10B else 112)
    import_rva = struct.unpack_from("<I", data, directories + 8)[0]
    resource_rva = struct.unpack_from("<I", data, directories + 16)[0]
    size_of_optional = struct.unpack_from("<H", data, pe + 20)[0]
    table = optional + size_of_optional
    spans = []
    for i in range(sections):
        name, vsize, va, rsize, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
        flags = struct.unpack_from("<I", data, table + 40 * i + 36)[0]
        spans.append((va, max(vsize, rsize), raw))
        holds = [what for what, rva in (("the import table", import_rva), ("the resources", resource_rva))
                 if va <= rva < va + max(vsize, rsize)]
        section = name.rstrip(b"\0").decode("ascii")
        for what in holds:
            if flags & (IMAGE_SCN_CNT_CODE | IMAGE_SCN_MEM_EXECUTE):
                faults.append("%s in the code section %s" % (what, section))
            if section != {"the import table": ".idata", "the resources": ".rsrc"}[what]:
                faults.append("%s in %s" % (what, section))

    def at(rva):
        for va, size, raw in spans:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("rva 0x%x in no section" % rva)

    def text(rva):
        start = at(rva)
        return data[start:data.index(b"\0", start)].decode("ascii")

    pointer = 8 if magic == 0x20B else 4
    descriptor = at(import_rva)
    while True:
        thunks, _, _, name_rva, first = struct.unpack_from("<IIIII", data, descriptor)
        if name_rva == 0:
            break
        dll = text(name_rva).upper()
        allowed = ALLOWED.get(dll)
        if allowed is None:
            faults.append("imports from %s" % dll)
            allowed = set()
        thunk = at(thunks or first)
        while True:
            value = struct.unpack_from("<Q" if pointer == 8 else "<I", data, thunk)[0]
            if value == 0:
                break
            if value >> (pointer * 8 - 1):
                faults.append("%s imported by ordinal" % dll)
            else:
                function = text(value + 2)
                if function not in allowed:
                    faults.append("imports %s!%s" % (dll, function))
            thunk += pointer
        descriptor += 20

    faults.extend(check_manifest(data, at, resource_rva))

    # The certificate table (directory 4) is the one thing signing adds: a file offset, not an RVA.
    certificates, certificates_size = struct.unpack_from("<II", data, directories + 32)
    image_bytes = len(data)
    if certificates:
        image_end = max(raw + size for _, size, raw in spans)
        if certificates < image_end or certificates + certificates_size != len(data):
            faults.append("the certificate table (offset %d, %d bytes) is not the file's end after the image"
                          % (certificates, certificates_size))
        image_bytes = certificates
    if limit is not None and image_bytes > limit:
        faults.append("%d bytes, more than %d" % (image_bytes, limit))
    for fault in faults:
        print("FAULT: %s: %s" % (path, fault))
    signed = ", signed (%d bytes of certificates after it)" % certificates_size if certificates else ""
    print("%s: %d bytes%s, %s, %d fault(s)" % (path, image_bytes, signed, arch, len(faults)))
    return 1 if faults else 0


def check_manifest(data, at, resource_rva):
    """The manifest (type 24, name 1): well-formed, asking to run as the invoker without UI access,
    and asking for nothing that changes how the program looks or behaves."""
    if resource_rva == 0:
        return ["no resources"]
    root = at(resource_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", data, directory + 12)
        for i in range(named + numbered):
            ident, offset = struct.unpack_from("<II", data, directory + 16 + 8 * i)
            yield ident, offset

    def subdirectory(directory, wanted):
        for ident, offset in entries(directory):
            if ident == wanted and offset & 0x80000000:
                return root + (offset & 0x7FFFFFFF)
        return None

    types = subdirectory(root, RT_MANIFEST)
    names = subdirectory(types, 1) if types is not None else None
    if names is None:
        return ["no manifest resource (type 24, name 1)"]
    languages = list(entries(names))
    if len(languages) != 1 or languages[0][1] & 0x80000000:
        return ["the manifest is not one resource"]
    rva, size = struct.unpack_from("<II", data, root + languages[0][1])
    text = data[at(rva):at(rva) + size]
    try:
        assembly = ElementTree.fromstring(text)
    except ElementTree.ParseError as error:
        return ["the manifest is not well-formed XML: %s" % error]
    faults = []
    if assembly.tag != ASM_V1 + "assembly" or assembly.get("manifestVersion") != "1.0":
        faults.append("the manifest is no assembly of version 1.0")
    levels = assembly.findall(".//%srequestedExecutionLevel" % ASM_V3)
    if len(levels) != 1 or levels[0].get("level") != "asInvoker" or levels[0].get("uiAccess") != "false":
        faults.append("the manifest does not ask for asInvoker without UI access")
    for element in assembly.iter():
        name = element.tag.split("}")[-1]
        if name in ("dependency", "dpiAware", "dpiAwareness", "compatibility", "supportedOS"):
            faults.append("the manifest asks for %s" % name)
    return faults


if __name__ == "__main__":
    sys.exit(main())
