#!/usr/bin/env python3
"""Renders MORVIT's HTML page in headless Chromium, for an example, for a hand-filled run
record and for the largest run (100,000 cases x 10 factors), and checks what a reader would
see.

    check_html_page.py MORVIT EXAMPLE_COMMAND_FILE OUTPUT_DIR PAGE_TESTS

For each page: the run writes it with --html (and the table with --table-csv, to count the
rows); Chromium loads it from the file system, without network, runs its script, and dumps
the DOM and takes a screenshot (OUTPUT_DIR/NAME.png, kept for a person to look at). The DOM
must show that the script ran to its end without an error or a refusal of the page's policy
(data-state="ready", nothing on Chromium's console), hold every block and row of the table in
its data, show the first page of blocks in the table and the plot list, and the z-score and
membership plots of the single factors that open at first, every drawn case a point, each
plot with a link to save it as SVG. The largest page must stay light (below 2.5 MB) and say
that its plots show a sample; column names with markup characters must come out as text.

With the page's test hooks: the points labelled with the cases' names, the case under the
pointer in the tooltip, and a plot's SVG file well-formed. PAGE_TESTS (the exchange_output_tests executable) writes the page of a run record
whose fields filled after the run are set by hand; its rows must be read from their critical
MERs at several MERs and levels, with the perfect and tied rows apart.

Exits 0 when every page passes, 1 otherwise, and 77 (skipped) when no Chromium is installed.
"""
import csv
import html
import json
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile
from xml.etree import ElementTree

SKIPPED = 77
CHROMIUM_FLAGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                  '--disable-background-networking', '--disable-component-update', '--disable-sync',
                  '--hide-scrollbars']
LOGGING = ['--enable-logging=stderr', '--v=0']
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


