#!/usr/bin/env python3
"""The browser app (morvit.html) against the command line, in headless Chromium.

    check_app.py MORVIT MORVIT_HTML CONFORMANCE_CASES DATASETS [--screenshots DIR] [--only NAME...]

MORVIT is the native program, MORVIT_HTML the app. Two parts:

- Every stored conformance case (CONFORMANCE_CASES/*/case.json: its arguments, its command
  file in in/) runs through morvit.html#command=...&name=...&args=..., the command file and
  the arguments in the address, and `morvit ARGS` runs natively in a folder that holds the
  same command file. Standard output and standard error (as the app shows them), the exit
  status, the report in <pre id="report"> and every file the run wrote (downloaded from the
  app) must be the command line's, byte for byte; the date and the time of day may differ
  where the report prints them.
- The CSV path: each data set of DATASETS is opened in the app and the outcome, the
  conditions (some negated), the case names, calibrations and settings are chosen in its
  form; the app makes the command file with the program's maker and runs it. The command
  file, its .cases file, the table CSV, the cases CSV, the page and the report it offers
  are those of `morvit --make-command-file ...` and `morvit --table-csv ... --cases-csv ...
  --html ...` run natively with the same choices.

With --screenshots, DIR receives the app at 1366 and 390 pixels wide, for a person to look
at: empty (app-empty-WIDTH.png), with the raw Lipset data chosen and calibrated
(app-csv-WIDTH.png), and after its run, with the findings and with the page shown
(app-run-WIDTH.png, app-page-WIDTH.png).

Throughout: no script error, no refusal of the page's policy, no request for anything but
the page itself and the blobs it makes, and morvit.html at most 1.5 MB.
Exits 0 when all agree, 1 otherwise, 77 (skipped) without Chromium.
"""
import base64
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser import Browser, BrowserError, find_chromium  # noqa: E402

SKIPPED = 77
LARGEST_APP = 1_500_000
CLOCK = re.compile(rb'SYSTEM DATE AND TIME|FINISHED ON')

# The CSV path: a data set, the choices made in the app's form, and the command line that
# makes the same choices. Each column's role ('outcome', 'condition', 'cases', 'weights'),
# its negation and its calibration (E, C, I); then the settings.
DATASETS = [
    {'csv': 'lipset_1959_democracy.csv',
     'columns': {'SURVIVED': ('outcome',), 'DEVELOPED': ('condition',), 'URBAN': ('condition',),
                 'LITERATE': ('condition',), 'INDUSTRIAL': ('condition',), 'STABLE': ('condition',),
                 'CASE': ('cases',)},
     'settings': {'title': 'Lipset (1959), 18 European democracies between the world wars: which conditions are '
                           'necessary or sufficient for the survival of democracy?'}},
    {'csv': 'schneider_2010_exports.csv',
     'columns': {'EXPORT': ('outcome',), 'EMP': ('condition',), 'BARGAIN': ('condition',), 'UNI': ('condition',),
                 'OCCUP': ('condition',), 'STOCK': ('condition',), 'MA': ('condition',), 'CASE': ('cases',)},
     'settings': {'mer': '0.2', 'csv-level': '0.1'}},
    {'csv': 'paykani_2018_health.csv',
     'columns': {'HL': ('outcome',), 'HE': ('condition',), 'GG': ('condition', True), 'AH': ('condition',),
                 'HI': ('condition', True), 'HW': ('condition',), 'COUNTRY': ('cases',)},
     'settings': {'title': 'Paykani, Rafiey and Sajjadi (2018): conditions of high life expectancy', 'dam': '0.02'}},
    {'csv': 'lipset_1959_raw.csv',
     'columns': {'SURVIVED': ('outcome', False, ('-9', '0', '10')),
                 'DEVELOPED': ('condition', False, ('400', '550', '900')),
                 'URBAN': ('condition', False, ('25', '50', '65')),
                 'LITERATE': ('condition', False, ('50', '75', '90')),
                 'INDUSTRIAL': ('condition', False, ('20', '30', '40')),
                 'UNSTABLE': ('condition', False, ('15', '9.5', '5')), 'CASE': ('cases',)},
     'settings': {'csv-level': '0.01'}},
    {'csv': 'lipset_1959_raw.csv',
     'columns': {'SURVIVED': ('outcome', True, ('-9', '0', '10')),
                 'DEVELOPED': ('condition', True, ('400', '550', '900')),
                 'URBAN': ('condition', True, ('25', '50', '65')),
                 'LITERATE': ('condition', True, ('50', '75', '90')),
                 'INDUSTRIAL': ('condition', True, ('20', '30', '40')),
                 'UNSTABLE': ('condition', False, ('5', '9.5', '15')), 'CASE': ('cases',)},
     'settings': {'drop-missing': True}},
]


