#!/usr/bin/env bash
# Installs the given Debian packages that are not installed yet. Options (--...) go to apt-get
# install as they are; a PACKAGE=VERSION pin is installed with them whenever something is missing.
# A mirror in the middle of its sync fails an index or two for an hour: the update is tried a few
# times, then the install goes on with the lists on hand, saying which index it had to do without.
# Usage: tools/apt-install.sh [--apt-option...] [PACKAGE=VERSION...] PACKAGE...
set -euo pipefail
options=()
pins=()
packages=()
for arg in "$@"; do
  case $arg in
    --*) options+=("$arg") ;;
    *=*) pins+=("$arg") ;;
    *) packages+=("$arg") ;;
  esac
done
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -gt 0 ] || exit 0
echo "== installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
attempts=${CORVEN_APT_ATTEMPTS:-3}
pause=${CORVEN_APT_PAUSE:-20}
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for ((attempt = 1; ; attempt++)); do
  if $sudo apt-get update -qq >"$log" 2>&1; then
    break
  fi
  if [ "$attempt" -ge "$attempts" ]; then
    failed=$(grep -o 'Failed to fetch [^ ]*' "$log" | sed 's/^Failed to fetch //' | sort -u | tr '\n' ' ')
    echo "== apt-get update failed $attempts times; going on with the lists on hand, without: ${failed:-(no index named; its output follows)}"
    [ -n "$failed" ] || cat "$log"
    break
  fi
  echo "== apt-get update failed (attempt $attempt of $attempts); trying again in $pause s"
  sleep "$pause"
done
if ! DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${options[@]}" "${pins[@]}" "${missing[@]}" >"$log" 2>&1; then
  cat "$log"
  echo "== could not install ${missing[*]}: apt-get install failed; a Debian mirror may be in the middle of its sync, so try again in an hour"
  exit 1
fi
