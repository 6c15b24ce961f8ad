#!/usr/bin/env python3
"""Runs MORVIT on one stored case and checks everything the run leaves behind.

    check_case.py MORVIT CASE_DIR [--run-with EMULATOR [OPTION...]]

A case folder holds `in/` (the working directory before the run) and `case.json` (the
expected outcome): the exit class, a text standard error must contain, the console lines,
and every file of the directory afterwards, report files line by line with CR LF ends.
Prints what differs and exits 1, or exits 0 when the run matches. MORVIT built for another
system runs under the command that follows --run-with (Wine, qemu-user).
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile


class Difference(Exception):
    pass


def as_pattern(line):
    """A stored line is a plain string (matched exactly) or an object with a kind."""
    if isinstance(line, str):
        return {'text': line, 'kind': 'exact', 'fields': []}
    return {'text': line['text'], 'kind': line['kind'], 'fields': line.get('fields') or []}


def matches(pattern, actual):
    kind, text = pattern['kind'], pattern['text']
    if kind == 'any':
        return True
    if kind == 'notice':  # free banner text: only the leading blank is fixed
        return actual.startswith(' ')
    if len(actual) != len(text):
        return False
    if kind == 'date':  # digits of the clock may differ
        return all(a.isdigit() if t.isdigit() else a == t for t, a in zip(text, actual))
    at = 0
    for start, end, allowed in pattern['fields']:
        if actual[at:start] != text[at:start]:
            return False
        if allowed != 'skip' and actual[start:end] not in allowed:
            return False
        at = end
    return actual[at:] == text[at:]


def check_lines(what, expected, actual):
    for number, line in enumerate(expected, start=1):
        pattern = as_pattern(line)
        if pattern['kind'] == 'rest':
            return
        if number > len(actual):
            raise Difference(f'{what} line {number}: output ends, expected {pattern["text"]!r}')
        if not matches(pattern, actual[number - 1]):
            raise Difference(f'{what} line {number}: expected {pattern["text"]!r}, got {actual[number - 1]!r}')
    if len(actual) > len(expected):
        raise Difference(f'{what} line {len(expected) + 1}: unexpected {actual[len(expected)]!r}')


def check_file(case_dir, name, expected, data):
    old = b''
    if 'prefix' in expected:
        with open(os.path.join(case_dir, expected['prefix']), 'rb') as handle:
            old = handle.read()
    if not expected['report']:
        if data != old:
            raise Difference(f'{name}: changed by the run')
        return
    if not data.startswith(old):
        raise Difference(f'{name}: its earlier content was not kept')
    lines = expected['lines']
    new = data[len(old):]
    open_ended = any(as_pattern(line)['kind'] == 'rest' for line in lines)
    if new and not new.endswith(b'\r\n') and not open_ended:
        raise Difference(f'{name}: last line not ended by CR LF')
    records = new.split(b'\r\n')
    if records and records[-1] == b'':
        records.pop()
    actual = [record.decode('latin-1') for record in records]
    for number, record in enumerate(actual, start=1):
        loose = number <= len(lines) and as_pattern(lines[number - 1])['kind'] in ('any', 'rest')
        if ('\r' in record or '\n' in record) and not loose:
            raise Difference(f'{name} line {number}: a line end other than CR LF')
    check_lines(name, lines, actual)


def directory_contents(root):
    found = {}
    for folder, subfolders, files in os.walk(root):
        for name in files:
            path = os.path.join(folder, name)
            with open(path, 'rb') as handle:
                found[os.path.relpath(path, root)] = handle.read()
        for name in subfolders:
            found[os.path.relpath(os.path.join(folder, name), root) + '/'] = None
    return found


def check_case(command, case_dir):
    with open(os.path.join(case_dir, 'case.json')) as handle:
        case = json.load(handle)
    work = tempfile.mkdtemp(prefix='morvit-case-')
    try:
        shutil.copytree(os.path.join(case_dir, 'in'), work, dirs_exist_ok=True)
        for folder, _, files in os.walk(work):  # stored inputs may be read-only copies
            for name in files:
                os.chmod(os.path.join(folder, name), 0o644)
        try:
            run = subprocess.run(command + case['args'], cwd=work, stdin=subprocess.DEVNULL,
                                 capture_output=True, timeout=600)
        except subprocess.TimeoutExpired:
            raise Difference('no result within 600 s')
        if case['exit'] == 'zero' and run.returncode != 0:
            raise Difference(f'exit status {run.returncode}, expected 0; stderr {run.stderr!r}')
        if case['exit'] == 'failure' and run.returncode <= 0:
            raise Difference(f'exit status {run.returncode}, expected a failure status')
        wanted = case.get('stderr_contains')
        if wanted and wanted not in run.stderr.decode('latin-1'):
            raise Difference(f'standard error lacks {wanted!r}: {run.stderr!r}')
        console = run.stdout.replace(b'\r\n', b'\n')
        if console and not console.endswith(b'\n'):
            raise Difference('console output does not end with a line end')
        console_lines = console.decode('latin-1').split('\n')
        if console_lines[-1] == '':
            console_lines.pop()
        check_lines('console', case['console'], console_lines)
        found = directory_contents(work)
        missing = sorted(set(case['files']) - set(found))
        extra = sorted(set(found) - set(case['files']))
        if missing:
            raise Difference('missing file(s): ' + ', '.join(missing))
        if extra:
            raise Difference('unexpected file(s): ' + ', '.join(extra))
        for name, expected in case['files'].items():
            check_file(case_dir, name, expected, found[name])
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main(argv):
    emulator = []
    if '--run-with' in argv:
        at = argv.index('--run-with')
        argv, emulator = argv[:at], argv[at + 1:]
    if len(argv) != 3:
        print(__doc__)
        return 2
    morvit, case_dir = os.path.abspath(argv[1]), os.path.abspath(argv[2])
    try:
        check_case(emulator + [morvit], case_dir)
    except Difference as difference:
        print(f'{os.path.basename(case_dir)}: {difference}')
        return 1
    print(f'{os.path.basename(case_dir)}: as expected')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
