#!/usr/bin/env bash
# Installs what is missing, builds CORVEN.EXE and shows its typical run under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
echo "CORVEN.EXE (product, i686): $(pwd)/build/win32/app/CORVEN.EXE"
echo "CORVEN.EXE (x86_64, for Wine): $(pwd)/build/win64/app/CORVEN.EXE"
# The product's typical run under 32-bit Wine: on this screen when there is one, else on Xvfb
# with a screenshot. Its Wine (server, services, the robot that holds the desktop) and the Xvfb it
# started end with this command, whichever way it ends.
export CORVEN_RUN=run-$$
trap 'bash tests/e2e/run.sh stop registry build/win32 >/dev/null; python3 tools/leftovers.py "$CORVEN_RUN" --end' EXIT
trap 'exit 130' INT TERM
bash tests/e2e/run.sh demo registry build/win32
