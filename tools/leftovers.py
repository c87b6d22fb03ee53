#!/usr/bin/env python3
"""The processes a command started and left running: every process whose environment carries the
command's mark (CORVEN_RUN=ID, which every child inherits: Xvfb, Wine's servers and services, the
input agents), other than this script and the processes it runs under.

Usage: leftovers.py ID [--end]
Waits up to ten seconds for them to go (a server that was just told to end is still ending), then
lists those left and exits 1. With --end, ends them first (TERM, then KILL), as after Ctrl-C.
"""
import os
import signal
import sys
import time


def ancestors():
    chain, pid = set(), os.getpid()
    while pid > 1:
        chain.add(pid)
        try:
            with open("/proc/%d/stat" % pid) as stat:
                pid = int(stat.read().rsplit(")", 1)[1].split()[1])
        except OSError:
            break
    return chain


def marked(mark):
    found, skip = {}, ancestors()
    for name in os.listdir("/proc"):
        if not name.isdigit() or int(name) in skip:
            continue
        try:
            with open("/proc/%s/environ" % name, "rb") as environ:
                if mark not in environ.read().split(b"\0"):
                    continue
            with open("/proc/%s/cmdline" % name, "rb") as cmdline:
                found[int(name)] = cmdline.read().replace(b"\0", b" ").decode(errors="replace").strip()
        except OSError:
            continue  # gone meanwhile, or not ours to read
    return found


def main():
    mark = ("CORVEN_RUN=%s" % sys.argv[1]).encode()
    if "--end" in sys.argv[2:]:
        for sig in (signal.SIGTERM, signal.SIGKILL):
            running = marked(mark)
            for pid in running:
                try:
                    os.kill(pid, sig)
                except OSError:
                    pass
            if running:
                time.sleep(1)
    deadline = time.time() + 10
    left = marked(mark)
    while left and time.time() < deadline:
        time.sleep(0.5)
        left = marked(mark)
    for pid, command in sorted(left.items()):
        print("left running: %d %s" % (pid, command[:160]))
    return 1 if left else 0


sys.exit(main())
