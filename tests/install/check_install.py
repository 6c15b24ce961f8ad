#!/usr/bin/env python3
"""Installs MORVIT into a temporary prefix and runs the installed program.

    check_install.py CMAKE BUILD_DIR PROGRAM MANUAL_PAGE SOURCE_MANUAL_PAGE DOCDIR SOURCE_DIR
                     [--run-with EMULATOR [OPTION...]]

Runs `CMAKE --install BUILD_DIR --prefix <tmp>/prefix` (the temporary directory is made under
BUILD_DIR and removed afterwards), then checks that <prefix>/PROGRAM is an executable, that
<prefix>/MANUAL_PAGE is a copy of SOURCE_MANUAL_PAGE (MANUAL_PAGE empty: no manual page, as
on Windows), and that <prefix>/DOCDIR holds LICENSE and README-first.txt and copies of the
guides (docs/*.md) and of the examples with their reports of SOURCE_DIR. The installed
program, run on the installed examples/two_factors.cmd in an empty directory, must end with
status 0 and write a report morvit.out with the run summary, the statistics table and a
trailer without errors. A program built for another system runs under the command that
follows --run-with.

PROGRAM, MANUAL_PAGE and DOCDIR are the install paths the build was configured with. When
one of them is absolute the installation would leave the prefix: the test is skipped
(status 77). Exits 0 on success, 1 on failure.
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


def same_file(installed, source):
    if not os.path.isfile(installed):
        raise Failure(f'{installed}: not installed')
    with open(installed, 'rb') as copy, open(source, 'rb') as original:
        if copy.read() != original.read():
            raise Failure(f'{installed}: differs from {source}')


def check_files(prefix, program, manual_page, source_manual_page, docdir, source_dir):
    program = os.path.join(prefix, program)
    if not os.path.isfile(program) or not os.access(program, os.X_OK):
        raise Failure(f'{program}: not installed as an executable file')
    if manual_page:
        same_file(os.path.join(prefix, manual_page), source_manual_page)
    documentation = os.path.join(prefix, docdir)
    same_file(os.path.join(documentation, 'LICENSE'), os.path.join(source_dir, 'LICENSE'))
    same_file(os.path.join(documentation, 'README-first.txt'),
              os.path.join(source_dir, 'packaging', 'README-first.txt'))
    for folder in ('docs', 'examples'):
        for parent, _, files in os.walk(os.path.join(source_dir, folder)):
            for name in files:
                if name.endswith('.md') or folder == 'examples' and name != '.gitattributes':
                    source = os.path.join(parent, name)
                    same_file(os.path.join(documentation, os.path.relpath(source, source_dir)), source)
    return program


def check_run(command, command_file, run_dir):
    if not os.path.isfile(command_file):  # MORVIT would create it empty
        raise Failure(f'{command_file}: no such command file')
    result = subprocess.run(command + [command_file], cwd=run_dir, stdout=subprocess.PIPE,
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
    emulator = []
    if '--run-with' in argv:
        at = argv.index('--run-with')
        argv, emulator = argv[:at], argv[at + 1:]
    if len(argv) != 7:
        print(__doc__, file=sys.stderr)
        return 2
    cmake, build_dir, program, manual_page, source_manual_page, docdir, source_dir = argv
    if any(os.path.isabs(path) for path in (program, manual_page, docdir)):
        print(f'skipped: absolute install paths ({program}, {manual_page}, {docdir}) lie outside any prefix')
        return SKIPPED
    build_dir = os.path.abspath(build_dir)
    temporary = tempfile.mkdtemp(prefix='install-', dir=build_dir)
    try:
        prefix = os.path.join(temporary, 'prefix')
        run_dir = os.path.join(temporary, 'run')
        os.mkdir(run_dir)
        install(cmake, build_dir, prefix)
        installed = check_files(prefix, program, manual_page, os.path.abspath(source_manual_page), docdir,
                                os.path.abspath(source_dir))
        # MORVIT takes a command file name of at most 80 characters: the installed example
        # is run from a short copy, the prefix may lie deep.
        short = tempfile.mkdtemp(prefix='morvit-')
        try:
            command_file = shutil.copy(os.path.join(prefix, docdir, 'examples', 'two_factors.cmd'), short)
            check_run(emulator + [installed], command_file, run_dir)
        finally:
            shutil.rmtree(short, ignore_errors=True)
    except Failure as failure:
        print(failure)
        return 1
    finally:
        shutil.rmtree(temporary, ignore_errors=True)
    print('installed program, manual page, documentation and examples work from a prefix')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
