#!/usr/bin/env python3
"""Makes each package of a build, unpacks it and runs an example with the unpacked program.

    check_packages.py CPACK BUILD_DIR FORMAT=PROGRAM... CHECK_EXAMPLE
                      [--run-with EMULATOR [OPTION...]]

For each FORMAT (a CPack generator: TGZ, DEB, ZIP) runs CPACK with the build's package
configuration into a temporary directory under BUILD_DIR, unpacks the package there (a .deb
with dpkg-deb) and checks that it holds LICENSE, README-first.txt and the examples with
their reports. Then CHECK_EXAMPLE (tests/examples/check_example.py) runs the unpacked
program, PROGRAM relative to the package's top folder, on the package's
examples/two_factors.cmd and compares the reports with the package's
examples/expected/two_factors. A program built for another system runs under the command
that follows --run-with. Exits 0 when every package passes, 1 otherwise.
"""
import glob
import os
import shutil
import subprocess
import sys
import tarfile
import tempfile
import zipfile

PACKAGE_FILES = {'TGZ': '*.tar.gz', 'DEB': '*.deb', 'ZIP': '*.zip'}


class Failure(Exception):
    pass


def make_package(cpack, build_dir, package_format, out_dir):
    result = subprocess.run([cpack, '--config', os.path.join(build_dir, 'CPackConfig.cmake'),
                             '-G', package_format, '-B', out_dir],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=600)
    if result.returncode != 0:
        raise Failure(f'cpack -G {package_format} failed:\n{result.stdout.decode(errors="replace")}')
    found = glob.glob(os.path.join(out_dir, PACKAGE_FILES[package_format]))
    if len(found) != 1:
        raise Failure(f'cpack -G {package_format} made {found}, expected one package')
    return found[0]


def unpack(package, package_format, into):
    """Unpacks the package; returns its top folder (the archive's single folder, or `into`)."""
    if package_format == 'DEB':
        subprocess.run(['dpkg-deb', '-x', package, into], check=True, timeout=300)
        return into
    if package_format == 'TGZ':
        with tarfile.open(package) as archive:
            if hasattr(tarfile, 'data_filter'):  # no links or paths that leave `into`
                archive.extractall(into, filter='data')
            else:
                archive.extractall(into)
    else:
        with zipfile.ZipFile(package) as archive:
            archive.extractall(into)
    entries = os.listdir(into)
    if len(entries) != 1 or not os.path.isdir(os.path.join(into, entries[0])):
        raise Failure(f'{os.path.basename(package)}: expected one top folder, found {entries}')
    return os.path.join(into, entries[0])


def find_in(top, relative_path):
    """The folder below `top` that holds `relative_path`."""
    for folder, _, _ in os.walk(top):
        if os.path.isfile(os.path.join(folder, relative_path)):
            return folder
    raise Failure(f'{relative_path}: not in the package')


def check_package(cpack, build_dir, package_format, program, check_example, emulator, work):
    package = make_package(cpack, build_dir, package_format, os.path.join(work, 'out'))
    top = unpack(package, package_format, os.path.join(work, 'unpacked'))
    find_in(top, 'LICENSE')
    find_in(top, 'README-first.txt')
    examples = os.path.join(find_in(top, os.path.join('examples', 'two_factors.cmd')), 'examples')
    program = os.path.join(top, program)
    if not os.path.isfile(program):
        raise Failure(f'{os.path.basename(package)}: no program {program}')
    if package_format == 'ZIP':  # a zip file keeps no permissions
        os.chmod(program, 0o755)
    # MORVIT takes a command file name of at most 80 characters: the example is run from a
    # short copy, the unpacked tree may lie deep.
    short = tempfile.mkdtemp(prefix='morvit-')
    try:
        command_file = shutil.copy(os.path.join(examples, 'two_factors.cmd'), short)
        result = subprocess.run([sys.executable, check_example, program, command_file,
                                 os.path.join(examples, 'expected', 'two_factors'), work] +
                                (['--run-with'] + emulator if emulator else []),
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=600)
    finally:
        shutil.rmtree(short, ignore_errors=True)
    if result.returncode != 0:
        raise Failure(f'{os.path.basename(package)}: {result.stdout.decode(errors="replace")}')
    return os.path.basename(package)


def main(argv):
    emulator = []
    if '--run-with' in argv:
        at = argv.index('--run-with')
        argv, emulator = argv[:at], argv[at + 1:]
    if len(argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    cpack, build_dir, formats, check_example = argv[0], os.path.abspath(argv[1]), argv[2:-1], argv[-1]
    temporary = tempfile.mkdtemp(prefix='packages-', dir=build_dir)
    failed = False
    try:
        for entry in formats:
            package_format, program = entry.split('=', 1)
            work = os.path.join(temporary, package_format)
            os.mkdir(work)
            try:
                name = check_package(cpack, build_dir, package_format, program, check_example, emulator, work)
                print(f'{name}: unpacked, the example runs as stored')
            except (Failure, subprocess.SubprocessError, OSError) as failure:
                print(f'{package_format}: {failure}')
                failed = True
    finally:
        shutil.rmtree(temporary, ignore_errors=True)
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
