#!/usr/bin/env bash
# Installs what is missing and builds CORVEN.EXE, 32-bit (the product) and 64-bit (run under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
echo "CORVEN.EXE (product, i686): $(pwd)/build/win32/app/CORVEN.EXE"
echo "CORVEN.EXE (x86_64, for Wine): $(pwd)/build/win64/app/CORVEN.EXE"
