#!/usr/bin/env python3
"""Renders MORVIT's HTML page in headless Chromium, for an example and for the largest run
(100,000 cases x 10 factors), and checks what a reader would see.

    check_html_page.py MORVIT EXAMPLE_COMMAND_FILE OUTPUT_DIR

For each page: the run writes it with --html (and the table with --table-csv, to count the
rows); Chromium loads it from the file system, without network, runs its script, and dumps
the DOM and takes a screenshot (OUTPUT_DIR/NAME.png, kept for a person to look at). The DOM
must show that the script ran to its end without an error (data-state="ready", no
data-script-errors), hold every row of the table and every block, and one drawn plot with
its points for each single factor. The largest page must stay light (below 3 MB) and say
that its plots show a sample. Column names with markup characters must come out as text.

Exits 0 when both pages pass, 1 otherwise, and 77 (skipped) when no Chromium is installed.
"""
import csv
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile

SKIPPED = 77
CHROMIUM_FLAGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                  '--disable-background-networking', '--disable-component-update', '--disable-sync',
                  '--hide-scrollbars']
ODD_NAMES = ['GDP</script><b>', 'A & B', '"quoted"', "it's", 'E', 'F', 'G', 'H', 'I', 'J']


class Failure(Exception):
    pass


def find_chromium():
    for name in (os.environ.get('MORVIT_CHROMIUM'), 'chromium', 'chromium-browser', 'google-chrome'):
        if name and shutil.which(name):
            return shutil.which(name)
    return None


def write_largest_run(path):
    """100,000 cases x 10 factors with fractional weights, from a fixed seed."""
    rng = random.Random(1959)
    with open(path, 'w', newline='\n') as out:
        out.write('COM    100,000 CASES, 10 FACTORS, FIXED SEED\nDAT   100000 10\n')
        for _ in range(100000):
            outcome = rng.random()
            values = [outcome] + [min(1.0, max(0.0, outcome + rng.gauss(0, 0.3))) if j % 2 else rng.random()
                                  for j in range(10)]
            out.write(' '.join('%.4f' % value for value in values) + '\n')
        out.write('WEI\n')
        for _ in range(100000):
            out.write(rng.choice(['1', '1', '2', '0.5', '3']) + '\n')
        out.write('FIN\n')


def png_size(path):
    with open(path, 'rb') as handle:
        head = handle.read(24)
    if head[:8] != b'\x89PNG\r\n\x1a\n':
        raise Failure(f'{path} is not a PNG')
    return struct.unpack('>II', head[16:24])


