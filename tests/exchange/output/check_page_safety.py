#!/usr/bin/env python3
"""Hostile texts through every way into MORVIT's HTML page, loaded in headless Chromium.

    check_page_safety.py MORVIT [OUTPUT_DIR]

Each text of PAYLOADS tries to add an element (an id starting with "pwn") or to change
document.title when the page treats it as markup: breaking out of a double- or single-quoted
attribute, ending the script, the title or a CDATA section or comment early, an <img> with
onerror, U+2028 and U+2029 (line ends to JavaScript), entity look-alikes, and the same in
capitals (COM lines are read in capitals). Every text reaches the page through each way in
(WAYS): COM lines (plain comments and the OUTCOME = / A = lines that name the columns), case
names from the command file's .cases side file, --names, CSV column and case names through
--make-command-file, and the command file's own name (the page's title); a run that ends
without a table gives a page of its own, which must keep the policy too.

For each page Chromium dumps the DOM (with --enable-logging, to read its console). The test
fails when an element or an event-handler attribute came from a text, the title is not
"MORVIT: " and the file name, a text does not appear as written (as text content or an
attribute value of the DOM, and in the embedded JSON data), the script did not finish
(data-state="ready") or recorded an error or a policy violation, the console tells of a
Content Security Policy refusal, or the scripts' and the style sheet's hashes in the policy
are not the SHA-256 of those that the page holds (computed here; Chromium would block a
mismatched one too). The points are labelled (through the test hooks of check_html_page.py,
added to a copy of each page), so that the case names stand in the plots too.

Exits 0 when every page passes, 1 otherwise, 77 (skipped) without Chromium.
"""
import csv
import html.parser
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_html_page  # noqa: E402  (one way to find Chromium, render a page and read its policy)
from check_html_page import SKIPPED, Failure, find_chromium, render  # noqa: E402

# Short enough for a COM line ("A = " and the text within columns 8 to 80), no comma (the
# --names and --factors lists are comma-separated), no blanks at either end (trimmed).
PAYLOADS = [
    'w" onload="document.title=\'PWNED\'" x="',
    "w' onload='document.title=\"PWNED\"' x='",
    '</script><img id=pwn1 src=x onerror=document.title=1>',
    '</title><b id=pwn2>t</b>',
    ']]><b id=pwn3>c</b><![CDATA[',
    '--><b id=pwn4>m</b><!--',
    '<img id=pwn5 src=x onerror="document.title=\'PWNED\'">',
    'line\u2028sep\u2029end</script><b id=pwn6>',
    '<IMG ID=PWN7 SRC=X ONERROR=DOCUMENT.TITLE=1>',
    '<svg id=pwn8 onload=document.title=1><title>t</title>',
    '&lt;b id=pwn9&gt; &amp; &#60;b&#62;',
]
# Names in --names, --factors and the CSV header differ in more than letter case.
assert len({text.upper() for text in PAYLOADS}) == len(PAYLOADS)
FILE_NAME = 'run\'"><img id=pwnf src=x onerror=document.title=1>-->.cmd'
CASES = 14
FACTORS = 10


def data_rows():
    """CASES rows of an outcome and FACTORS factors, from a fixed seed."""
    rng = random.Random(2028)
    return [[round(rng.random(), 2) for _ in range(FACTORS + 1)] for _ in range(CASES)]


def case_names():
    return [PAYLOADS[i % len(PAYLOADS)] for i in range(CASES)]


def write_command_file(path, comments, finished=True):
    with open(path, 'w', encoding='utf-8', newline='\n') as out:
        for text in comments:
            out.write('COM    ' + text + '\n')
        out.write('DAT   %d %d\n' % (CASES, FACTORS))
        for row in data_rows():
            out.write(' '.join('%.2f' % value for value in row) + '\n')
        if finished:
            out.write('FIN\n')
    with open(path + '.cases', 'w', encoding='utf-8', newline='\n') as out:
        out.write('\n'.join(case_names()) + '\n')


