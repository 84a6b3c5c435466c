#!/usr/bin/env python3
"""Times rvbasic against other interpreters on the same three programs.

The programs are in programs/: a 5,000,000-pass integer loop, a recursive
fib(25) and 100,000 one-character string appends, each written for rvbasic
(.bas) and for every peer the machine has installed: python3 (.py),
lua5.4 (.lua), yabasic (.yab), bwbasic (.bwb) and gbs3 (.gbs). Peers that
are missing are skipped. Every run's output is checked against the known
result, so a peer that computes something else is reported, not timed as a
win. Prints the median wall time of each and its ratio to rvbasic
(ratio > 1: rvbasic is faster).

Usage: run_bench.py [--rvbasic PATH] [--runs N]
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PROGRAMS = os.path.join(HERE, "programs")

BENCHMARKS = [
    ("loop", "5,000,000-pass integer loop", "998988"),
    ("fib", "recursive fib(25)", "75025"),
    ("append", "100,000 string appends", "100000"),
]

PEERS = [
    ("python3", ["python3"], ".py"),
    ("lua5.4", ["lua5.4"], ".lua"),
    ("yabasic", ["yabasic"], ".yab"),
    ("bwbasic", ["bwbasic"], ".bwb"),
    ("gbs3", ["gbs3"], ".gbs"),
]

# A single run longer than this is not repeated.
SLOW_SECONDS = 10.0
TIMEOUT_SECONDS = 120.0


def find_rvbasic(given):
    if given:
        return given
    if os.environ.get("RVBASIC"):
        return os.environ["RVBASIC"]
    root = os.path.dirname(os.path.dirname(HERE))
    candidates = []
    for entry in sorted(os.listdir(root)):
        path = os.path.join(root, entry, "tools", "rvbasic", "rvbasic")
        if entry.startswith("build") and os.access(path, os.X_OK):
            candidates.append(path)
    if not candidates:
        sys.exit("run_bench.py: no built rvbasic found; pass --rvbasic PATH")
    return max(candidates, key=os.path.getmtime)


def time_runs(command, expected, runs):
    """Median seconds of the runs, or an error text."""
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        try:
            done = subprocess.run(command, capture_output=True, text=True, timeout=TIMEOUT_SECONDS,
                                  stdin=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            return None, "timed out after %d s" % TIMEOUT_SECONDS
        elapsed = time.perf_counter() - start
        lines = [line.strip() for line in done.stdout.splitlines() if line.strip()]
        output = lines[-1] if lines else ""
        if done.returncode != 0 or output != expected:
            got = (output or done.stderr.strip()).splitlines()
            return None, "wrong result: %s" % (got[-1] if got else "(nothing)")
        times.append(elapsed)
        if elapsed > SLOW_SECONDS:
            break
    return statistics.median(times), None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rvbasic", help="the rvbasic program to time")
    parser.add_argument("--runs", type=int, default=5, help="runs per program (default 5)")
    args = parser.parse_args()
    rvbasic = find_rvbasic(args.rvbasic)

    print("rvbasic: %s, median of %d runs (slow peers: one run)" % (rvbasic, args.runs))
    print("%-8s %-10s %10s %10s" % ("program", "runner", "median s", "ratio"))
    missing = [name for name, command, _ in PEERS if not shutil.which(command[0])]
    for key, title, expected in BENCHMARKS:
        base, error = time_runs([rvbasic, os.path.join(PROGRAMS, key + ".bas")], expected, args.runs)
        if error:
            print("%-8s %-10s %s" % (key, "rvbasic", error))
            continue
        print("%-8s %-10s %10.3f %10s   (%s)" % (key, "rvbasic", base, "1.00", title))
        for name, command, suffix in PEERS:
            program = os.path.join(PROGRAMS, key + suffix)
            if name in missing or not os.path.exists(program):
                continue
            median, error = time_runs(command + [program], expected, args.runs)
            if error:
                print("%-8s %-10s %s" % (key, name, error))
            else:
                print("%-8s %-10s %10.3f %10.2f" % (key, name, median, median / base))
    if missing:
        print("not installed, skipped: %s" % ", ".join(missing))


if __name__ == "__main__":
    main()