class Failure(Exception):
    pass


def base64url(data):
    return base64.urlsafe_b64encode(data).decode('ascii').rstrip('=')


# The bytes that Windows-1252 leaves undefined, which browsers read as the control characters
# of the same number.
UNDEFINED_IN_1252 = {0x81, 0x8D, 0x8F, 0x90, 0x9D}


def text_of(data):
    """As the app shows a file: UTF-8 where it is UTF-8, else Windows-1252 (as browsers read it)."""
    try:
        return data.decode('utf-8')
    except UnicodeDecodeError:
        return ''.join(chr(b) if b in UNDEFINED_IN_1252 else bytes([b]).decode('cp1252') for b in data)


def without_clock(data):
    """The lines that print the date and the time of day with their digits as zeros."""
    lines = data.split(b'\n')
    return b'\n'.join(re.sub(rb'[0-9]', b'0', line) if CLOCK.search(line) else line for line in lines)


def run_native(morvit, work, args):
    run = subprocess.run([morvit] + args, cwd=work, stdin=subprocess.DEVNULL, capture_output=True, timeout=600)
    return run.returncode, run.stdout, run.stderr


def folder_files(folder):
    return {name: open(os.path.join(folder, name), 'rb').read() for name in os.listdir(folder)
            if os.path.isfile(os.path.join(folder, name))}


class App:
    """The app in one browser; what a run in it showed and the files it offered."""

    def __init__(self, browser, page):
        self.browser = browser
        self.url = 'file://' + os.path.abspath(page)

    def open(self, fragment=''):
        self.browser.open('about:blank')  # a new address that differs only after '#' would not load the page anew
        self.browser.open(self.url + fragment)
        state = self.browser.wait_for("['ready', 'done', 'broken'].includes(document.documentElement.dataset.state)"
                                      " && document.documentElement.dataset.state")
        if state == 'broken':
            raise Failure('the app could not start its program: ' + self.shown('stderr'))

    def wait_done(self):
        state = self.browser.wait_for("['done', 'broken'].includes(document.documentElement.dataset.state)"
                                      " && document.documentElement.dataset.state", timeout=600)
        if state != 'done':
            raise Failure('the run did not end: ' + self.shown('stderr'))

    def shown(self, element_id):
        return self.browser.evaluate(f"document.getElementById({json.dumps(element_id)}).textContent")

    def status(self):
        return int(self.browser.evaluate('document.documentElement.dataset.status'))

    def downloads(self, folder):
        """Every file the run offered, downloaded into `folder`."""
        os.makedirs(folder, exist_ok=True)
        self.browser.download_to(folder)
        count = self.browser.evaluate("document.querySelectorAll('#downloads a').length")
        for i in range(count):
            self.browser.download(f'#downloads a:nth-of-type({i + 1})')
        return folder_files(folder)

    def problems(self):
        root = self.browser.evaluate("(document.documentElement.getAttribute('data-script-errors') || '') + "
                                     "(document.documentElement.getAttribute('data-csp-violations') || '')")
        problems = ([root] if root else []) + self.browser.console_problems()
        for url in self.browser.requests:
            if not url.startswith(('file://', 'blob:', 'data:')):
                problems.append('a request for ' + url)
        return problems


def compare_outputs(what, native, app):
    """Standard output, standard error, status and files: the same, clock digits aside."""
    status, stdout, stderr, files = native
    app_status, app_stdout, app_stderr, app_report, app_files = app
    if app_status != status:
        raise Failure(f'{what}: exit status {app_status} in the app, {status} on the command line')
    if without_clock(app_stdout.encode('utf-8')) != without_clock(text_of(stdout).encode('utf-8')):
        raise Failure(f'{what}: standard output differs:\n{app_stdout[:600]!r}\n{text_of(stdout)[:600]!r}')
    if app_stderr != text_of(stderr):
        raise Failure(f'{what}: standard error differs:\n{app_stderr[:600]!r}\n{text_of(stderr)[:600]!r}')
    if set(app_files) != set(files):
        raise Failure(f'{what}: the app offers {sorted(app_files)}, the command line wrote {sorted(files)}')
    for name, data in files.items():
        if name.endswith('.cases'):
            # The identity of the CSV file is this computer's; the app's files live in memory
            # for one run and it records none.
            data = re.sub(rb'#MORVIT SOURCE [^\n]*\n', b'', data)
        if without_clock(app_files[name]) != without_clock(data):
            raise Failure(f'{what}: {name} differs ({len(app_files[name])} bytes in the app, {len(data)} natively)')
    report = files.get('morvit.out', b'')
    if without_clock(app_report.encode('utf-8')) != without_clock(text_of(report).encode('utf-8')):
        raise Failure(f'{what}: <pre id="report"> is not morvit.out')


