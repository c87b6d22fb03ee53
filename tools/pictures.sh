#!/usr/bin/env bash
# Makes the README's pictures from the product itself (run after building the win32 preset): the
# three dialogs and the disk prompt's animation, from the i686 CORVEN.EXE under 32-bit Wine as the
# Wine suite shows them, and a contact sheet of every icon at real size and 4x on both faces.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/win32
trap 'bash tests/e2e/run.sh stop registry "$build" >/dev/null' EXIT # its Wine and Xvfb end with it
for scenario in typical disk_prompt_typed launch_error animation; do
  bash tests/e2e/run.sh "$scenario" registry "$build"
done
cp "$build"/screenshots/{notice,disk-prompt,launch-error}.png docs/
# The animation as captured, each frame shown for as long as it was on the screen.
frames=$build/screenshots/animation
mapfile -t times < "$frames/times"
arguments=()
for i in "${!times[@]}"; do
  next=${times[$((i + 1))]:-$((times[i] + 100))}
  arguments+=(-delay "$(( (next - times[i] + 5) / 10 ))" "$frames/$(printf %03d "$i").png")
done
convert "${arguments[@]}" -loop 0 -layers Optimize docs/disk-prompt.gif
python3 tests/product/iconcheck.py "$build/images" --sheet docs/icons.png > /dev/null
echo "docs/: notice.png disk-prompt.png launch-error.png disk-prompt.gif icons.png"
