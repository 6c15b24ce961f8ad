#!/usr/bin/env python3
"""The HTML page of the largest run, timed by the page itself in headless Chromium.

    bench/page_bench.py MORVIT [RUNS]

Writes the run of tests/exchange/output/check_html_page.py (100,000 cases x 10 factors,
847 blocks, 6,352 table rows, fixed seed), makes its page with --html and loads a copy of it
RUNS times (default 3) with the test hooks of tests/exchange/output/page_hooks.js added and
"bench-open" asked for: the page records when its script was ready (performance.now(), from
the start of the navigation, its first layout included), then the hooks open every block in
turn, a page of blocks at a time, the block's two plots drawn and laid out, close it again,
and turn to the next page, timing each. Prints the page's size and, over the runs, the ready time, the slowest
and median block opening, the blocks over 100 ms, the slowest page turn and Chromium's wall
time (start to DOM dump). The figures are the machine's: other work on it slows them.
"""
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'exchange', 'output'))
import check_html_page  # noqa: E402  (the largest run and the Chromium flags)


def main(argv):
    if len(argv) not in (2, 3):
        print(__doc__)
        return 2
    morvit = os.path.abspath(argv[1])
    runs = int(argv[2]) if len(argv) == 3 else 3
    chromium = check_html_page.find_chromium()
    if chromium is None:
        print('no chromium (Debian: apt-get install chromium)')
        return 2
    work = tempfile.mkdtemp(prefix='morvit-page-bench-')
    try:
        check_html_page.write_largest_run(os.path.join(work, 'largest.cmd'))
        subprocess.run([morvit, '-q', '--html', 'largest.html', 'largest.cmd'], cwd=work, check=True,
                       stdout=subprocess.DEVNULL)
        page = os.path.join(work, 'largest.html')
        print(f'page: {os.path.getsize(page):,} bytes')
        page = check_html_page.with_hooks(page, os.path.join(work, 'largest-hooks.html'))
        results = []
        for run in range(runs):
            profile = tempfile.mkdtemp(prefix='morvit-chromium-')
            started = time.monotonic()
            done = subprocess.run([chromium] + check_html_page.CHROMIUM_FLAGS +
                                  [f'--user-data-dir={profile}', '--dump-dom', 'file://' + page + '#bench-open'],
                                  capture_output=True, timeout=900)
            wall = time.monotonic() - started
            shutil.rmtree(profile, ignore_errors=True)
            root = re.search(r'<html[^>]*>', done.stdout.decode(errors='replace'))
            attributes = dict((name.replace('data-hook-', 'data-'), value) for name, value in
                              re.findall(r'(data-[a-z0-9-]+)="([^"]*)"', root.group(0) if root else ''))
            if 'data-open-done' not in attributes or 'data-script-errors' in attributes:
                print(f'run {run + 1}: the page did not finish: {root.group(0) if root else done.stderr[-2000:]}')
                return 1
            results.append(attributes)
            print(f'run {run + 1}: ready {attributes["data-ready-ms"]} ms; opening a block: slowest '
                  f'{attributes["data-open-slowest-ms"]} ms ({attributes["data-open-slowest-block"]}), median '
                  f'{attributes["data-open-median-ms"]} ms, 99th percentile {attributes["data-open-p99-ms"]} ms, '
                  f'{attributes["data-open-over-100ms"]} of {attributes["data-open-count"]} over 100 ms; slowest '
                  f'page turn {attributes["data-page-turn-slowest-ms"]} ms; Chromium {wall:.1f} s in all')
        def median(name):
            return statistics.median(float(result[name]) for result in results)
        print(f'median of {runs} runs: ready {median("data-ready-ms"):.0f} ms, slowest block '
              f'{median("data-open-slowest-ms"):.1f} ms, median block {median("data-open-median-ms"):.1f} ms')
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
