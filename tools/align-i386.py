#!/usr/bin/env python3
"""Prints the version pins that let the given i386 packages install beside the amd64 libraries.

A library that both architectures install (Multi-Arch: same) must have one version on both. When
the mirror's i386 security index is missing (a sync in progress), the i386 side offers only the
main release's version while amd64 holds a newer security build. For every such library in the
packages' dependencies, this prints NAME:amd64=V NAME:i386=V, V being the i386 candidate, where
amd64 has or offers V too: apt-get install then moves the amd64 library to the version both share.
"""
import subprocess
import sys


def run(*args):
    return subprocess.run(args, capture_output=True, text=True, check=False).stdout


def closure(packages):
    out = run("apt-cache", "depends", "--recurse", "--no-recommends", "--no-suggests",
              "--no-conflicts", "--no-breaks", "--no-replaces", "--no-enhances", *packages)
    names = set()
    for line in out.splitlines():
        if line and not line[0].isspace() and not line.startswith("<"):
            names.add(line.strip())
    return sorted(names)


def candidates(packages):
    """The candidate version of each package, from one apt-cache policy."""
    found, name = {}, None
    for line in run("apt-cache", "policy", *packages).splitlines():
        if line and not line[0].isspace():
            name = line.rstrip(":")
        elif name and line.strip().startswith("Candidate:"):
            value = line.split(":", 1)[1].strip()
            if value != "(none)":
                found[name] = value
    return found


def offered(packages):
    """The versions each package offers, from one apt-cache madison (which names no architecture)."""
    found = {}
    for line in run("apt-cache", "madison", *packages).splitlines():
        parts = [part.strip() for part in line.split("|")]
        if len(parts) >= 3 and parts[2].endswith((" amd64 Packages", " all Packages")):
            found.setdefault(parts[0], set()).add(parts[1])
    return found


def main():
    names = [name for name in closure(sys.argv[1:]) if name.endswith(":i386")]
    bases = [name[: -len(":i386")] for name in names]
    installed = {}
    out = run("dpkg-query", "-W", "-f=${Package} ${Version} ${Multi-Arch}\\n",
              *[base + ":amd64" for base in bases])
    for line in out.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[2] == "same":
            installed[parts[0]] = parts[1]
    shared = [base for base in bases if base in installed]
    wanted = candidates([base + ":i386" for base in shared])
    amd64 = offered([base + ":amd64" for base in shared]) if shared else {}
    pins = []
    for base in shared:
        version = wanted.get(base + ":i386")
        # Pinned also where amd64 already has it: the resolver otherwise leaves the i386 side out.
        if version and (version == installed[base] or version in amd64.get(base, ())):
            pins += [f"{base}:amd64={version}", f"{base}:i386={version}"]
    print(" ".join(pins + keep_installed(pins, sys.argv[1:])))


def keep_installed(pins, packages):
    """Pins for the packages the move would remove (a -dev package that wants its library's exact
    version): each to the version of the library it follows, else to its candidate."""
    versions = {pin.split("=", 1)[1] for pin in pins}
    kept = []
    for _ in range(6):
        out = run("apt-get", "install", "-s", "--no-install-recommends", "--allow-downgrades",
                  *pins, *kept, *packages)
        removed = sorted({line.split()[1] for line in out.splitlines() if line.startswith("Remv ")})
        if not removed:
            break
        wanted = candidates(removed)
        for name, offers in offered(removed).items():
            shared = sorted(offers & versions)
            version = shared[0] if shared else wanted.get(name)
            if version:
                kept.append(f"{name}={version}")
    return kept


if __name__ == "__main__":
    main()
