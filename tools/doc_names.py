#!/usr/bin/env python3
"""Checks that every test the docs name in brackets exists, so that no fact cites a proof that is gone.

Usage: doc_names.py SOURCE_DIR [FILE...]   fails (exit 1) naming each bracketed name that is not
                                          there; the files default to README.md and docs/*.md

In a bracket ("[...]", not a link's text) each name in backticks is one of:
  Suite.Test            a GoogleTest test of tests/*.cpp (TEST or TEST_F);
  group.name            a ctest test: e2e.<scenario>.<personality> of the Wine suite's list, or a
                        name some CMakeLists.txt registers (a name ending in .type<N> is a device's);
  a path                a file of the tree (it holds a slash, or ends in .md, .sh or .py);
  a word                a Wine scenario or personality of tests/e2e/run.sh's list ("*" for any
                        ending).
"""
import fnmatch
import pathlib
import re
import subprocess
import sys

BRACKET = re.compile(r"\[([^\[\]]*)\](?!\()", re.S)
NAME = re.compile(r"`([^`]+)`")
GTEST = re.compile(r"^[A-Z]\w*\.[A-Z]\w*$")
CTEST = re.compile(r"^(e2e|product|style|layers|tools|fuzz|bench|docs)\.[\w.-]+$")


def known(root):
    tests = set()
    for path in (root / "tests").glob("*.cpp"):
        for suite, test in re.findall(r"^TEST(?:_F)?\((\w+),\s*(\w+)\)", path.read_text(encoding="utf-8"), re.M):
            tests.add(suite + "." + test)
    ctests = set()
    for path in root.rglob("CMakeLists.txt"):
        if "build" not in path.relative_to(root).parts:
            ctests.update(re.findall(r"add_test\(\s*NAME\s+([\w.${}-]+)", path.read_text(encoding="utf-8")))
    listed = subprocess.run(["bash", str(root / "tests/e2e/run.sh"), "list"], capture_output=True, text=True,
                            check=True).stdout.split("\n")
    scenarios = [tuple(line.split()) for line in listed if line.strip()]
    return tests, ctests, scenarios


def exists(name, root, tests, ctests, scenarios):
    if GTEST.match(name):
        return name in tests
    if CTEST.match(name):
        if name.startswith("e2e."):
            parts = name.split(".")
            return len(parts) == 3 and (parts[1], parts[2]) in scenarios
        generic = re.sub(r"\.type\d+$", ".type${type}", name)
        return name in ctests or generic in ctests
    if "/" in name or name.endswith((".md", ".sh", ".py")):
        return (root / name).exists()
    words = {word for scenario in scenarios for word in scenario}
    return any(fnmatch.fnmatchcase(word, name) for word in words)


def main():
    root = pathlib.Path(sys.argv[1]).resolve()
    files = [pathlib.Path(f) for f in sys.argv[2:]] or [root / "README.md", *sorted((root / "docs").glob("*.md"))]
    tests, ctests, scenarios = known(root)
    faults, count = [], 0
    for path in files:
        text = path.read_text(encoding="utf-8")
        for bracket in BRACKET.finditer(text):
            for name in NAME.findall(bracket.group(1)):
                count += 1
                if not exists(name, root, tests, ctests, scenarios):
                    line = text.count("\n", 0, bracket.start()) + 1
                    faults.append("%s:%d: `%s` names no test or file there is" % (path.name, line, name))
    for fault in faults:
        print("FAULT: " + fault)
    print("%d bracketed names, %d fault(s)" % (count, len(faults)))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
