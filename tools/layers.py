#!/usr/bin/env python3
"""Checks that the product's folders include one way: each only what its row of the table allows.

Usage: layers.py SOURCE_DIR            fails (exit 1) naming each include that reaches up or sideways
       layers.py --refuses SOURCE_DIR  the negative control: a scratch copy of the tree with one
                                       include from the ground up to the top must fail the check
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

# Each product folder and the folders of Corven's own it may include, from the ground up. res/ is
# the resource script's header, below everything; <windows.h> is the platform's.
ALLOWED = {
    "res": set(),
    "base": set(),
    "loadline": {"base"},
    "source": {"base"},
    "dialog": {"base"},
    "launch": {"base", "dialog", "res"},
    "ui": {"base", "dialog", "launch", "source", "loadline", "res"},
    "app": {"base", "dialog", "launch", "source", "loadline", "ui", "res"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]+"', re.M)


def faults(root):
    found = []
    for folder, allowed in ALLOWED.items():
        path = os.path.join(root, folder)
        for name in sorted(os.listdir(path)):
            if not name.endswith((".cpp", ".h")):
                continue
            text = open(os.path.join(path, name), encoding="utf-8").read()
            for included in INCLUDE.findall(text):
                if included != folder and included not in allowed:
                    found.append("%s/%s includes %s/, which %s/ may not reach" % (folder, name, included, folder))
    return found


def main():
    if sys.argv[1] == "--refuses":
        with tempfile.TemporaryDirectory() as scratch:
            copy = os.path.join(scratch, "tree")
            shutil.copytree(sys.argv[2], copy, ignore=shutil.ignore_patterns("build", ".git"))
            with open(os.path.join(copy, "base", "text.cpp"), "a") as out:
                out.write('\n#include "app/app.h"\n')
            result = subprocess.run([sys.executable, __file__, copy], capture_output=True, text=True)
            print(result.stdout, end="")
            if result.returncode == 0 or "base/text.cpp includes app/" not in result.stdout:
                print("FAULT: the check let an include from base/ up to app/ through")
                return 1
            return 0
    found = faults(sys.argv[1])
    for fault in found:
        print("FAULT: " + fault)
    print("%d folders, %d fault(s)" % (len(ALLOWED), len(found)))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
