#!/usr/bin/env bash
# tools/apt-install.sh against stand-ins for apt-get and dpkg-query on the PATH: an update that
# keeps failing (a mirror mid-sync) is tried again, named, and the install goes on; an install
# that fails says so in one line and fails.
set -euo pipefail
script=$(cd "$(dirname "$0")/../../tools" && pwd)/apt-install.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cat > "$work/bin/apt-get" <<'STANDIN'
#!/usr/bin/env bash
echo "$*" >> "$CALLS"
case " $* " in
  *" update "*) echo "E: Failed to fetch http://mirror/dists/x/main/binary-i386/Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress?" >&2; exit 100 ;;
  *" install "*) exit "$INSTALL_STATUS" ;;
esac
STANDIN
printf '#!/bin/sh\nexit 1\n' > "$work/bin/dpkg-query"
printf '#!/bin/sh\nexec "$@"\n' > "$work/bin/sudo"
chmod +x "$work/bin"/*
export PATH="$work/bin:$PATH" CALLS="$work/calls" CORVEN_APT_PAUSE=0 CORVEN_APT_ATTEMPTS=3
fail() { echo "FAIL: $*"; cat "$work/out" "$CALLS"; exit 1; }

# A failing update: three tries, the index named, then the install with the pin and the option.
INSTALL_STATUS=0 bash "$script" --no-install-recommends tool=1.0 tool > "$work/out" 2>&1 ||
  fail "the install did not go on past the failed update"
[ "$(grep -c update "$CALLS")" -eq 3 ] || fail "the update was not tried three times"
grep -q "without: http://mirror/dists/x/main/binary-i386/Packages.xz" "$work/out" || fail "the failed index is not named"
grep -q "install -y -qq --no-install-recommends tool=1.0 tool" "$CALLS" || fail "the install was not run as asked"

# A failing install: one line that says what failed and why it may have, and a failure.
rm -f "$CALLS"
if INSTALL_STATUS=100 bash "$script" tool > "$work/out" 2>&1; then fail "a failed install was taken for success"; fi
grep -q "^== could not install tool: .*mirror may be in the middle of its sync" "$work/out" || fail "the failure is not explained"
echo "apt-install goes on past a failed update and explains a failed install"
