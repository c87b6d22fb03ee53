#!/usr/bin/env bash
# The release: CORVEN.EXE for every device, built twice from clean folders at different paths and
# compared byte for byte, each checked, then packed by tools/release.py into OUTDIR (default dist/):
# CORVEN-<code>-<device>.EXE per device, SHA256SUMS and MANIFEST.txt, signed when CORVEN_SIGN_PFX
# names a certificate (tools/release.py says how). Exits non-zero, saying why, when a device's two
# builds differ, or a file fails the product check or its size limit.
# Usage: tools/release.sh [OUTDIR]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-dist}
bash tools/install-deps.sh
builds=build/release
rm -rf "$builds"
targets=()
for build in "$builds/first" "$builds/second-elsewhere"; do
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    >/dev/null
  mapfile -t targets < <(cmake --build "$build" --target help | sed -n 's/^\(corven_type[0-9]*\):.*/\1/p')
  [ ${#targets[@]} -gt 0 ] || { echo "release: no device targets in $build" >&2; exit 1; }
  cmake --build "$build" --target "${targets[@]}" >/dev/null
done
differ=0
for file in "$builds"/first/app/type*/CORVEN.EXE; do
  other=$builds/second-elsewhere/${file#"$builds"/first/}
  if ! cmp -s "$file" "$other"; then
    echo "release: ${file#"$builds"/first/} differs between two clean builds" >&2
    differ=1
  fi
done
[ "$differ" -eq 0 ] || exit 1
echo "release: ${#targets[@]} devices, each the same bytes from two clean builds"
python3 tools/release.py "$builds/first/app" "$out"
rm -rf "$builds"
