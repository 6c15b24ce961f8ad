#!/usr/bin/env python3
"""Checks that the report excerpts quoted in the documentation are real report lines.

    check_excerpts.py ROOT DOCUMENT [DOCUMENT ...]

An excerpt is a fenced code block preceded, on the line just before its opening fence, by
the marker

    <!-- excerpt of examples/expected/two_factors/morvit.out -->

naming a stored report relative to ROOT. A line holding only "..." splits the block into
parts; each part must occur in the report as consecutive lines, the parts in order. Trailing
blanks are not compared (the report keeps them, text editors may not), and the digits of the
date and time lines are masked. Every DOCUMENT must hold at least one excerpt.
Exits 0 when all excerpts match, 1 otherwise.
"""
import os
import re
import sys

MARKER = re.compile(r'^<!-- excerpt of (\S+) -->\s*$')
CLOCK_LINES = (' SYSTEM DATE AND TIME:', ' MORVIT FINISHED ON')


def normal(line):
    line = line.rstrip()
    if line.startswith(CLOCK_LINES):
        line = re.sub(r'[0-9]', '#', line)
    return line


def excerpts(document):
    """Yields (line number of the marker, report path, lines of the block)."""
    with open(document, encoding='utf-8') as handle:
        lines = handle.read().split('\n')
    number = 0
    while number < len(lines):
        match = MARKER.match(lines[number])
        if match:
            fence = number + 1
            if fence >= len(lines) or not lines[fence].startswith('```'):
                raise ValueError(f'{document}:{number + 1}: the marker is not followed by a code fence')
            end = fence + 1
            while end < len(lines) and not lines[end].startswith('```'):
                end += 1
            yield number + 1, match.group(1), lines[fence + 1:end]
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


def check(root, document):
    problems = []
    count = 0
    for line_number, report_name, block in excerpts(document):
        count += 1
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
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    root = argv[0]
    problems = []
    for document in argv[1:]:
        problems += check(root, document)
    if problems:
        print('\n'.join(problems))
        return 1
    print(f'report excerpts of {len(argv) - 1} document(s) match the stored reports')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
