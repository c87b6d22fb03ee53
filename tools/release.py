#!/usr/bin/env python3
"""Packs the built CORVEN.EXE of every device into a release folder, signed when given a certificate.

Usage: release.py APP_FOLDER OUTDIR
APP_FOLDER is a win32 build's app/ (typeN/CORVEN.EXE for each device code of base/device.cpp).
OUTDIR gets one file per device, CORVEN-<code>-<device>.EXE (each is CORVEN.EXE once installed),
SHA256SUMS in the form `sha256sum -c` reads, and MANIFEST.txt (code, device, size, what differs).

Signing (Authenticode, osslsigncode): CORVEN_SIGN_PFX names a PKCS#12 file; its password comes from
CORVEN_SIGN_PASS, or from the file CORVEN_SIGN_PASS_FILE, and goes to osslsigncode in a file of
this user's alone, never on a command line or in the output; CORVEN_SIGN_TIMESTAMP_URL, if set, is
an RFC 3161 time-stamp server. Without CORVEN_SIGN_PFX the release is unsigned, and says so.

Each file must pass the product check (tests/product/pecheck.py) within the size limit, signed or
not. The folder is written beside OUTDIR and put in its place only when whole: a failure (a check,
a wrong password, an unreadable certificate) leaves no release and no half-signed file.
"""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ROW = re.compile(r'^    \{(\d+), "([^"]*)",\s*(true|false),\s*(true|false),\s*(true|false),\s*(\d+),\s*'
                 r'(nullptr|"[^"]*")')


def fail(why):
    sys.exit("release: %s" % why)


def devices():
    """The rows of the device table, as CMake counts them: code, name, notice, companion, Browse."""
    rows = []
    with open(os.path.join(SOURCE, "base", "device.cpp"), encoding="utf-8") as table:
        for line in table:
            found = ROW.match(line)
            if found:
                code, name, notice, companion, _, _, browse = found.groups()
                rows.append((int(code), name, notice == "true", companion == "true",
                             browse.strip('"') if browse != "nullptr" else "-"))
    if not rows:
        fail("no device rows in base/device.cpp")
    return rows


def file_name(code, name):
    """CORVEN-7-Halvern-56000-Voice-Video-Faxmodem.EXE: letters, digits and dots of the name."""
    words = re.findall(r"[A-Za-z0-9.]+", name)
    return "CORVEN-%d-%s.EXE" % (code, "-".join(words))


def check(path):
    # The product check with its own size limit for the shipped file.
    result = subprocess.run([sys.executable, os.path.join(SOURCE, "tests", "product", "pecheck.py"), path, "i686"],
                            capture_output=True, text=True)
    if result.returncode != 0:
        fail("%s fails the product check:\n%s" % (os.path.basename(path), result.stdout.strip()))


def password_file(work):
    """A file holding the certificate's password, readable by this user alone."""
    given = os.environ.get("CORVEN_SIGN_PASS_FILE")
    if given:
        if not os.access(given, os.R_OK):
            fail("the password file CORVEN_SIGN_PASS_FILE cannot be read")
        return given
    path = os.path.join(work, "password")
    descriptor = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
    with os.fdopen(descriptor, "w") as out:
        out.write(os.environ.get("CORVEN_SIGN_PASS", ""))
    return path


def sign(path, certificate, password, work):
    signed = os.path.join(work, "signed.exe")
    command = ["osslsigncode", "sign", "-pkcs12", certificate, "-readpass", password, "-n", "Corven",
               "-h", "sha256", "-in", path, "-out", signed]
    url = os.environ.get("CORVEN_SIGN_TIMESTAMP_URL")
    if url:
        command[2:2] = ["-ts", url]
    result = subprocess.run(command, capture_output=True, text=True)
    if result.returncode != 0 or not os.path.isfile(signed):
        # osslsigncode names the cause (a wrong password, a file that is no PKCS#12); its output
        # never holds the password, which it reads from the file.
        fail("signing %s failed: the certificate cannot be used (wrong password, or not a readable "
             "PKCS#12 file)\n%s" % (os.path.basename(path), (result.stderr or result.stdout).strip()))
    os.replace(signed, path)


def main():
    if len(sys.argv) != 3:
        fail("usage: release.py APP_FOLDER OUTDIR")
    app, out = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    certificate = os.environ.get("CORVEN_SIGN_PFX")
    if certificate and not os.access(certificate, os.R_OK):
        fail("the certificate CORVEN_SIGN_PFX (%s) cannot be read" % certificate)
    parent = os.path.dirname(out)
    os.makedirs(parent, exist_ok=True)
    staging = tempfile.mkdtemp(prefix=".release-", dir=parent)
    work = tempfile.mkdtemp(prefix="corven-sign-")
    try:
        password = password_file(work) if certificate else None
        sums, manifest = [], []
        manifest.append("Corven %s release: one CORVEN.EXE per device; install it as CORVEN.EXE."
                        % ("signed" if certificate else "unsigned"))
        manifest.append("code  device  bytes  notice  companion  program the Open dialog of Browse names first")
        for code, name, notice, companion, browse in devices():
            built = os.path.join(app, "type%d" % code, "CORVEN.EXE")
            if not os.path.isfile(built):
                fail("no build of device %d (%s)" % (code, built))
            target = os.path.join(staging, file_name(code, name))
            shutil.copyfile(built, target)
            check(target)
            if certificate:
                sign(target, certificate, password, work)
                check(target)
            data = open(target, "rb").read()
            sums.append("%s  %s" % (hashlib.sha256(data).hexdigest(), os.path.basename(target)))
            manifest.append("%d  %s  %d  %s  %s  %s" % (code, name, len(data), "yes" if notice else "no",
                                                       "TELVANOR.EXE" if companion else "no", browse))
        with open(os.path.join(staging, "SHA256SUMS"), "w") as out_sums:
            out_sums.write("\n".join(sums) + "\n")
        with open(os.path.join(staging, "MANIFEST.txt"), "w") as out_manifest:
            out_manifest.write("\n".join(manifest) + "\n")
        if os.path.isdir(out):
            shutil.rmtree(out)
        os.rename(staging, out)
    finally:
        shutil.rmtree(staging, ignore_errors=True)
        shutil.rmtree(work, ignore_errors=True)
    print("release: %d files in %s, %s" % (len(sums), out, "signed" if certificate else
                                            "unsigned (set CORVEN_SIGN_PFX to sign)"))


main()