def check_case(morvit, app, case_dir, scratch):
    name = os.path.basename(case_dir)
    with open(os.path.join(case_dir, 'case.json')) as handle:
        args = json.load(handle)['args']
    inputs = os.path.join(case_dir, 'in')
    command_files = [file for file in sorted(os.listdir(inputs)) if file in args] or \
                    [file for file in sorted(os.listdir(inputs)) if file.lower().endswith('.cmd')]
    command_file = command_files[0]
    with open(os.path.join(inputs, command_file), 'rb') as handle:
        command = handle.read()

    work = os.path.join(scratch, name, 'native')
    os.makedirs(work)
    with open(os.path.join(work, command_file), 'wb') as handle:
        handle.write(command)
    status, stdout, stderr = run_native(morvit, work, args)
    files = {file: data for file, data in folder_files(work).items() if not (file == command_file and data == command)}

    app.open(f'#command={base64url(command)}&name={command_file}&args={base64url(json.dumps(args).encode())}')
    app.wait_done()
    shown = (app.status(), app.shown('findings'), app.shown('stderr'), app.shown('report'),
             app.downloads(os.path.join(scratch, name, 'app')))
    compare_outputs(name, (status, stdout, stderr, files), shown)
    return name


def set_choices(app, columns, settings):
    """The choices of the form, made as a user makes them, with the events a user's raise."""
    script = '''(() => {
  const columns = %s, settings = %s;
  const fire = (element, type) => element.dispatchEvent(new Event(type, {bubbles: true}));
  const names = Array.from(document.querySelectorAll('#columns .column'),
                           (row) => row.querySelector('.name').firstChild.textContent);
  for (const [name, choice] of Object.entries(columns)) {
    const row = document.querySelectorAll('#columns .column')[names.indexOf(name)];
    if (!row) throw new Error('no column ' + name);
    const role = row.querySelector('select.role');
    role.value = choice[0];
    fire(role, 'change');
    if (choice[1]) { const box = row.querySelector('input.negate'); box.checked = true; fire(box, 'change'); }
    if (choice[2]) {
      const inputs = row.querySelectorAll('.calibration input');
      choice[2].forEach((value, i) => { inputs[i].value = value; fire(inputs[i], 'input'); });
    }
  }
  for (const [id, value] of Object.entries(settings)) {
    const input = document.getElementById(id);
    if (typeof value === 'boolean') input.checked = value; else input.value = value;
    fire(input, 'change');
  }
  return names.length;
})()''' % (json.dumps(columns), json.dumps(settings))
    return app.browser.evaluate(script)


def maker_arguments(data_set, command_file):
    """The command line of the same choices: columns in the order of the file's header."""
    with open(data_set['path'], encoding='utf-8') as handle:
        header = [name.strip().strip('"') for name in handle.readline().strip().split(',')]
    columns = data_set['columns']
    ordered = [name for name in header if name in columns]
    args = ['--make-command-file', data_set['csv']]
    outcome = [name for name in ordered if columns[name][0] == 'outcome'][0]
    args += ['--outcome', ('~' if len(columns[outcome]) > 1 and columns[outcome][1] else '') + outcome]
    conditions = [('~' if len(columns[name]) > 1 and columns[name][1] else '') + name
                  for name in ordered if columns[name][0] == 'condition']
    args += ['--factors', ','.join(conditions)]
    for name in ordered:
        if len(columns[name]) > 2:
            args += ['--calibrate', f'{name}=' + ','.join(columns[name][2])]
    for name in ordered:
        if columns[name][0] in ('cases', 'weights'):
            args += ['--' + columns[name][0], name]
    settings = data_set['settings']
    for option in ('mer', 'dam', 'title'):
        if option in settings:
            args += ['--' + option, settings[option]]
    if settings.get('drop-missing'):
        args.append('--drop-missing')
    return args + ['-o', command_file]


WIDTHS = (1366, 390)


def screenshots(app, folder, name, element_id=None):
    """The page as it is now at each width: the whole length of it, or the window scrolled to
    the element (a frame of another process does not show in a capture beyond the window)."""
    for width in WIDTHS:
        app.browser.size(width, 900)
        if element_id:
            app.browser.evaluate(f'document.getElementById({json.dumps(element_id)}).scrollIntoView()')
            time.sleep(1)  # the page in the frame lays out and draws its plots at this width
        app.browser.evaluate('new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done)))')
        app.browser.screenshot(os.path.join(folder, f'app-{name}-{width}.png'), full_page=element_id is None)
    app.browser.size(WIDTHS[0], 900)