def upper_ascii(text):
    return ''.join(c.upper() if c.isascii() else c for c in text)


class Dom(html.parser.HTMLParser):
    """The texts, attribute values, titles and ids of a DOM dump."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.texts = []
        self.values = []
        self.bad = []
        self.title = None
        self.json = None
        self._in = []

    VOID = {'area', 'base', 'br', 'col', 'embed', 'hr', 'img', 'input', 'link', 'meta', 'source', 'track', 'wbr'}

    def handle_starttag(self, tag, attrs):
        if tag not in self.VOID:
            self._in.append((tag, dict(attrs)))
        for name, value in attrs:
            if name.startswith('on'):
                self.bad.append(f'<{tag} {name}=...>')
            if name == 'id' and value and value.lower().startswith('pwn'):
                self.bad.append(f'<{tag} id={value}>')
            if value is not None:
                self.values.append(value)

    def handle_endtag(self, tag):
        while self._in:
            if self._in.pop()[0] == tag:
                break

    def handle_data(self, data):
        tag, attrs = self._in[-1] if self._in else ('', {})
        if tag == 'title' and len(self._in) >= 2 and self._in[-2][0] == 'head':
            self.title = (self.title or '') + data
        elif tag == 'script' and attrs.get('id') == 'morvit-data':
            self.json = (self.json or '') + data
        elif tag != 'script':
            self.texts.append(data)


def json_strings(value):
    if isinstance(value, str):
        yield value
    elif isinstance(value, list):
        for item in value:
            yield from json_strings(item)
    elif isinstance(value, dict):
        for item in value.values():
            yield from json_strings(item)


def check_hash(page_path):
    """The policy allows the scripts and the style sheet the page holds, by hashes computed here."""
    with open(page_path, 'rb') as handle:
        return check_html_page.policy_problems(handle.read().decode('utf-8'))


def problems_of(parsed, title, expected, shown_only=False):
    """What a parsed page (its source, or its DOM after the script ran) must not hold or must."""
    problems = ['an element or handler came from a text: ' + bad for bad in parsed.bad]
    if parsed.title != title:
        problems.append(f'title {parsed.title!r}, expected {title!r}')
    data_texts = set(json_strings(json.loads(parsed.json))) if parsed.json else set()
    shown = '\n'.join(parsed.texts + parsed.values)
    for way, text, in_data in expected:
        if shown_only and text not in shown:
            problems.append(f'{way}: {text!r} does not appear as written in the page')
        if in_data and text not in data_texts:
            problems.append(f'{way}: {text!r} is not in the page\'s data as written')
    return problems


def check_source(page_path, title, expected):
    """Without a browser: the page's policy, and its markup and data as the program wrote them."""
    with open(page_path, encoding='utf-8') as handle:
        parsed = Dom()
        parsed.feed(handle.read())
    problems = check_hash(page_path) + problems_of(parsed, title, expected)
    if problems:
        raise Failure(os.path.basename(page_path) + ' (source):\n  ' + '\n  '.join(problems))


def check(chromium, page_path, title, expected):
    """`expected`: (way, text) pairs, each text to appear as written in the page."""
    dom, console = render(chromium, check_html_page.with_hooks(page_path, page_path + '.hooks.html'), None,
                          fragment='#labels')
    parsed = Dom()
    parsed.feed(dom)
    problems = check_html_page.page_problems(dom, console) + problems_of(parsed, title, expected, shown_only=True)
    if problems:
        raise Failure(os.path.basename(page_path) + ':\n  ' + '\n  '.join(problems))
    return len(expected)


