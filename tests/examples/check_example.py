#!/usr/bin/env python3
"""Runs MORVIT on one example command file and compares its reports with the stored ones.

    check_example.py MORVIT COMMAND_FILE EXPECTED_DIR WORK_ROOT [--update]
                     [--run-with EMULATOR [OPTION...]]

The run takes place in a new empty directory under WORK_ROOT, as a user would run it. Every
file the run leaves there is a report; the set of file names must equal the set of files in
EXPECTED_DIR, and each report must equal its stored copy byte for byte, CR LF line ends
included, except for the digits of the date and time lines of the banners and the trailer.
The exit status must be 0 and nothing may be written to standard error.

With --update the reports of the run replace the contents of EXPECTED_DIR instead (use it
after a deliberate change of the program, and read the differences before committing them).
MORVIT built for another system runs under the command that follows --run-with (Wine,
qemu-user). Exits 0 when the run matches, 1 when it does not.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

# Lines whose digits are the clock: compared with every digit masked.
CLOCK_LINES = (b' SYSTEM DATE AND TIME:', b' MORVIT FINISHED ON')


def masked(data):
    lines = data.split(b'\n')
    for number, line in enumerate(lines):
        if line.startswith(CLOCK_LINES):
            lines[number] = re.sub(rb'[0-9]', b'#', line)
    return b'\n'.join(lines)


def first_difference(name, expected, actual):
    expected_lines = expected.split(b'\n')
    actual_lines = actual.split(b'\n')
    for number, (want, got) in enumerate(zip(expected_lines, actual_lines), start=1):
        if want != got:
            return f'{name} line {number}:\n  expected {want!r}\n  got      {got!r}'
    if len(expected_lines) != len(actual_lines):
        return (f'{name}: expected {len(expected_lines)} lines (split at LF), '
                f'got {len(actual_lines)}')
    return f'{name}: differs'


def run_example(command, command_file, work_dir):
    result = subprocess.run(command + [command_file], cwd=work_dir, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, timeout=300)
    problems = []
    if result.returncode != 0:
        problems.append(f'exit status {result.returncode}, expected 0')
    if result.stderr:
        problems.append(f'standard error: {result.stderr.decode(errors="replace")!r}')
    reports = {}
    for name in sorted(os.listdir(work_dir)):
        with open(os.path.join(work_dir, name), 'rb') as handle:
            reports[name] = handle.read()
    return problems, reports


def main(argv):
    emulator = []
    if '--run-with' in argv:
        at = argv.index('--run-with')
        argv, emulator = argv[:at], argv[at + 1:]
    update = '--update' in argv
    args = [arg for arg in argv if arg != '--update']
    if len(args) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    morvit, command_file, expected_dir, work_root = (os.path.abspath(arg) for arg in args)
    if not os.path.isfile(command_file):  # MORVIT would create it empty
        print(f'{command_file}: no such command file')
        return 1

    work_dir = tempfile.mkdtemp(prefix='example-', dir=work_root)
    try:
        problems, reports = run_example(emulator + [morvit], command_file, work_dir)
    finally:
        shutil.rmtree(work_dir, ignore_errors=True)

    if update:
        if problems:
            print('\n'.join(problems))
            return 1
        os.makedirs(expected_dir, exist_ok=True)
        for name in os.listdir(expected_dir):
            os.remove(os.path.join(expected_dir, name))
        for name, data in reports.items():
            with open(os.path.join(expected_dir, name), 'wb') as handle:
                handle.write(data)
        print(f'wrote {", ".join(reports)} to {expected_dir}')
        return 0

    if not os.path.isdir(expected_dir):
        problems.append(f'no stored reports: {expected_dir} does not exist')
    else:
        expected_names = sorted(os.listdir(expected_dir))
        if expected_names != sorted(reports):
            problems.append(f'report files {sorted(reports)}, expected {expected_names}')
        for name in expected_names:
            if name not in reports:
                continue
            with open(os.path.join(expected_dir, name), 'rb') as handle:
                expected = masked(handle.read())
            actual = masked(reports[name])
            if expected != actual:
                problems.append(first_difference(name, expected, actual))

    if problems:
        print(f'{os.path.basename(command_file)}: the reports differ from {expected_dir}')
        print('\n'.join(problems))
        print('If the change is deliberate, regenerate the stored reports with --update.')
        return 1
    print(f'{os.path.basename(command_file)}: {len(reports)} report file(s) as stored')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
