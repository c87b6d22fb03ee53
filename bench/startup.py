#!/usr/bin/env python3
"""Runs the start-up rounds under Wine and reports what the user sees.

  startup.py ROUNDS WINE STOPWATCH CORVEN NOTICE_ONLY MINIMAL MINIMAL_BARE   (Windows paths for the last five)

Each round runs the four programs once, in a new random order, after one warm-up round that is
not counted; one stopwatch runs them all, one at a time. Each time is process start to the window fully painted (bench/startup/stopwatch.cpp).
Reported: the median of each program, Corven's ratio to each yardstick, and the manifest's own
cost (the one-button dialog with Corven's manifest against the same without it). Each ratio is one plus the median
of the rounds' paired differences over the yardstick's median, with a 95% interval from the order
statistics that bound that median difference with at least 95% confidence (the sign test's
interval). Wine flushes a window's pixels to the screen on idle or every 50 ms, so single runs
vary by that much: many rounds, paired, give a sound comparison.
"""
import math
import os
import random
import statistics
import subprocess
import sys

PROGRAMS = [("corven", "Installing Additional Software"), ("notice", "Installing Additional Software"),
            ("minimal", "Minimal"), ("bare", "Minimal")]


def run(wine, stopwatch, runs):
    """Times each (title, program) in order with one stopwatch; a list of milliseconds."""
    arguments = [part for title_program in runs for part in title_program]
    out = subprocess.run([wine, stopwatch] + arguments, capture_output=True, text=True, check=False)
    if out.returncode != 0:
        sys.exit("stopwatch failed (exit %d): %s" % (out.returncode, out.stderr.strip()))
    return [float(line) for line in out.stdout.split()]


def median_interval(values):
    """The order statistics (k-th lowest, k-th highest) that hold the median with >= 95%."""
    n = len(values)
    ordered = sorted(values)
    best = 0
    for k in range(n // 2, 0, -1):
        # P(X < k) for X ~ Binomial(n, 1/2): the chance the median lies below the k-th lowest.
        tail = sum(math.comb(n, i) for i in range(k)) / 2 ** n
        if 2 * tail <= 0.05:
            best = k
            break
    if best == 0:
        return ordered[0], ordered[-1]
    return ordered[best - 1], ordered[n - best]


def main():
    rounds = int(sys.argv[1])
    wine, stopwatch = sys.argv[2], sys.argv[3]
    paths = dict(zip(("corven", "notice", "minimal", "bare"), sys.argv[4:8]))
    seed = random.randrange(1 << 30)
    rng = random.Random(seed)
    order = []
    for _ in range(rounds + 1):
        programs = PROGRAMS[:]
        rng.shuffle(programs)
        order += programs
    measured = run(wine, stopwatch, [(title, paths[name]) for name, title in order])
    times = {name: [] for name, _ in PROGRAMS}
    for (name, _), ms in list(zip(order, measured))[len(PROGRAMS):]:  # round 0 warms things up
        times[name].append(ms)
    medians = {name: statistics.median(values) for name, values in times.items()}
    if "CORVEN_BENCH_RAW" in os.environ:
        for name, values in times.items():
            print(name, " ".join("%.0f" % v for v in values))
    print("rounds: %d after a warm-up, random order each round (seed %d)" % (rounds, seed))
    print("process start to the window fully painted, medians:")
    print("  CORVEN.EXE, the notice:                 %7.1f ms" % medians["corven"])
    print("  the notice's template, bare:            %7.1f ms" % medians["notice"])
    print("  a one-button dialog, Corven's manifest: %7.1f ms" % medians["minimal"])
    print("  the same, no manifest:                  %7.1f ms" % medians["bare"])
    for subject, name, label in (("corven", "notice", "the same template"),
                                 ("corven", "minimal", "the one-button dialog"),
                                 ("minimal", "bare", "no manifest (the manifest's own cost)")):
        differences = [c - b for c, b in zip(times[subject], times[name])]
        low, high = median_interval(differences)
        middle = statistics.median(differences)
        base = medians[name]
        print("ratio to %s: %.3f, 95%% interval %.3f to %.3f (paired median difference %+.1f ms, %+.1f to %+.1f);"
              " ratio of the medians %.3f" % (label, (base + middle) / base, (base + low) / base,
                                             (base + high) / base, middle, low, high, medians[subject] / base))

if __name__ == "__main__":
    main()
