#!/usr/bin/env python3
"""MORVIT's HTML page: first what can be checked without a browser, then the page rendered
in headless Chromium as a reader sees it.

    check_html_page.py MORVIT EXAMPLE_COMMAND_FILE OUTPUT_DIR WRITE_RECORD_PAGE

The pages: the example's (with --html and --table-csv), the page of a hand-filled run record
(WRITE_RECORD_PAGE writes it), the example with a control character in a case name and a
column name, and the largest run (100,000 cases x 10 factors) with markup characters in its
names.

Without a browser, for every page: the policy allows exactly the scripts and the style sheet
the page holds, by SHA-256 hashes computed here with hashlib, and WebAssembly only where the
page carries its numbers module; the sections stand in reading order (controls, findings,
comments, summary, plots, table); the data the run hands the script are JSON with named
fields, the hypothesis kinds by name, and agree with the table CSV number for number (the
record page: with the record's fields).

In Chromium (skipped, status 77, when none is installed, after the checks above passed):
the script runs to its end without an error or a refusal of the policy; the table, the
pager, the filter and the plots of the single factors that open at first; at 1366 and 390
pixels wide no text under 12 pixels, no table cell whose value wraps, two plots of at least
440 pixels side by side on the wide window and stacked within the narrow one (screenshots
kept in OUTPUT_DIR for a person to look at); with labels on, no label over another or over a
point; the tooltip names the case under the pointer; a plot saved as SVG parses as XML,
control characters in the names included. At the address #mer=0.2 every F and P of the
table's first page is the report's of the same data run with MER 0.2, and the findings and
the run summary follow; a page without its numbers module says that its P is the run's;
#mer=5% stops nothing. The record page's rows read at several MERs and levels.

The page's test hooks (page_hooks.js beside this file) are added to copies of the pages
here, with their hash in the copy's policy: the pages the program writes never hold them.

Exits 0 when every page passes, 1 otherwise, and 77 (skipped) when no Chromium is installed.
"""
import base64
import csv
import hashlib
import html
import html.parser
import json
import math
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
HOOKS = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'page_hooks.js')
KINDS = {'baseline', 'necessary', 'sufficient', 'nec_and_suff', 'comparison'}
SECTIONS = ['controls', 'findings', 'comments', 'summary', 'plots', 'table']


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


# Headless Chromium lays a page out at least 500 pixels wide, whatever its window: a
# narrower one is a frame of that width in a page of its own, which hands on the frame's DOM.
FRAME = """<!DOCTYPE html><html><body style="margin:0"><iframe id="page" src="{src}" width="{width}" height="{height}"
style="border:0;display:block"></iframe><textarea id="dom"></textarea><script>
var frame = document.getElementById('page');
frame.addEventListener('load', function () {{
  document.getElementById('dom').textContent = frame.contentDocument.documentElement.outerHTML;
}});
</script></body></html>
"""


