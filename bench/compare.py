#!/usr/bin/env python3
"""Runs MORVIT and the strtod floor on one command file, alternately, and prints the
median wall time of each, their ratio and MORVIT's peak resident memory.

    compare.py MORVIT FLOOR COMMAND_FILE WORK_DIR [RUNS]

MORVIT runs in WORK_DIR (it writes morvit.out there). Each run is one process started
with posix_spawn and reaped with wait4, which gives its peak resident set size.
"""

import os
import statistics
import sys
import time


def run(argv, cwd):
    """Wall time in seconds and peak RSS in KiB of one run; fails on a non-zero status."""
    null = os.open(os.devnull, os.O_WRONLY)
    actions = [(os.POSIX_SPAWN_DUP2, null, 1)]
    old = os.getcwd()
    os.chdir(cwd)
    try:
        start = time.perf_counter()
        pid = os.posix_spawn(argv[0], argv, os.environ, file_actions=actions)
        _, status, usage = os.wait4(pid, 0)
        elapsed = time.perf_counter() - start
    finally:
        os.chdir(old)
        os.close(null)
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{argv[0]} failed with status {status}")
    return elapsed, usage.ru_maxrss


def main():
    if len(sys.argv) not in (5, 6):
        sys.exit(__doc__)
    morvit, floor, command_file, work_dir = (os.path.abspath(a) for a in sys.argv[1:5])
    runs = int(sys.argv[5]) if len(sys.argv) == 6 else 7
    os.makedirs(work_dir, exist_ok=True)

    # One warm-up run of each: page cache, dynamic loader.
    run([floor, command_file], work_dir)
    run([morvit, command_file], work_dir)

    floor_times, morvit_times, peaks = [], [], []
    for _ in range(runs):
        floor_times.append(run([floor, command_file], work_dir)[0])
        elapsed, peak = run([morvit, command_file], work_dir)
        morvit_times.append(elapsed)
        peaks.append(peak)

    floor_ms = statistics.median(floor_times) * 1000
    morvit_ms = statistics.median(morvit_times) * 1000
    print(f"  end to end (median of {runs} alternating runs): morvit {morvit_ms:.1f} ms, "
          f"strtod floor {floor_ms:.1f} ms, ratio {morvit_ms / floor_ms:.2f}; "
          f"morvit peak RSS {max(peaks) / 1024:.1f} MiB")
    print(f"    fastest runs: morvit {min(morvit_times) * 1000:.1f} ms, floor {min(floor_times) * 1000:.1f} ms, "
          f"ratio {min(morvit_times) / min(floor_times):.2f}")
    print(f"    morvit runs (ms): {' '.join(f'{t * 1000:.0f}' for t in morvit_times)}")
    print(f"    floor runs (ms):  {' '.join(f'{t * 1000:.0f}' for t in floor_times)}")


if __name__ == "__main__":
    main()
