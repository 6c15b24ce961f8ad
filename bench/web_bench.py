#!/usr/bin/env python3
"""The browser app's benchmark: its size, its first paint, and the run of 100,000 cases x 10
factors in headless Chromium against the native program on the same machine.

    bench/web_bench.py MORVIT MORVIT_HTML [RUNS]      (after `make` and `make web`)

- morvit.html: its size (at most 1.5 MB);
- first paint: the first contentful paint of the app opened from the file system, the median
  of RUNS openings (under 1 s);
- the run: the command file of the page test's largest run (100,000 cases, 10 factors,
  weights; fixed seed), run RUNS times natively (`morvit FILE`, wall time) and in the app
  (from the click on Run until the report is shown: the file handed to the worker, the
  program's run, the report read back and shown). The app's runs start after a pause of
  three seconds once it is ready, as a user's choice of a file does, so that its warm-up run
  is over; the first of them is also given alone. Native and browser runs alternate, so that
  both meet the same load of the machine. The median of the app's runs is at most three
  times the native median. The same again with the table CSV, the cases CSV and the page
  (`--table-csv --cases-csv --html`), for information.
Prints the figures and exits 1 when a target is missed.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'tests', 'web'))
sys.path.insert(0, os.path.join(HERE, '..', 'tests', 'exchange', 'output'))
from browser import Browser, find_chromium  # noqa: E402
from check_html_page import write_largest_run  # noqa: E402

LARGEST_APP = 1_500_000
FIRST_PAINT_MS = 1000
MOST_TIMES_NATIVE = 3.0
OUTPUTS = ['--table-csv', 't.csv', '--cases-csv', 'c.csv', '--html', 'p.html']


def native_run(morvit, work, command_file, outputs):
    started = time.monotonic()
    subprocess.run([morvit] + (OUTPUTS if outputs else []) + [command_file], cwd=work, check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.monotonic() - started


def first_paints(browser, url, runs):
    paints = []
    for _ in range(runs):
        browser.open('about:blank')
        browser.open(url)
        paints.append(browser.wait_for("(performance.getEntriesByName('first-contentful-paint')[0] || {}).startTime"))
    return paints


def open_command_file(browser, url, command_file, outputs):
    browser.open('about:blank')
    browser.open(url)
    browser.wait_for("document.documentElement.dataset.state === 'ready'")
    time.sleep(3)
    browser.choose_files('#file', [command_file])
    browser.wait_for("!document.getElementById('command').hidden")
    checked = 'true' if outputs else 'false'
    browser.evaluate(f"for (const id of ['want-table', 'want-cases', 'want-page']) "
                     f"document.getElementById(id).checked = {checked}")


def app_run(browser):
    started = time.monotonic()
    browser.evaluate("document.getElementById('run').click()")
    browser.wait_for("document.documentElement.dataset.state === 'done'", timeout=600, interval=0.005)
    elapsed = time.monotonic() - started
    if browser.evaluate('document.documentElement.dataset.status') != '0':
        raise RuntimeError('the run in the app failed: ' + browser.evaluate(
            "document.getElementById('stderr').textContent"))
    return elapsed


def compare(browser, morvit, url, work, command_file, runs, outputs):
    native, app = [], []
    open_command_file(browser, url, command_file, outputs)
    for _ in range(runs):
        native.append(native_run(morvit, work, command_file, outputs))
        app.append(app_run(browser))
    return native, app


def main(argv):
    if len(argv) not in (3, 4):
        print(__doc__)
        return 2
    morvit, page = os.path.abspath(argv[1]), os.path.abspath(argv[2])
    runs = int(argv[3]) if len(argv) == 4 else 7
    chromium = find_chromium()
    if not chromium:
        print('no Chromium (apt-get install chromium)')
        return 2
    url = 'file://' + page
    work = tempfile.mkdtemp(prefix='morvit-web-bench-')
    missed = []
    try:
        command_file = os.path.join(work, 'largest.cmd')
        write_largest_run(command_file)
        size = os.path.getsize(page)
        print(f'morvit.html: {size:,} bytes (at most {LARGEST_APP:,})')
        if size > LARGEST_APP:
            missed.append('size')
        with Browser(chromium) as browser:
            paints = first_paints(browser, url, runs)
            paint = statistics.median(paints)
            print(f'first contentful paint: median {paint:.0f} ms of {runs} (from {min(paints):.0f} to '
                  f'{max(paints):.0f} ms; at most {FIRST_PAINT_MS} ms)')
            if paint >= FIRST_PAINT_MS:
                missed.append('first paint')
            for outputs in (False, True):
                native, app = compare(browser, morvit, url, work, command_file, runs, outputs)
                ratio = statistics.median(app) / statistics.median(native)
                what = 'with the table CSV, the cases CSV and the page' if outputs else 'the report alone'
                print(f'100,000 cases x 10 factors, {what}: native median {statistics.median(native):.2f} s '
                      f'(from {min(native):.2f}), in Chromium median {statistics.median(app):.2f} s '
                      f'(from {min(app):.2f}, first run {app[0]:.2f}): {ratio:.1f} times the native time'
                      + ('' if outputs else f' (at most {MOST_TIMES_NATIVE:.0f})'))
                if not outputs and ratio > MOST_TIMES_NATIVE:
                    missed.append('run time')
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if missed:
        print('missed: ' + ', '.join(missed))
        return 1
    print('every target met')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