def render(chromium, page, screenshot, height):
    profile = tempfile.mkdtemp(prefix='morvit-chromium-')
    try:
        run = subprocess.run([chromium] + CHROMIUM_FLAGS + [f'--user-data-dir={profile}', f'--window-size=1280,{height}',
                                                             f'--screenshot={screenshot}', '--dump-dom',
                                                             'file://' + os.path.abspath(page)],
                             stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
    finally:
        shutil.rmtree(profile, ignore_errors=True)
    dom = run.stdout.decode('utf-8', errors='replace')
    if run.returncode != 0 or '<html' not in dom:
        raise Failure(f'Chromium exit status {run.returncode}: {run.stderr.decode(errors="replace")[-2000:]}')
    return dom


def check_page(morvit, chromium, work, command_file, args, name, out_dir, expect):
    page = os.path.join(work, name + '.html')
    table = os.path.join(work, name + '.csv')
    run = subprocess.run([morvit, '-q', '--html', page, '--table-csv', table] + args + [command_file], cwd=work,
                         stdin=subprocess.DEVNULL, capture_output=True, timeout=600)
    if run.returncode != 0:
        raise Failure(f'{name}: the run ended with status {run.returncode}: {run.stderr!r}')
    with open(table, newline='') as handle:
        rows = list(csv.DictReader(handle))
    blocks = len({row['block'] for row in rows}) - 1  # without NONE
    size = os.path.getsize(page)
    screenshot = os.path.join(out_dir, name + '.png')
    dom = render(chromium, page, screenshot, expect['height'])

    root = re.search(r'<html[^>]*>', dom).group(0)
    problems = []
    if 'data-script-errors' in root:
        problems.append('script errors: ' + root)
    if 'data-state="ready"' not in root:
        problems.append('the script did not finish: ' + root)
    table_part = dom[dom.find('<section id="table">'):]
    table_part = table_part[:table_part.find('</section>')]
    if table_part.count('<tr class=') != len(rows):
        problems.append(f'{table_part.count("<tr class=")} table rows in the page, {len(rows)} in the table')
    if dom.count('<details') != blocks:
        problems.append(f'{dom.count("<details")} plot blocks, {blocks} blocks in the table')
    plots_part = dom[dom.find('<section id="plots">'):dom.find('<section id="table">')]
    svgs = re.findall(r'<svg.*?</svg>', plots_part, re.S)
    if len(svgs) != expect['factors'] or f'data-plots="{expect["factors"]}"' not in root:
        problems.append(f'{len(svgs)} plots drawn, expected {expect["factors"]}: {root}')
    for svg in svgs:
        if svg.count('<circle') != expect['points'] or '<line class="diagonal"' not in svg:
            problems.append(f'a plot has {svg.count("<circle")} points, expected {expect["points"]}, and a diagonal')
            break
    for text in expect['texts']:
        if text not in dom:
            problems.append(f'the page lacks {text!r}')
    if size > expect['largest']:
        problems.append(f'the page has {size} bytes, more than {expect["largest"]}')
    width, height = png_size(screenshot)
    if (width, height) != (1280, expect['height']) or os.path.getsize(screenshot) < 50000:
        problems.append(f'screenshot {width}x{height}, {os.path.getsize(screenshot)} bytes: blank?')
    if problems:
        raise Failure(f'{name}: ' + '; '.join(problems))
    print(f'{name}: {size} bytes, {len(rows)} table rows, {blocks} blocks, {len(svgs)} plots of '
          f'{expect["points"]} points, no script error; screenshot {screenshot}')


def main(argv):
    if len(argv) != 4:
        print(__doc__)
        return 2
    morvit, example, out_dir = (os.path.abspath(arg) for arg in argv[1:])
    chromium = find_chromium()
    if chromium is None:
        print('no chromium: skipped (Debian: apt-get install chromium)')
        return SKIPPED
    os.makedirs(out_dir, exist_ok=True)
    work = tempfile.mkdtemp(prefix='morvit-html-')
    try:
        shutil.copy(example, work)
        if os.path.exists(example + '.cases'):
            shutil.copy(example + '.cases', work)
        with open(example) as handle:
            factors = int(re.search(r'^DAT +(\d+) +(\d+)', handle.read(), re.M).group(2))
        with open(example + '.cases') as handle:
            names = [line.strip() for line in handle if not line.startswith('#MORVIT CASES ')]
        first_case = names[0]
        check_page(morvit, chromium, work, os.path.basename(example), [], 'example', out_dir,
                   {'factors': factors, 'points': len(names), 'height': 2400,
                    'largest': 1_000_000, 'texts': [first_case + ' (case 1)']})
        write_largest_run(os.path.join(work, 'largest.cmd'))
        escaped = 'GDP&lt;/script&gt;&lt;b&gt;'
        check_page(morvit, chromium, work, 'largest.cmd', ['--names', ','.join(ODD_NAMES)], 'largest', out_dir,
                   {'factors': 10, 'points': 2000, 'height': 2400, 'largest': 3_000_000,
                    'texts': ['The plots show 2,000 of the 100,000 cases', escaped, 'A &amp; B']})
    except (Failure, subprocess.TimeoutExpired, OSError, AttributeError) as failure:
        print(failure)
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