def render(chromium, page, screenshot=None, size=(1280, 2400), fragment=''):
    """The DOM after the page's script ran, and Chromium's console (policy refusals, errors)."""
    profile = tempfile.mkdtemp(prefix='morvit-chromium-')
    shot = [f'--screenshot={screenshot}'] if screenshot else []
    url = 'file://' + os.path.abspath(page) + fragment
    framed = size[0] < 500
    if framed:
        frame = os.path.join(os.path.dirname(os.path.abspath(page)), 'frame-' + os.path.basename(page))
        with open(frame, 'w', encoding='utf-8') as handle:
            handle.write(FRAME.format(src=html.escape(url), width=size[0], height=size[1]))
        url = 'file://' + frame
    try:
        run = subprocess.run([chromium] + CHROMIUM_FLAGS + LOGGING + ['--allow-file-access-from-files'] +
                             [f'--user-data-dir={profile}', f'--window-size={size[0]},{size[1]}'] + shot +
                             ['--dump-dom', url], stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
    finally:
        shutil.rmtree(profile, ignore_errors=True)
    dom = run.stdout.decode('utf-8', errors='replace')
    if run.returncode != 0 or '<html' not in dom:
        raise Failure(f'Chromium exit status {run.returncode}: {run.stderr.decode(errors="replace")[-2000:]}')
    if framed:
        inner = re.search(r'<textarea id="dom">(.*?)</textarea>', dom, re.S)
        dom = html.unescape(inner.group(1)) if inner and inner.group(1) else '<html data-frame="empty">'
    return dom, run.stderr.decode('utf-8', errors='replace')


def digest(text):
    return 'sha256-' + base64.b64encode(hashlib.sha256(text.encode('utf-8')).digest()).decode()


def with_hooks(page, copy):
    """A copy of the page with the test hooks as its last script, allowed by their hash."""
    with open(page, encoding='utf-8') as handle:
        text = handle.read()
    with open(HOOKS, encoding='utf-8') as handle:
        hooks = handle.read()
    text = text.replace("script-src ", f"script-src '{digest(hooks)}' ", 1)
    text = text.replace('</body>', f'<script>{hooks}</script>\n</body>', 1)
    with open(copy, 'w', encoding='utf-8') as handle:
        handle.write(text)
    return copy


def without_module(page, copy):
    """A copy of the page as a build without the numbers module writes it."""
    with open(page, encoding='utf-8') as handle:
        text = handle.read()
    text = re.sub(r'<script type="application/wasm\+base64" id="morvit-numbers">.*?</script>\n', '', text, flags=re.S)
    text = text.replace(" 'wasm-unsafe-eval'", '')
    with open(copy, 'w', encoding='utf-8') as handle:
        handle.write(text)
    return copy


# ---- Without a browser --------------------------------------------------------------------------


def policy_problems(page):
    """The policy allows the page's own scripts and style sheet by their hashes, computed here,
    WebAssembly exactly where the page carries its module, and nothing else."""
    policy = re.search(r'<meta http-equiv="Content-Security-Policy" content="([^"]*)">', page)
    if not policy:
        return ['no Content-Security-Policy meta element']
    directives = dict(part.strip().split(' ', 1) for part in policy.group(1).split(';') if part.strip())
    problems = []
    if directives.get('default-src') != "'none'" or 'unsafe-inline' in policy.group(1):
        problems.append('policy ' + policy.group(1))
    scripts = re.findall(r'<script>(.*?)</script>', page, re.S)
    styles = re.findall(r'<style>(.*?)</style>', page, re.S)
    module = 'id="morvit-numbers"' in page
    expected_scripts = sorted(f"'{digest(body)}'" for body in scripts) + (["'wasm-unsafe-eval'"] if module else [])
    if sorted(directives.get('script-src', '').split()) != sorted(expected_scripts) or not scripts:
        problems.append(f"script-src {directives.get('script-src')}, the page's scripts hash to {expected_scripts}")
    if directives.get('style-src', '').split() != [f"'{digest(body)}'" for body in styles] or len(styles) != 1:
        problems.append(f"style-src {directives.get('style-src')} is not the hash of the page's style sheet")
    return problems


class Sections(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.ids = []

    def handle_starttag(self, tag, attrs):
        if tag == 'section':
            self.ids.append(dict(attrs).get('id'))


def page_data(page):
    found = re.search(r'<script type="application/json" id="morvit-data">(.*?)</script>', page, re.S)
    return json.loads(found.group(1)) if found else None


def number(value):
    return float(value) if isinstance(value, str) else math.nan if value is None else value


def same(a, b):
    return a == b or (math.isnan(a) and math.isnan(b))


def data_problems(data):
    """Named fields throughout: every block a dict with its label and rows, every row a dict
    with its kind by name."""
    problems = []
    for block in data['blocks']:
        if not isinstance(block, dict) or not isinstance(block.get('block'), str) or not isinstance(block.get('rows'), list):
            return [f'a block without named fields: {str(block)[:200]}']
        for row in block['rows']:
            if not isinstance(row, dict) or row.get('kind') not in KINDS:
                problems.append(f'a row without a kind by name: {str(row)[:200]}')
    for name in ('run', 'levels', 'conventional', 'findings', 'factors', 'case', 'x', 'z', 'w'):
        if name not in data:
            problems.append(f'no {name} in the data')
    return problems


def table_problems(data, table):
    """The data agree with the table CSV: the same rows, the same numbers to the last bit."""
    with open(table, newline='') as handle:
        rows = list(csv.DictReader(handle))
    pairs = [(block, row) for block in data['blocks'] for row in block['rows']]
    if len(pairs) != len(rows):
        return [f'{len(pairs)} rows in the data, {len(rows)} in the table CSV']
    level = data['levels'].index(data['run']['level'])
    problems = []
    for (block, row), line in zip(pairs, rows):
        where = f'{line["block"]} {line["hypothesis"]}'
        if block['block'] != line['block'] or (line['omitted'] == 'TRUE') != bool(row.get('omitted')):
            problems.append(f'{where}: {block["block"]} {row} in the data')
            continue
        if row.get('omitted'):
            continue
        for name, column in (('ssd', 'SSD'), ('msd', 'MSD'), ('f', 'F'), ('p', 'P')):
            if name in row and not same(number(row[name]), float(line[column] or 'nan')):
                problems.append(f'{where}: {name} {row[name]} in the data, {line[column]} in the CSV')
        if row['kind'] in ('necessary', 'sufficient', 'nec_and_suff'):
            # F at another MER is formed from the SSD as summed: at the run's own MER it gives
            # the run's F to the last bit (a combination prints SSD recomputed from F).
            summed = number(row.get('sum', row['ssd']))
            dfn = number(row.get('dfn', row['df']))
            if not same((summed / dfn) / number(data['run']['expected_msd']), number(row['f'])):
                problems.append(f'{where}: the summed SSD {summed} does not give the run\'s F {row["f"]}')
            if row.get('against', -1) != int(line['cases_against']):
                problems.append(f'{where}: {row.get("against")} cases against, {line["cases_against"]} in the CSV')
            if not same(number(row['critical'][level]), float(line['critical_mer'] or 'nan')):
                problems.append(f'{where}: critical MER {row["critical"][level]}, {line["critical_mer"]} in the CSV')
            if not same(number(block['fit']['cons_suf']), float(line['cons_suf'] or 'nan')):
                problems.append(f'{where}: cons_suf {block["fit"]["cons_suf"]}, {line["cons_suf"]} in the CSV')
    return problems


def record_problems(data):
    """The record page's data say what the record holds (record_page/filled_run.cpp)."""
    blocks = {block['block']: block for block in data['blocks']}
    expected = [
        (blocks['A']['rows'][2]['critical'], ['NaN', 'NaN', 'NaN'], 'critical MERs that none reaches'),
        (blocks['A']['rows'][1].get('dfn'), 2.5, 'a partition weight as numerator degrees of freedom'),
        (blocks['A']['rows'][0].get('dfn'), None, 'no dfn where it is the DF'),
        (blocks['B']['rows'][0], {'kind': 'necessary', 'omitted': True, 'against': 0}, 'a perfect row'),
        (blocks['B']['rows'][1].get('ties'), True, 'a row decided by ties'),
        (blocks['AB']['contradictory'], True, 'WEALTH with ~WEALTH'),
        (blocks['A']['contradictory'], False, 'a single factor'),
        (blocks['A']['counts'], {'above': 1, 'below': 1, 'on': 1}, 'the counts of the run'),
        (blocks['A']['fit']['ron'], 0.95, 'fit measures by name'),
        (blocks['AB']['rows'][3], {'kind': 'comparison', 'hypothesis': 'A v AB', 'f': 2.25, 'p': 0.01}, 'a comparison'),
        (data['run']['mer'], 0.05000000074505806, "the run's MER to the last bit"),
        (data['levels'], [0.01, 0.05, 0.1], 'the levels'),
    ]
    return [f'record: {what}: {actual!r}, expected {wanted!r}' for actual, wanted, what in expected if actual != wanted]


def check_without_browser(page_path, table=None, record=False):
    with open(page_path, encoding='utf-8') as handle:
        page = handle.read()
    problems = policy_problems(page)
    sections = Sections()
    sections.feed(page)
    order = [section for section in sections.ids if section in SECTIONS]
    if order != SECTIONS:
        problems.append(f'sections {order}, expected {SECTIONS}')
    data = page_data(page)
    if data is None:
        problems.append('no data')
    else:
        problems += data_problems(data)
        if table:
            problems += table_problems(data, table)
        if record:
            problems += record_problems(data)
    if problems:
        raise Failure(os.path.basename(page_path) + ': ' + '; '.join(problems[:20]))
    return page, data


# ---- In Chromium --------------------------------------------------------------------------------


def root_of(dom):
    return re.search(r'<html[^>]*>', dom).group(0)


def attributes(dom):
    return dict(re.findall(r'(data-[a-z0-9-]+)="([^"]*)"', root_of(dom)))


def page_problems(dom, console):
    """What every page must show: the script ran to its end, no error, no policy refusal."""
    root = root_of(dom)
    problems = []
    if 'data-script-errors' in root or 'data-csp-violations' in root or 'data-hook-error' in root:
        problems.append('script errors or policy violations: ' + root)
    if 'data-state="ready"' not in root:
        problems.append('the script did not finish: ' + root)
    for line in console.splitlines():
        if 'Content Security Policy' in line or 'Uncaught' in line:
            problems.append('console: ' + line[:300])
    return problems


def shown_table_rows(dom):
    """The table's rows as shown: (row id, class, {cell class: text})."""
    part = dom[dom.find('<table class="fit-table"'):]
    part = part[:part.find('</table>')]
    rows = []
    for row_id, kind, body in re.findall(r'<tr data-r="([^"]*)" class="([^"]*)">(.*?)</tr>', part, re.S):
        cells = dict(re.findall(r'<td class="([a-z-]+)[^"]*"[^>]*>(.*?)</td>', body, re.S))
        rows.append((row_id, kind, {name: html.unescape(re.sub(r'<[^>]*>', '', text)) for name, text in cells.items()}))
    return rows


def check_layout(chromium, page, name, out_dir, expect):
    """A page at a laptop's width and at a phone's: what a reader sees."""
    problems = []
    for width, height in ((1366, 2400), (390, 2400)):
        screenshot = os.path.join(out_dir, f'{name}-{width}.png')
        dom, console = render(chromium, page, screenshot, (width, height), '#labels,measure')
        found = page_problems(dom, console)
        hooks = attributes(dom)
        if float(hooks.get('data-hook-smallest-font', 0)) < 12:
            found.append(f'text of {hooks.get("data-hook-smallest-font")} px ({hooks.get("data-hook-smallest-font-where")})')
        if hooks.get('data-hook-wrapped-cells') != '0':
            found.append(f'{hooks.get("data-hook-wrapped-cells")} table cells wrap: {hooks.get("data-hook-wrapped-examples")}')
        widths = [int(w) for w in hooks.get('data-hook-plot-widths', '0,0').split(',')]
        side = hooks.get('data-hook-plots-side-by-side')
        if width == 1366 and (min(widths) < 440 or side != 'yes'):
            found.append(f'plots {widths} px wide, side by side: {side}')
        if width == 390 and (side != 'no' or hooks.get('data-hook-plots-fit') != 'yes'):
            found.append(f'plots {widths} px wide, side by side: {side}, within the window: {hooks.get("data-hook-plots-fit")}')
        if hooks.get('data-hook-label-overlaps') != '0' or int(hooks.get('data-hook-labelled', 0)) < expect['labelled']:
            found.append(f'{hooks.get("data-hook-labelled")} labels, {hooks.get("data-hook-label-overlaps")} overlaps')
        shot = png_size(screenshot)
        if shot != (width, height) or os.path.getsize(screenshot) < 30000:
            found.append(f'screenshot {shot}, {os.path.getsize(screenshot)} bytes: blank?')
        problems += [f'{width} px: {problem}' for problem in found]
    if problems:
        raise Failure(f'{name}: ' + '; '.join(problems))
    print(f'{name}: at 1366 and 390 px no text under 12 px, no cell wraps, plots {widths} px at 390 px, labels '
          f'without overlap; screenshots {name}-1366.png, {name}-390.png')


def check_page(chromium, page, data, name, out_dir, expect):
    """The page as it opens: table, pager, filter and the plots of the single factors."""
    dom, console = render(chromium, page, os.path.join(out_dir, name + '.png'), (1280, 2400))
    problems = page_problems(dom, console)
    blocks = len(data['blocks']) - 1  # without NONE
    on_page = min(blocks, data['page'])
    shown_rows = sum(len(b['rows']) for b in data['blocks'][:on_page + 1])
    table_part = dom[dom.find('<section id="table">'):]
    table_part = table_part[:table_part.find('</section>')]
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
    plots_part = dom[dom.find('<section id="plots">'):dom.find('<section id="table">')]
    svgs = re.findall(r'<svg.*?</svg>', plots_part, re.S)
    opened = expect['opened']
    if len(svgs) != 2 * opened or f'data-plots="{opened}"' not in root_of(dom):
        problems.append(f'{len(svgs)} plots drawn, expected {2 * opened}: {root_of(dom)}')
    for svg in svgs:
        if f'data-points="{expect["points"]}"' not in svg or 'class="diagonal"' not in svg:
            problems.append(f'a plot without {expect["points"]} points or a diagonal: {svg[:300]}')
            break
    memberships = [svg for svg in svgs if 'class="chart-m"' in svg]
    if len(memberships) != opened or any(svg.count('class="half"') != 2 for svg in memberships):
        problems.append('a membership plot without its lines at 0.5')
    if plots_part.count('download="morvit-') != 2 * opened:
        problems.append('a plot without its link to save it as SVG')
    findings = dom[dom.find('<section id="findings">'):dom.find('<section id="comments">')]
    if '<table class="findings">' not in findings or 'class="lead"' not in findings:
        problems.append('no findings at the top')
    for text in expect['texts']:
        if text not in dom:
            problems.append(f'the page lacks {text!r}')
    if problems:
        raise Failure(f'{name}: ' + '; '.join(problems))
    print(f'{name}: {os.path.getsize(page)} bytes, {blocks} blocks, {len(svgs)} plots of {expect["points"]} points, '
          f'ready after {attributes(dom).get("data-ready-ms", "?")} ms, numbers: {attributes(dom).get("data-numbers")}, '
          'no script error, no policy refusal')


def report_rows(report):
    """F and P of the report's table rows, in order."""
    rows = []
    for line in report.split('\r\n'):
        if len(line) >= 78 and re.fullmatch(r'-----|[\d.*]+|inf|nan', line[68:78].strip()) and \
                re.fullmatch(r'-----|[\d.*]+|inf|nan', line[58:68].strip()):
            rows.append((line[58:68].strip(), line[68:78].strip()))
    return rows


def check_mer(chromium, morvit, work, page, data, command_file):
    """At #mer=0.2 the table's F and P are those of a run with MER 0.2; findings and summary
    follow; without the module the page says that its P is the run's; a bad address stops
    nothing."""
    with open(command_file, encoding='latin-1') as handle:
        text = handle.read()
    with open(os.path.join(work, 'mer20.cmd'), 'w', encoding='latin-1', newline='') as handle:
        handle.write(re.sub(r'^FIN', 'MER    0.2\nFIN', text, flags=re.M))
    subprocess.run([morvit, '-q', 'mer20.cmd'], cwd=work, check=True, capture_output=True, timeout=120)
    with open(os.path.join(work, 'morvit.out'), encoding='latin-1', newline='') as handle:
        expected = report_rows(handle.read())
    printed = [(block, row) for block in data['blocks'] for row in block['rows'] if not row.get('omitted')]
    module = 'id="morvit-numbers"' in open(page, encoding='utf-8').read()
    problems = []
    dom, console = render(chromium, page, None, (1280, 2400), '#mer=0.2')
    problems += page_problems(dom, console)
    compared = 0
    for row_id, kind, cells in shown_table_rows(dom):
        bi, ri = (int(part) for part in row_id.split(':'))
        row = data['blocks'][bi]['rows'][ri]
        if row.get('omitted') or row['kind'] == 'baseline':
            continue
        wanted = expected[printed.index((data['blocks'][bi], row))]
        shown = (cells.get('n-f'), cells.get('n-p'))
        if (module and shown != wanted) or (not module and shown[0] != wanted[0]):
            problems.append(f'row {row_id} shows F, P {shown}, the run at MER 0.2 {wanted}')
        compared += 1
    if '<td id="summary-mer">0.200000</td>' not in dom or 'the run\'s: 0.050000' not in dom:
        problems.append('the run summary does not follow the MER')
    stripped = without_module(page, os.path.join(work, 'no-module.html'))
    dom, console = render(chromium, stripped, None, (1280, 2400), '#mer=0.2')
    problems += page_problems(dom, console)
    if 'made without its numbers module: its P is the run' not in dom or 'class="n-p runs"' not in dom:
        problems.append('a page without its module does not say that its P is the run\'s')
    for fragment in ('#mer=5%', '#mer=abc,alpha=0.01', '#%E0%A4%A'):
        dom, console = render(chromium, page, None, (1280, 1200), fragment)
        problems += [f'{fragment}: {problem}' for problem in page_problems(dom, console)]
    if problems:
        raise Failure('MER: ' + '; '.join(problems[:20]))
    print(f'MER: at #mer=0.2 F {"and P " if module else ""}of {compared} rows those of a run with MER 0.2; '
          'the summary follows; a page without the module says its P is the run\'s; bad addresses stop nothing')


def check_labels_and_svg(chromium, page, first_case):
    """With the labels on, the tooltip names the case under the pointer; a plot saved as SVG
    is a well-formed SVG file with the plot's points, whatever the names hold."""
    dom, console = render(chromium, page, None, (1280, 1200), '#labels,test-svg')
    problems = page_problems(dom, console)
    labels = re.findall(r'<g class="labels"[^>]*>(.*?)</g>', dom, re.S)
    if not labels or html.escape(first_case.replace('\x01', '\ufffd'), quote=False) not in labels[0]:
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
    if not tip or 'hidden' in tip.group(0)[:60] or not html.unescape(tip.group(1)).startswith(first_case):
        problems.append(f'the pointer on the first case does not show it: {tip and tip.group(0)[:200]}')
    if problems:
        raise Failure('labels and SVG: ' + '; '.join(problems))
    print(f'labels and SVG: the pointed case in the tooltip, {link.group(2)} saved through {link.group(1)[:20]}..., '
          f'a valid SVG with {first_case!r} among the names')


# The rows of the record page (record_page/filled_run.cpp) and their readings at MERs and
# levels, on the page without its module (read by critical MER at other MERs): [row id,
# class, reading, critical MER shown].
RECORD_READINGS = {
    '': [('1:0', 'fit', 'compatible', '0.0300'), ('1:1', 'rej', 'rejected', '0.1000'),
         ('1:2', 'rej', 'rejected', 'none'), ('2:0', 'perfect', 'no case against', ''),
         ('2:1', 'tie', 'decided by ties', ''), ('2:2', 'fit', 'compatible', ''),
         ('3:3', 'cmp closer contra', 'combination closer', ''), ('3:4', 'cmp contra', 'not markedly', '')],
    '#mer=0.2': [('1:0', 'fit', 'compatible', '0.0300'), ('1:1', 'fit', 'compatible', '0.1000'),
                 ('1:2', 'rej', 'rejected', 'none')],
    '#mer=0.02': [('1:0', 'rej', 'rejected', '0.0300'), ('2:2', 'fit', 'compatible', '')],
    '#alpha=0.01,mer=0.035': [('1:0', 'fit', 'compatible', '0.0100'), ('1:1', 'rej', 'rejected', '0.0800'),
                              ('3:3', 'cmp contra', 'not markedly', '')],
}


def check_record_page(chromium, page, work, out_dir):
    """The verdicts follow the MER and the level, perfect and tied rows stand apart and show
    it in their block's header, warnings at the top."""
    stripped = without_module(page, os.path.join(work, 'record-no-module.html'))
    problems = []
    for fragment, readings in RECORD_READINGS.items():
        screenshot = os.path.join(out_dir, 'record.png') if not fragment else None
        dom, console = render(chromium, stripped, screenshot, (1280, 1600), fragment)
        problems += page_problems(dom, console)
        rows = {row_id: (kind, cells) for row_id, kind, cells in shown_table_rows(dom)}
        for row_id, kind, words, critical in readings:
            got = rows.get(row_id)
            if not got or got[0] != kind or (got[1].get('cm'), got[1].get('v')) != (critical, words):
                problems.append(f'{fragment or "at first"}: row {row_id} is {got}, expected class {kind!r}, '
                                f'critical MER {critical!r}, reading {words!r}')
    brief = re.search(r'<details id="p-B".*?<span class="brief">(.*?)</span></summary>', dom, re.S)
    brief = html.unescape(re.sub(r'<[^>]*>', '', brief.group(1))) if brief else ''
    if 'NECESSARY no case against' not in brief or 'SUFFICIENT decided by ties' not in brief:
        problems.append(f'the header of block B reads {brief!r}')
    if '<section id="warnings">' not in dom or 'membership &lt;7&gt; is outside' not in dom:
        problems.append('no warnings at the top')
    if 'contradictory: a factor and its negation' not in dom or '<tbody id="t-AB" data-block="AB" class="contra">' \
            not in dom:
        problems.append('the block AB (WEALTH with ~WEALTH) is not marked contradictory')
    if 'consistency 0.900,' not in dom or 'RoN 0.950' not in dom:
        problems.append('the membership plot does not give the fit measures')
    if problems:
        raise Failure('record: ' + '; '.join(problems))
    print(f'record: verdicts at {len(RECORD_READINGS)} settings of MER and level, perfect and tied rows in the '
          'table and the block header, warnings, a contradictory block, fit measures')


def run_morvit(morvit, work, args):
    run = subprocess.run([morvit, '-q'] + args, cwd=work, stdin=subprocess.DEVNULL, capture_output=True, timeout=600)
    if run.returncode != 0:
        raise Failure(f'morvit {args}: status {run.returncode}: {run.stderr!r}')


def main(argv):
    if len(argv) != 5:
        print(__doc__)
        return 2
    morvit, example, out_dir, record_writer = (os.path.abspath(arg) for arg in argv[1:])
    work = tempfile.mkdtemp(prefix='morvit-html-')
    try:
        # The pages, checked without a browser.
        shutil.copy(example, work)
        shutil.copy(example + '.cases', work)
        name = os.path.basename(example)
        with open(example) as handle:
            factors = int(re.search(r'^DAT +(\d+) +(\d+)', handle.read(), re.M).group(2))
        with open(example + '.cases') as handle:
            lines = handle.read().splitlines()
        names = [line for line in lines if not line.startswith('#MORVIT ')]
        run_morvit(morvit, work, ['--html', 'example.html', '--table-csv', 'example.csv', name])
        example_page = os.path.join(work, 'example.html')
        _, example_data = check_without_browser(example_page, os.path.join(work, 'example.csv'))
        record_page = os.path.join(work, 'record.html')
        subprocess.run([record_writer, record_page], check=True, capture_output=True, timeout=60)
        check_without_browser(record_page, record=True)
        # A control character in a case name and in a column name.
        odd = os.path.join(work, 'odd.cmd')
        shutil.copy(example, odd)
        with open(odd + '.cases', 'w') as handle:
            handle.write('\n'.join(lines).replace(names[0], names[0] + '\x01', 1) + '\n')
        run_morvit(morvit, work, ['--html', 'odd.html', '--names', ','.join(['A\x01B'] + ['X%d' % j for j in range(2, factors + 1)]),
                                  'odd.cmd'])
        check_without_browser(os.path.join(work, 'odd.html'))
        write_largest_run(os.path.join(work, 'largest.cmd'))
        run_morvit(morvit, work, ['--html', 'largest.html', '--table-csv', 'largest.csv', '--names', ','.join(ODD_NAMES),
                                  'largest.cmd'])
        largest_page = os.path.join(work, 'largest.html')
        _, largest_data = check_without_browser(largest_page, os.path.join(work, 'largest.csv'))
        if os.path.getsize(largest_page) > 2_500_000:
            raise Failure(f'the largest page has {os.path.getsize(largest_page)} bytes, more than 2,500,000')
        print('without a browser: the policy allows exactly the scripts and the style sheet of each page, by their '
              'hashes; sections in reading order; named data that agree with the table CSV')

        chromium = find_chromium()
        if chromium is None:
            print('no chromium: the rendered checks skipped (Debian: apt-get install chromium)')
            return SKIPPED
        os.makedirs(out_dir, exist_ok=True)
        check_page(chromium, example_page, example_data, 'example', out_dir,
                   {'opened': factors, 'points': len(names), 'texts': []})
        check_layout(chromium, with_hooks(example_page, os.path.join(work, 'example-hooks.html')), 'example', out_dir,
                     {'labelled': len(names)})
        check_labels_and_svg(chromium, with_hooks(os.path.join(work, 'odd.html'), os.path.join(work, 'odd-hooks.html')),
                             names[0] + '\x01')
        check_mer(chromium, morvit, work, example_page, example_data, example)
        check_record_page(chromium, record_page, work, out_dir)
        check_page(chromium, largest_page, largest_data, 'largest', out_dir,
                   {'opened': 2, 'points': 2000,
                    'texts': ['The plots show 2,000 of the 100,000 cases', 'GDP&lt;/script&gt;&lt;b&gt;', 'A &amp; B']})
    except (Failure, subprocess.TimeoutExpired, subprocess.CalledProcessError, OSError, AttributeError,
            KeyError, ValueError, IndexError) as failure:
        print(failure)
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
