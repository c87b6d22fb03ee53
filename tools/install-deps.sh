#!/usr/bin/env bash
# Installs the Debian packages Corven's builds and tests need, when any is missing.
set -euo pipefail
here=$(dirname "$0")
bash "$here/apt-install.sh" cmake ninja-build g++ clang clang-format libclang-rt-14-dev libgtest-dev \
  libbenchmark-dev python3 mingw-w64 wine64 xvfb imagemagick x11-utils xdotool locales osslsigncode openssl
# The locales whose code pages Wine takes for the double-byte scenarios (932, 936, 949, 950).
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
for locale in ja_JP zh_CN zh_TW ko_KR; do
  locale -a | grep -qix "$locale.utf-\?8" || $sudo localedef -i "$locale" -f UTF-8 "$locale.UTF-8"
done
# The 32-bit Wine that runs the product itself, under qemu-i386.
bash "$here/install-wine32.sh"
