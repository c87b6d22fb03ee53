#!/usr/bin/env bash
# Retakes the README's pictures from the product itself: the i686 CORVEN.EXE under 32-bit Wine,
# as the Wine suite's scenarios show each dialog. Run after building the win32 preset.
set -euo pipefail
cd "$(dirname "$0")/.."
for scenario in typical disk_prompt_typed launch_error; do
  bash tests/e2e/run.sh "$scenario" registry build/win32
done
cp build/win32/screenshots/{notice,disk-prompt,launch-error}.png docs/
echo "docs/: notice.png disk-prompt.png launch-error.png"
