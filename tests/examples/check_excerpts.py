#!/usr/bin/env python3
"""Checks that the report excerpts quoted in the documentation are real report lines.

    check_excerpts.py [--morvit MORVIT] ROOT DOCUMENT [DOCUMENT ...]

An excerpt is a fenced code block preceded, on the line just before its opening fence, by
the marker

    <!-- excerpt of examples/expected/two_factors/morvit.out -->

naming a stored report relative to ROOT. A line holding only "..." splits the block into
parts; each part must occur in the report as consecutive lines, the parts in order. Trailing
blanks are not compared (the report keeps them, text editors may not), and the digits of the
date and time lines are masked. Every DOCUMENT must hold at least one excerpt.

An excerpt of a file that a run writes beside the report (a table CSV) names the runs, and
an excerpt of what the last run writes on standard output names "stdout":

    <!-- excerpt of lipset.csv written by: morvit --table-csv lipset.csv examples/lipset_democracy.cmd -->

With --morvit, the runs (one or more, joined by " && ", each starting with "morvit") are
made in an empty directory, every argument that names a file under ROOT taken as that file,
and the excerpt must be lines of the file named, as above. Without --morvit these excerpts
are passed over (a build for another system). Exits 0 when all excerpts match, 1 otherwise.
"""
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

MARKER = re.compile(r'^(\s*)<!-- excerpt of (\S+)(?: written by: (.+?))? -->\s*$')
CLOCK_LINES = (' SYSTEM DATE AND TIME:', ' MORVIT FINISHED ON')


def normal(line):
    line = line.rstrip()
    if line.startswith(CLOCK_LINES):
        line = re.sub(r'[0-9]', '#', line)
    return line


def excerpts(document):
    """Yields (line number of the marker, file name, the runs that write it or None for a
    stored report, lines of the block). A marker and its block may be indented alike (in a
    list item); the indentation is not part of the lines."""
    with open(document, encoding='utf-8') as handle:
        lines = handle.read().split('\n')
    number = 0
    while number < len(lines):
        match = MARKER.match(lines[number])
        if match:
            indent = match.group(1)
            fence = number + 1
            if fence >= len(lines) or not lines[fence].startswith(indent + '```'):
                raise ValueError(f'{document}:{number + 1}: the marker is not followed by a code fence')
            end = fence + 1
            while end < len(lines) and not lines[end].startswith(indent + '```'):
                end += 1
            block = [line[len(indent):] if line.startswith(indent) else line for line in lines[fence + 1:end]]
            yield number + 1, match.group(2), match.group(3), block
            number = end
        number += 1


def parts(block):
    part = []
    for line in block:
        if line.strip() == '...':
            if part:
                yield part
            part = []
        else:
            part.append(normal(line))
    if part:
        yield part


def find(report, part, start):
    """Returns (position of the part in the report or -1, the first line of the part that
    no occurrence of its beginning could be continued with)."""
    longest = 0
    for at in range(start, len(report)):
        length = 0
        while length < len(part) and at + length < len(report) and report[at + length] == part[length]:
            length += 1
        if length == len(part):
            return at, None
        longest = max(longest, length)
    return -1, part[longest]


def written_lines(morvit, root, name, runs):
    """The lines of the file `name` that the runs write in an empty directory; "stdout" names
    what the last run writes on standard output."""
    work = tempfile.mkdtemp(prefix='morvit-excerpt-')
    try:
        done = None
        for run in runs.split(' && '):
            words = shlex.split(run)
            if not words or words[0] != 'morvit':
                raise ValueError(f'not a run of morvit: {run!r}')
            args = [os.path.join(root, word) if os.path.isfile(os.path.join(root, word)) else word
                    for word in words[1:]]
            done = subprocess.run([morvit] + args, cwd=work, stdin=subprocess.DEVNULL, capture_output=True,
                                  timeout=300)
            if done.returncode != 0:
                raise ValueError(f'{run!r} ends with status {done.returncode}: {done.stderr.decode(errors="replace")}')
        if name == 'stdout':
            return [normal(line) for line in done.stdout.decode('utf-8').split('\n')]
        with open(os.path.join(work, name), encoding='utf-8') as handle:
            return [normal(line) for line in handle.read().split('\n')]
    finally:
        shutil.rmtree(work, ignore_errors=True)


def check(root, document, morvit=None):
    problems = []
    count = 0
    for line_number, report_name, runs, block in excerpts(document):
        count += 1
        if runs is not None:
            if morvit is None:
                continue
            try:
                report = written_lines(morvit, root, report_name, runs)
            except (ValueError, OSError, subprocess.SubprocessError) as problem:
                problems.append(f'{document}:{line_number}: {problem}')
                continue
        else:
            path = os.path.join(root, report_name)
            if not os.path.isfile(path):
                problems.append(f'{document}:{line_number}: {report_name} does not exist')
                continue
            with open(path, 'rb') as handle:
                report = [normal(line) for line in handle.read().decode('ascii').split('\r\n')]
        position = 0
        for part in parts(block):
            at, stray = find(report, part, position)
            if at < 0:
                problems.append(f'{document}:{line_number}: excerpt of {report_name} (after its line '
                                f'{position}) goes astray at the line\n    {stray!r}')
                break
            position = at + len(part)
    if count == 0:
        problems.append(f'{document}: no report excerpt found')
    return problems


def main(argv):
    morvit = None
    if argv[:1] == ['--morvit'] and len(argv) > 1:
        morvit = os.path.abspath(argv[1])
        argv = argv[2:]
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    root = os.path.abspath(argv[0])
    problems = []
    for document in argv[1:]:
        problems += check(root, document, morvit)
    if problems:
        print('\n'.join(problems))
        return 1
    print(f'report excerpts of {len(argv) - 1} document(s) match the stored reports')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
