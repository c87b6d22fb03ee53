#!/usr/bin/env bash
# Times, under Wine, process start to the notice being visible for CORVEN.EXE, and to its dialog
# for a minimal dialog program built the same way: alternating runs, medians, and their ratio.
# Usage: bench/startup.sh [RUNS]   (after: cmake --preset win64 && cmake --build --preset win64)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-11}
build=build/win64
export WINEDEBUG=-all WINEPREFIX=${WINEPREFIX:-$PWD/build/wine-bench}
source tools/display.sh
use_display 97
wine=/usr/lib/wine/wine64
[ -d "$WINEPREFIX" ] || "$wine" wineboot -i >/dev/null 2>&1
stopwatch=$("$wine" winepath -w "$build/bench/startup/stopwatch.exe" 2>/dev/null)
corven=$("$wine" winepath -w "$build/app/CORVEN.EXE" 2>/dev/null)
minimal=$("$wine" winepath -w "$build/bench/startup/minimal.exe" 2>/dev/null)
"$wine" "$stopwatch" "Minimal" "$minimal" >/dev/null  # a warm-up run
: > build/startup-times.txt
for ((i = 0; i < runs; i++)); do
  echo "corven $("$wine" "$stopwatch" "Installing Additional Software" "$corven" | tr -d '\r')" >> build/startup-times.txt
  echo "minimal $("$wine" "$stopwatch" "Minimal" "$minimal" | tr -d '\r')" >> build/startup-times.txt
done
python3 - build/startup-times.txt "$runs" <<'PY'
import statistics, sys
times = {}
for line in open(sys.argv[1]):
    name, ms = line.split()
    times.setdefault(name, []).append(float(ms))
c, m = statistics.median(times["corven"]), statistics.median(times["minimal"])
print("runs each: %s" % sys.argv[2])
print("CORVEN.EXE to the notice:        median %.1f ms" % c)
print("minimal dialog program to its dialog: median %.1f ms" % m)
print("ratio: %.2f" % (c / m))
PY
