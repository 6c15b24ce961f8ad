#!/usr/bin/env python3
"""Installs MORVIT into a temporary prefix and runs the installed program.

    check_install.py CMAKE BUILD_DIR BINDIR MANDIR MANUAL_PAGE COMMAND_FILE

Runs `CMAKE --install BUILD_DIR --prefix <tmp>/prefix` (the temporary directory is made under
BUILD_DIR and removed afterwards), then checks that <prefix>/BINDIR/morvit is an executable,
that <prefix>/MANDIR/man1/morvit.1 is a copy of MANUAL_PAGE, and that the installed program,
run on COMMAND_FILE in an empty directory, ends with status 0 and writes a report morvit.out
with the run summary, the statistics table and a trailer without errors.

BINDIR and MANDIR are the install directories the build was configured with. When one of
them is absolute the installation would leave the prefix: the test is skipped (status 77).
Exits 0 on success, 1 on failure.
"""
import os
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77

# Lines every complete report holds, each at the start of a line.
REPORT_LINES = (
    b' NUMBER OF CASES:',
    b' NUMBER OF FACTORS:',
    b' DENOMINATOR DEGREES OF FREEDOM:',
    b' MEASUREMENT ERROR FACTOR:',
    b' EXPECTED MEAN SQUARE DISTANCE:',
    b' DAMPING FACTOR FOR Z SCORES:',
    b'  GOODNESS-OF-FIT AND PARTITION STATISTICS',
    b'       NONE     NULL ASSOC',
    b' MORVIT FINISHED ON',
    b' NUMBER OF ERRORS DETECTED =      0',
)


class Failure(Exception):
    pass


def install(cmake, build_dir, prefix):
    environment = dict(os.environ)
    environment.pop('DESTDIR', None)  # would move the installation out of the prefix
    result = subprocess.run([cmake, '--install', build_dir, '--prefix', prefix],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=environment,
                            timeout=300)
    if result.returncode != 0:
        raise Failure(f'cmake --install failed with status {result.returncode}:\n'
                      f'{result.stdout.decode(errors="replace")}')


def check_files(prefix, bindir, mandir, manual_page):
    program = os.path.join(prefix, bindir, 'morvit')
    if not os.path.isfile(program) or not os.access(program, os.X_OK):
        raise Failure(f'{program}: not installed as an executable file')
    page = os.path.join(prefix, mandir, 'man1', 'morvit.1')
    if not os.path.isfile(page):
        raise Failure(f'{page}: manual page not installed')
    with open(page, 'rb') as installed, open(manual_page, 'rb') as source:
        if installed.read() != source.read():
            raise Failure(f'{page}: differs from {manual_page}')
    return program


def check_run(program, command_file, run_dir):
    if not os.path.isfile(command_file):  # MORVIT would create it empty
        raise Failure(f'{command_file}: no such command file')
    result = subprocess.run([program, command_file], cwd=run_dir, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, timeout=300)
    if result.returncode != 0:
        raise Failure(f'installed morvit ended with status {result.returncode}: '
                      f'{result.stderr.decode(errors="replace")}')
    report = os.path.join(run_dir, 'morvit.out')
    if not os.path.isfile(report):
        raise Failure('installed morvit wrote no morvit.out')
    with open(report, 'rb') as handle:
        lines = handle.read().split(b'\r\n')
    missing = [text.decode() for text in REPORT_LINES
               if not any(line.startswith(text) for line in lines)]
    if missing:
        raise Failure(f'morvit.out of the installed program lacks the lines {missing}')


def main(argv):
    if len(argv) != 6:
        print(__doc__, file=sys.stderr)
        return 2
    cmake, build_dir, bindir, mandir, manual_page, command_file = argv
    if os.path.isabs(bindir) or os.path.isabs(mandir):
        print(f'skipped: absolute install directories ({bindir}, {mandir}) lie outside any prefix')
        return SKIPPED
    build_dir = os.path.abspath(build_dir)
    temporary = tempfile.mkdtemp(prefix='install-', dir=build_dir)
    try:
        prefix = os.path.join(temporary, 'prefix')
        run_dir = os.path.join(temporary, 'run')
        os.mkdir(run_dir)
        install(cmake, build_dir, prefix)
        program = check_files(prefix, bindir, mandir, os.path.abspath(manual_page))
        check_run(program, os.path.abspath(command_file), run_dir)
    except Failure as failure:
        print(failure)
        return 1
    finally:
        shutil.rmtree(temporary, ignore_errors=True)
    print(f'installed program and manual page work from a prefix ({bindir}, {mandir}/man1)')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