def render(chromium, page, screenshot, height, fragment=''):
    """The DOM after the page's script ran, and Chromium's console (policy refusals, errors)."""
    profile = tempfile.mkdtemp(prefix='morvit-chromium-')
    shot = [f'--screenshot={screenshot}'] if screenshot else []
    try:
        run = subprocess.run([chromium] + CHROMIUM_FLAGS + LOGGING + [f'--user-data-dir={profile}',
                                                                       f'--window-size=1280,{height}'] + shot +
                             ['--dump-dom', 'file://' + os.path.abspath(page) + fragment],
                             stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
    finally:
        shutil.rmtree(profile, ignore_errors=True)
    dom = run.stdout.decode('utf-8', errors='replace')
    if run.returncode != 0 or '<html' not in dom:
        raise Failure(f'Chromium exit status {run.returncode}: {run.stderr.decode(errors="replace")[-2000:]}')
    return dom, run.stderr.decode('utf-8', errors='replace')


def page_problems(dom, console):
    """What every page must show: the script ran to its end, no error, no policy refusal."""
    root = re.search(r'<html[^>]*>', dom).group(0)
    problems = []
    if 'data-script-errors' in root or 'data-csp-violations' in root:
        problems.append('script errors or policy violations: ' + root)
    if 'data-state="ready"' not in root:
        problems.append('the script did not finish: ' + root)
    for line in console.splitlines():
        if 'Content Security Policy' in line or 'Uncaught' in line:
            problems.append('console: ' + line[:300])
    return root, problems


def page_data(dom):
    return json.loads(html.unescape(re.search(r'<script type="application/json" id="morvit-data">(.*?)</script>',
                                              dom, re.S).group(1)))


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
    dom, console = render(chromium, page, screenshot, expect['height'])
    root, problems = page_problems(dom, console)

    # The data hold every block and row of the table; the table shows the first page of
    # blocks (and NONE), the plot list the same blocks.
    data = page_data(dom)
    if len(data['blocks']) != blocks + 1 or sum(len(block['r']) for block in data['blocks']) != len(rows):
        problems.append(f'{len(data["blocks"])} blocks and {sum(len(b["r"]) for b in data["blocks"])} rows in the '
                        f'data, {blocks + 1} and {len(rows)} in the table')
    for block, row in zip((b for b in data['blocks'] for _ in b['r']), rows):
        if block['b'] != row['block']:
            problems.append(f'block {block["b"]} in the data where the table has {row["block"]}')
            break
    on_page = min(blocks, data['page'])
    table_part = dom[dom.find('<section id="table">'):]
    table_part = table_part[:table_part.find('</section>')]
    shown_rows = sum(len(b['r']) for b in data['blocks'][:on_page + 1])
    if table_part.count('<tbody') != on_page + 1 or table_part.count('<tr data-r=') != shown_rows:
        problems.append(f'{table_part.count("<tbody")} blocks and {table_part.count("<tr data-r=")} rows in the '
                        f'table, expected {on_page + 1} and {shown_rows}')
    if '<noscript>' not in dom or '--table-csv' not in dom:
        problems.append('no <noscript> note pointing to --table-csv')
    if dom.count('<details') != on_page:
        problems.append(f'{dom.count("<details")} plot blocks, expected {on_page}')
    if f'{blocks} of {blocks} blocks shown' not in dom:
        problems.append(f'the filter does not say "{blocks} of {blocks} blocks shown"')
    if blocks > data['page'] and f'of {blocks} (page 1 of ' not in dom:
        problems.append('no pager')
    filter_part = dom[dom.find('<fieldset id="filter">'):]
    boxes = filter_part[:filter_part.find('</fieldset>')].count('type="checkbox"')
    if boxes != len(data['factors']):
        problems.append(f'{boxes} factors to tick in the filter, the run has {len(data["factors"])}')

    # The single factors open at first (as many as the first view draws quickly), each with
    # its z-score plot and its membership plot, every drawn case a point.
    plots_part = dom[dom.find('<section id="plots">'):dom.find('<section id="table">')]
    svgs = re.findall(r'<svg.*?</svg>', plots_part, re.S)
    opened = expect['opened']
    if len(svgs) != 2 * opened or f'data-plots="{opened}"' not in root:
        problems.append(f'{len(svgs)} plots drawn, expected {2 * opened}: {root}')
    for svg in svgs:
        if f'data-points="{expect["points"]}"' not in svg or 'class="diagonal"' not in svg:
            problems.append(f'a plot without {expect["points"]} points or a diagonal: {svg[:300]}')
            break
    memberships = [svg for svg in svgs if 'class="chart-m"' in svg]
    if len(memberships) != opened or any(svg.count('class="half"') != 2 for svg in memberships):
        problems.append('a membership plot without its lines at 0.5')
    if plots_part.count('download="morvit-') != 2 * opened:
        problems.append('a plot without its link to save it as SVG')
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
    ready = re.search(r'data-ready-ms="(\d+)"', root)
    print(f'{name}: {size} bytes, {len(rows)} table rows, {blocks} blocks, {len(svgs)} plots of '
          f'{expect["points"]} points, ready after {ready.group(1) if ready else "?"} ms, no script error, '
          f'no policy refusal; screenshot {screenshot}')
    return page


def check_labels_and_svg(chromium, page, first_case):
    """With the labels switched on every point carries its case's name; a plot saved as SVG
    is a well-formed SVG file with the plot's points."""
    dom, console = render(chromium, page, None, 1200, '#labels,test-svg')
    root, problems = page_problems(dom, console)
    labels = re.findall(r'<g class="labels"[^>]*>(.*?)</g>', dom, re.S)
    if not labels or html.escape(first_case, quote=False) not in labels[0]:
        problems.append(f'no label {first_case!r} on the first plot')
    text = re.search(r'<pre id="svg-text" hidden="">(.*?)</pre>', dom, re.S)
    link = re.search(r'<a class="save" href="(blob:[^"]*)" download="(morvit-[A-J]+-\w+\.svg)">', dom)
    if not text or not link:
        problems.append('no SVG text or no link with a blob: address and a download name')
    else:
        try:
            svg = ElementTree.fromstring(html.unescape(text.group(1)).encode('utf-8'))
            if svg.tag != '{http://www.w3.org/2000/svg}svg' or not svg.findall('.//{http://www.w3.org/2000/svg}path'):
                problems.append(f'the saved file is not an SVG of points: {svg.tag}')
        except ElementTree.ParseError as error:
            problems.append(f'the saved SVG does not parse: {error}')
    tip = re.search(r'<div id="tip" role="tooltip"[^>]*>(.*?)</div>', dom, re.S)
    if not tip or 'hidden' in tip.group(0)[:60] or not tip.group(1).startswith(
            html.escape(first_case, quote=False) + ' (case 1)'):
        problems.append(f'the pointer on the first case does not show it: {tip and tip.group(0)}')
    if problems:
        raise Failure('labels and SVG: ' + '; '.join(problems))
    print(f'labels and SVG: every point named, the pointed case in the tooltip, {link.group(2)} saved through {link.group(1)[:20]}..., a valid SVG')


# The rows of the page of a hand-filled run record (html_page_test.cpp, filled_run) and
# their readings at MERs and levels: [row id, class, reading, critical MER shown].
RECORD_READINGS = {
    '': [('1:0', 'fit', 'compatible', '0.03'), ('1:1', 'rej', 'rejected', '0.1'), ('1:2', 'rej', 'rejected', 'none'),
         ('2:0', 'perfect', 'no case against: fully consistent', ''), ('2:1', 'tie', 'decided by ties', '0'),
         ('2:2', 'fit', 'compatible', ''), ('3:3', 'cmp closer contra', 'combination closer', ''),
         ('3:4', 'cmp contra', 'not markedly', '')],
    '#mer=0.2': [('1:0', 'fit', 'compatible', '0.03'), ('1:1', 'fit', 'compatible', '0.1'),
                 ('1:2', 'rej', 'rejected', 'none')],
    '#mer=0.02': [('1:0', 'rej', 'rejected', '0.03'), ('2:2', 'fit', 'compatible', '')],
    '#alpha=0.01,mer=0.035': [('1:0', 'fit', 'compatible', '0.01'), ('1:1', 'rej', 'rejected', '0.08'),
                              ('3:3', 'cmp contra', 'not markedly', '')],
}


def check_record_page(chromium, page_tests, work, out_dir):
    """A run record with the fields filled after the run: the verdicts follow the MER and the
    level from the critical MERs, perfect and tied rows stand apart, warnings at the top."""
    page = os.path.join(work, 'record.html')
    subprocess.run([page_tests, '--gtest_filter=HtmlPage.WritesThePageOfAFilledRecordWhenAsked'],
                   env=dict(os.environ, MORVIT_RECORD_PAGE=page), check=True, capture_output=True, timeout=60)
    problems = []
    for fragment, readings in RECORD_READINGS.items():
        screenshot = os.path.join(out_dir, 'record.png') if not fragment else None
        dom, console = render(chromium, page, screenshot, 1600, fragment)
        root, found = page_problems(dom, console)
        problems += found
        table_part = dom[dom.find('<table class="fit-table"'):]
        for row_id, kind, words, critical in readings:
            row = re.search(r'<tr data-r="' + row_id + r'" class="([^"]*)">(.*?)</tr>', table_part, re.S)
            cells = row and re.findall(r'<td class="(cm|v)">(.*?)</td>', row.group(2))
            if not row or row.group(1) != kind or dict(cells) != {'cm': critical, 'v': words}:
                problems.append(f'{fragment or "at first"}: row {row_id} is {row and row.group(0)}, expected class '
                                f'{kind!r}, critical MER {critical!r}, reading {words!r}')
    if '<section id="warnings">' not in dom or 'membership &lt;7&gt; is outside' not in dom:
        problems.append('no warnings at the top')
    if 'contradictory: a factor and its negation' not in dom or '<tbody id="t-AB" data-block="AB" class="contra">' \
            not in dom:
        problems.append('the block AB (WEALTH with ~WEALTH) is not marked contradictory')
    if 'consistency 0.900, coverage 0.600, PRI 0.850' not in dom or 'RoN 0.950' not in dom:
        problems.append('the membership plot does not give the fit measures')
    if problems:
        raise Failure('record: ' + '; '.join(problems))
    print(f'record: verdicts from critical MERs at {len(RECORD_READINGS)} settings of MER and level, perfect '
          'and tied rows, warnings, a contradictory block, fit measures')


def main(argv):
    if len(argv) != 5:
        print(__doc__)
        return 2
    morvit, example, out_dir, page_tests = (os.path.abspath(arg) for arg in argv[1:])
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
            names = [line.strip() for line in handle if not line.startswith('#MORVIT ')]  # origin and records
        first_case = names[0]
        page = check_page(morvit, chromium, work, os.path.basename(example), [], 'example', out_dir,
                          {'opened': factors, 'points': len(names), 'height': 2400,
                           'largest': 1_000_000, 'texts': []})
        check_labels_and_svg(chromium, page, first_case)
        check_record_page(chromium, page_tests, work, out_dir)
        write_largest_run(os.path.join(work, 'largest.cmd'))
        escaped = 'GDP&lt;/script&gt;&lt;b&gt;'
        check_page(morvit, chromium, work, 'largest.cmd', ['--names', ','.join(ODD_NAMES)], 'largest', out_dir,
                   {'opened': 2, 'points': 2000, 'height': 2400, 'largest': 2_500_000,
                    'texts': ['The plots show 2,000 of the 100,000 cases', escaped, 'A &amp; B']})
    except (Failure, subprocess.TimeoutExpired, subprocess.CalledProcessError, OSError, AttributeError,
            KeyError, ValueError) as failure:
        print(failure)
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
