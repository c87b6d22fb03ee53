#!/usr/bin/env bash
# Installs the Debian packages Corven's builds and tests need, when any is missing.
set -euo pipefail
here=$(dirname "$0")
bash "$here/apt-install.sh" cmake ninja-build g++ clang clang-format libclang-rt-14-dev libgtest-dev \
  libbenchmark-dev python3 mingw-w64 wine64 xvfb imagemagick x11-utils xdotool
# The 32-bit Wine that runs the product itself, under qemu-i386.
bash "$here/install-wine32.sh"
