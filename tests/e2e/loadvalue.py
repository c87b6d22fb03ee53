#!/usr/bin/env python3
"""The load= value where each kind of Windows keeps it, written and read byte for byte.

  loadvalue.py utf16-write FILE VALUE
                                      VALUE as UTF-16, as the registry keeps text; the robot's
                                      regset step puts a file of this kind into the registry
  loadvalue.py utf16-read FILE        the text of such a file, as the robot's regget step wrote it
                                      (no file: <absent>)
  loadvalue.py ini-write FILE VALUE [ENCODING]
                                      a win.ini with [windows] load=VALUE among other sections
  loadvalue.py ini-read FILE [ENCODING]
                                      the load value as win.ini's bytes hold it, blanks included

VALUE is taken from the argument's bytes; '-' reads it from standard input (for lines longer than
one argument may be). With an ENCODING (cp932, say: the code page of a Windows 95 win.ini), the
value is UTF-8 and goes into the file in that encoding, and comes out of it as UTF-8 again. A
value that is absent prints <absent>.
"""
import os
import sys


def value_argument(arg):
    if arg == "-":
        return sys.stdin.buffer.read().rstrip(b"\n")
    return os.fsencode(arg)


def utf16_write(path, value):
    text = value.decode("utf-8", "surrogateescape")
    with open(path, "wb") as out:
        out.write(text.encode("utf-16-le", "surrogatepass"))


def utf16_read(path):
    if not os.path.exists(path):
        return b"<absent>"
    text = open(path, "rb").read().decode("utf-16-le", "surrogatepass")
    return text.encode("utf-8", "surrogateescape")


def ini_write(path, value, encoding=None):
    if encoding:
        value = value.decode("utf-8").encode(encoding)
    with open(path, "wb") as out:
        out.write(b"[windows]\r\nload=" + value + b"\r\nrun=\r\n[mail]\r\nMAPI=1\r\n")


def ini_read(path, encoding=None):
    value = ini_value(path)
    return value.decode(encoding).encode("utf-8") if encoding and value != b"<absent>" else value


def ini_value(path):
    section = None
    for line in open(path, "rb").read().split(b"\n"):
        line = line[:-1] if line.endswith(b"\r") else line
        stripped = line.strip()
        if stripped.startswith(b"["):
            section = stripped[1:stripped.find(b"]")].strip().lower()
        elif section == b"windows" and b"=" in line:
            key, value = line.split(b"=", 1)
            if key.strip().lower() == b"load":
                return value
    return b"<absent>"


def main():
    verb, path = sys.argv[1], sys.argv[2]
    if verb == "utf16-write":
        utf16_write(path, value_argument(sys.argv[3]))
    elif verb == "ini-write":
        ini_write(path, value_argument(sys.argv[3]), *sys.argv[4:5])
    elif verb == "utf16-read":
        sys.stdout.buffer.write(utf16_read(path) + b"\n")
    elif verb == "ini-read":
        sys.stdout.buffer.write(ini_read(path, *sys.argv[3:4]) + b"\n")
    else:
        sys.exit("loadvalue.py: no such verb " + verb)


if __name__ == "__main__":
    main()
