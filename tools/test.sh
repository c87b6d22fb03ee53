#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test, saying how long each stage took.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
stage_start=$start
stage() {
  local now
  now=$(date +%s)
  echo "== $1 took $((now - stage_start)) s"
  stage_start=$now
}
# One preset configured and built; fails at the first step that fails, also where errexit is off.
configure_and_build() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1"
}

# Every process this command starts carries its mark. Whatever ends the command (a failure, Ctrl-C),
# what it started ends with it; and at its end none of them may be left running.
export CORVEN_RUN=test-$$-$start
beside=""
end_what_was_started() {
  [ -z "$beside" ] || kill "$beside" 2>/dev/null || true
  python3 tools/leftovers.py "$CORVEN_RUN" --end >/dev/null || true
}
trap end_what_was_started EXIT
trap 'exit 130' INT TERM

bash tools/install-deps.sh
stage "installing what was missing"
echo "== win32: configure and build"
configure_and_build win32
stage "win32: configure and build"
echo "== win32: checks of the built file"
ctest --preset win32 -LE e2e -j2
stage "win32: checks of the built file"

# A Wine scenario waits much of its time (for windows, input and the emulated Wine), so the other
# two builds take the processor it leaves, at the lowest priority, so that no scenario is starved.
mkdir -p build
builds_log=build/builds-beside-the-suite.log
(for preset in win64 host; do
  echo "== $preset: configure and build"
  nice -n 19 bash -c "$(declare -f configure_and_build); configure_and_build $preset"
done) > "$builds_log" 2>&1 &
beside=$!
echo "== win32: the Wine suite (win64 and host build beside it, their output after it)"
# The two personalities side by side (each with its own prefix, display and lock). A scenario that
# fails is run once more before the suite fails: the emulated Wine and the X server make a rare run
# stumble. Every failure is printed either way.
# (-FS: the signed file the suite runs was made by the checks above, not made again here.)
ctest --preset win32 -L e2e -j2 --repeat until-pass:2 -FS signed_release
stage "win32: the Wine suite"
built=0
wait "$beside" || built=$?
beside=""
cat "$builds_log"
[ "$built" -eq 0 ] || { echo "== the builds beside the suite failed"; exit 1; }
stage "win64 and host: the rest of their build"

# The host tests, two at a time, beside the win64 checks and its Wine suite, whose scenarios leave
# the processor idle while they wait; their output after them.
host_log=build/host-tests.log
ctest --preset host -j2 > "$host_log" 2>&1 &
beside=$!
echo "== win64: checks of the built file (the host tests beside it and the suite)"
ctest --preset win64 -LE e2e
stage "win64: checks of the built file"
echo "== win64: the Wine suite"
ctest --preset win64 -L e2e -j2 --repeat until-pass:2
stage "win64: the Wine suite"
tested=0
wait "$beside" || tested=$?
beside=""
echo "== host: tests (two at a time: each has its own machine and folder)"
cat "$host_log"
[ "$tested" -eq 0 ] || { echo "== the host tests failed"; exit 1; }
stage "host: the rest of its tests"
echo "== no process left running (Xvfb, Wine's servers and services, input agents)"
python3 tools/leftovers.py "$CORVEN_RUN" || { echo "== these processes outlived the tests that started them"; exit 1; }
stage "no process left running"
echo "== all tests passed in $(($(date +%s) - start)) s"