def check_dataset(morvit, app, data_set, scratch, number, shots=None):
    base = data_set['csv'][:-4]
    command_file = base + '.cmd'
    what = f'{data_set["csv"]} ({number})'
    work = os.path.join(scratch, f'dataset{number}', 'native')
    os.makedirs(work)
    shutil.copy(data_set['path'], work)
    made = run_native(morvit, work, maker_arguments(data_set, command_file))
    run_args = ['--table-csv', base + '-table.csv', '--cases-csv', base + '-cases.csv', '--html', base + '.html']
    if 'csv-level' in data_set['settings']:
        run_args += ['--level', data_set['settings']['csv-level']]
    ran = run_native(morvit, work, run_args + [command_file]) if made[0] == 0 else (None, b'', b'')
    files = {name: data for name, data in folder_files(work).items() if name != data_set['csv']}

    app.open()
    if shots:
        screenshots(app, shots, 'empty')
    app.browser.choose_files('#file', [data_set['path']])
    app.browser.wait_for("document.querySelectorAll('#columns .column').length > 0")
    set_choices(app, data_set['columns'], data_set['settings'])
    if shots:
        screenshots(app, shots, 'csv')
    app.browser.evaluate("document.getElementById('run').click()")
    app.wait_done()
    if shots:
        screenshots(app, shots, 'run')
        app.browser.evaluate("document.getElementById('tab-page').click()")
        screenshots(app, shots, 'page', 'panel-page')
        app.browser.evaluate("document.getElementById('tab-findings').click()")
    shown = (app.status(), app.shown('findings'), app.shown('stderr'), app.shown('report'),
             app.downloads(os.path.join(scratch, f'dataset{number}', 'app')))
    status = ran[0] if made[0] == 0 else made[0]
    compare_outputs(what, (status, made[1] + ran[1], made[2] + ran[2], files), shown)
    if made[0] != 0 or ran[0] != 0 or len(files) != 6:
        raise Failure(f'{what}: the command line made {sorted(files)} with status {made[0]}, {ran[0]}: {made[2]!r}')
    return what


def main(argv):
    only = []
    if '--only' in argv:
        at = argv.index('--only')
        argv, only = argv[:at], argv[at + 1:]
    shots = None
    if '--screenshots' in argv:
        at = argv.index('--screenshots')
        shots = os.path.abspath(argv[at + 1])
        os.makedirs(shots, exist_ok=True)
        argv = argv[:at] + argv[at + 2:]
    if len(argv) != 5:
        print(__doc__)
        return 2
    morvit, page, cases, datasets = (os.path.abspath(arg) for arg in argv[1:])
    chromium = find_chromium()
    if not chromium:
        print('skipped: no Chromium (apt-get install chromium)')
        return SKIPPED
    failures = []
    size = os.path.getsize(page)
    if size > LARGEST_APP:
        failures.append(f'morvit.html has {size} bytes, more than {LARGEST_APP}')
    scratch = tempfile.mkdtemp(prefix='morvit-app-')
    checked = {'conformance': 0, 'datasets': 0}
    try:
        with Browser(chromium) as browser:
            browser.call('Network.enable', session=True)
            app = App(browser, page)
            for case in sorted(os.listdir(cases)):
                if only and case not in only:
                    continue
                try:
                    check_case(morvit, app, os.path.join(cases, case), scratch)
                    checked['conformance'] += 1
                except (Failure, BrowserError) as failure:
                    failures.append(f'{case}: {failure}')
                failures += [f'{case}: {problem}' for problem in app.problems()]
            for number, data_set in enumerate(DATASETS, start=1):
                if only and data_set['csv'] not in only:
                    continue
                data_set = dict(data_set, path=os.path.join(datasets, data_set['csv']))
                try:
                    # The screenshots show the raw Lipset data with its calibrations.
                    check_dataset(morvit, app, data_set, scratch, number, shots if number == 4 else None)
                    checked['datasets'] += 1
                except (Failure, BrowserError) as failure:
                    failures.append(f'{data_set["csv"]} ({number}): {failure}')
                failures += [f'{data_set["csv"]}: {problem}' for problem in app.problems()]
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    for failure in failures:
        print('FAILED', failure)
    print(f'morvit.html ({size} bytes): {checked["conformance"]} conformance cases and {checked["datasets"]} CSV '
          f'runs of the data sets as on the command line; {len(failures)} problems')
    # In the form that .ci/run counts.
    passed = checked['conformance'] + checked['datasets']
    print(f'{passed} passed, {len(failures)} failed')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
