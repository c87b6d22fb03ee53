#!/usr/bin/env bash
# The release packing of a win32 build's files (tools/release.py), with a throwaway self-signed
# certificate: every file signed, verified against that certificate and still passing the product
# check; a file changed after signing fails the verification; a wrong password and an unreadable
# certificate fail clearly and leave no release; no certificate gives an unsigned release that says
# so. The signed release stays in OUTPUT for the Wine suite's run of a signed file.
# Usage: release_test.sh SOURCE_FOLDER APP_FOLDER OUTPUT
set -euo pipefail
source=$1
app=$2
output=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}
release() { python3 "$source/tools/release.py" "$app" "$1"; }

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=Corven throwaway test certificate" 2>/dev/null
password=throwaway-$RANDOM-secret
openssl pkcs12 -export -out "$work/cert.pfx" -inkey "$work/key.pem" -in "$work/cert.pem" -passout "pass:$password"

# Signed: nine files, their sums, each verified and checked; the password never in the output.
rm -rf "$output"
said=$(CORVEN_SIGN_PFX=$work/cert.pfx CORVEN_SIGN_PASS=$password release "$output" 2>&1) ||
  fail "the signed release failed: $said"
case $said in *"$password"*) fail "the password was echoed" ;; esac
count=$(find "$output" -name 'CORVEN-*.EXE' | wc -l)
[ "$count" -eq 9 ] || fail "$count files, not 9"
# Each file named CORVEN-<code>-<device>.EXE, one per code, and MANIFEST.txt naming each code with
# what differs: the ISDN modem's companion and no notice.
for code in 1 2 3 4 5 6 7 8 9; do
  names=$(cd "$output" && ls CORVEN-"$code"-*.EXE 2>/dev/null | wc -l)
  [ "$names" -eq 1 ] || fail "$names files for device $code"
  grep -q "^$code  " "$output/MANIFEST.txt" || fail "MANIFEST.txt does not list device $code"
done
find "$output" -name 'CORVEN-*.EXE' | grep -qvE '/CORVEN-[1-9]-[A-Za-z0-9.-]+\.EXE$' && fail "a file name is not CORVEN-<code>-<device>.EXE"
grep -qE '^5  .*  no  TELVANOR\.EXE  ' "$output/MANIFEST.txt" || fail "MANIFEST.txt does not say the ISDN modem's notice and companion"
(cd "$output" && sha256sum -c --quiet SHA256SUMS) || fail "SHA256SUMS does not match the files"
for file in "$output"/CORVEN-*.EXE; do
  osslsigncode verify -CAfile "$work/cert.pem" -in "$file" >/dev/null 2>&1 || fail "$file does not verify"
  python3 "$source/tests/product/pecheck.py" "$file" i686 >/dev/null || fail "$file fails the product check"
done
# The negative control: one byte of the image changed after signing.
file=$(ls "$output"/CORVEN-7-*.EXE)
cp "$file" "$work/changed.exe"
printf '\x90' | dd of="$work/changed.exe" bs=1 seek=2048 conv=notrunc 2>/dev/null
if osslsigncode verify -CAfile "$work/cert.pem" -in "$work/changed.exe" >/dev/null 2>&1; then
  fail "a file changed after signing still verifies"
fi

# A wrong password, and a certificate that cannot be read: a clear message, no release left.
for case in "wrong password" "unreadable certificate"; do
  pfx=$work/cert.pfx pass=wrong
  [ "$case" = "unreadable certificate" ] && pfx=$work/missing.pfx pass=$password
  if said=$(CORVEN_SIGN_PFX=$pfx CORVEN_SIGN_PASS=$pass release "$work/bad" 2>&1); then
    fail "$case: the release did not fail"
  fi
  case $said in *"cannot be used"* | *"cannot be read"*) ;; *) fail "$case: no clear message: $said" ;; esac
  [ ! -e "$work/bad" ] || fail "$case: a release was left"
  [ -z "$(find "$work" -maxdepth 1 -name '.release-*')" ] || fail "$case: a half-made release was left"
done

# No certificate: unsigned, said in one line.
said=$(unset CORVEN_SIGN_PFX && release "$work/unsigned" 2>&1)
[ "$(echo "$said" | grep -c unsigned)" -eq 1 ] || fail "an unsigned release does not say so: $said"
if osslsigncode verify -CAfile "$work/cert.pem" -in "$(ls "$work"/unsigned/CORVEN-7-*.EXE)" >/dev/null 2>&1; then
  fail "an unsigned file verifies"
fi
echo "PASS: a signed release of $count files verifies; a changed file, a wrong password and an unreadable certificate fail"