def main(argv):
    if len(argv) not in (2, 3):
        print(__doc__)
        return 2
    morvit = os.path.abspath(argv[1])
    work = tempfile.mkdtemp(prefix='morvit-safety-')
    keep = os.path.abspath(argv[2]) if len(argv) == 3 else None
    names = case_names()

    def run(args, expect_table=True):
        # -q is an option of a run only; the maker refuses it.
        quiet = [] if args[0] == '--make-command-file' else ['-q']
        done = subprocess.run([morvit] + quiet + args, cwd=work, stdin=subprocess.DEVNULL, capture_output=True,
                              timeout=120)
        if done.returncode != 0 and expect_table:
            raise Failure(f'morvit {args}: status {done.returncode}: {done.stderr.decode(errors="replace")}')

    # The ways in: each gives a command file, the run's extra options and the texts as the
    # page must show them (COM lines in capitals, the CSV header's names as written; True: also
    # in the embedded data).
    ways = []
    # COM lines: each text as a plain comment, and as the names of the outcome and factors.
    comments = list(PAYLOADS) + ['OUTCOME = ' + PAYLOADS[0]] + \
        ['%s = %s' % (chr(ord('A') + j), PAYLOADS[1 + j]) for j in range(FACTORS)]
    write_command_file(os.path.join(work, FILE_NAME), comments)
    ways.append(('com', FILE_NAME, [],
                 [('COM line', upper_ascii(text), False) for text in PAYLOADS] +
                 [('COM name', upper_ascii(text), True) for text in PAYLOADS[:FACTORS + 1]] +
                 [('case name', text, True) for text in names]))
    # --names: the factor names in the order of the letters.
    write_command_file(os.path.join(work, 'listed.cmd'), ['NAMES FROM THE COMMAND LINE'])
    listed = (PAYLOADS[1:] + PAYLOADS[:1])[:FACTORS]
    ways.append(('names', 'listed.cmd', ['--names', ','.join(listed)],
                 [('--names', text, True) for text in listed] + [('case name', text, True) for text in names]))
    # CSV column and case names through the command file maker.
    header = ['case', PAYLOADS[0]] + PAYLOADS[1:FACTORS + 1]
    with open(os.path.join(work, 'data.csv'), 'w', encoding='utf-8', newline='') as handle:
        writer = csv.writer(handle, lineterminator='\n')
        writer.writerow(header)
        for name, row in zip(names, data_rows()):
            writer.writerow([name] + ['%.2f' % value for value in row])
    run(['--make-command-file', 'data.csv', '--outcome', PAYLOADS[0], '--factors', ','.join(PAYLOADS[1:FACTORS + 1]),
         '--cases', 'case', '-o', 'made.cmd'])
    ways.append(('csv', 'made.cmd', [],
                 [('CSV column', text, True) for text in PAYLOADS[:FACTORS + 1]] +  # as written in the header
                 [('CSV case name', text, True) for text in names]))

    # A run that ends without a table: its page shows the comments and must keep the policy too.
    write_command_file(os.path.join(work, 'early.cmd'), PAYLOADS, finished=False)
    ways.append(('early', 'early.cmd', [], [('COM line', upper_ascii(text), False) for text in PAYLOADS]))

    checked = 0
    try:
        for way, command_file, args, expected in ways:
            page = os.path.join(work, way + '.html')
            run(['--html', page] + args + [command_file], expect_table=way != 'early')
            check_source(page, 'MORVIT: ' + command_file, expected)
            if keep:
                os.makedirs(keep, exist_ok=True)
                shutil.copy(page, keep)
        print(f'without a browser: {len(ways)} pages, their policies, no element or handler from a text in their '
              'markup, every text as written in their data')
        chromium = find_chromium()
        if chromium is None:
            print('no chromium: the rendered checks skipped (Debian: apt-get install chromium)')
            return SKIPPED
        for way, command_file, args, expected in ways:
            checked += check(chromium, os.path.join(work, way + '.html'), 'MORVIT: ' + command_file, expected)
        print(f'{len(ways)} pages, {len(PAYLOADS)} hostile texts, {checked} places checked: '
              'no element or handler from a text, every text as written, the title the file name, '
              'no script error, no policy refusal, the hashes those of the page\'s script and style')
    except (Failure, subprocess.TimeoutExpired, OSError) as failure:
        print(failure)
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
