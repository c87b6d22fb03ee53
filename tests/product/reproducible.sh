#!/usr/bin/env bash
# Builds CORVEN.EXE twice from clean folders at different paths and compares the bytes.
# Usage: reproducible.sh SOURCE_FOLDER TOOLCHAIN_FILE
set -euo pipefail
source=$1
toolchain=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for build in "$work/first" "$work/second-build-elsewhere"; do
  cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
  cmake --build "$build" --target corven >/dev/null
done
if cmp "$work/first/app/CORVEN.EXE" "$work/second-build-elsewhere/app/CORVEN.EXE"; then
  echo "two clean builds: $(stat -c %s "$work/first/app/CORVEN.EXE") identical bytes"
else
  echo "FAULT: two clean builds differ"
  exit 1
fi
