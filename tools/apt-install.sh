#!/usr/bin/env bash
# Installs the given Debian packages that are not installed yet; apt options go first.
# Usage: tools/apt-install.sh [--no-install-recommends] PACKAGE...
set -euo pipefail
options=()
while [ "${1:-}" = --no-install-recommends ]; do options+=("$1"); shift; done
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -gt 0 ] || exit 0
echo "== installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${options[@]}" "${missing[@]}" >/dev/null
