#!/usr/bin/env python3
"""Says why each skipped test was skipped, after a CTest run.

    explain_skipped_tests.py JUNIT.xml

CTest lists a skipped test by name only; the reason is in what the test printed. This reads
the JUnit report that `ctest --output-junit` writes and prints, for every test that was
skipped (by its exit status, or by GoogleTest's GTEST_SKIP), one line with the test's name
and its reason. Prints nothing when no test was skipped. Always exits 0.
"""
import sys
import xml.etree.ElementTree as ElementTree


def reason(output):
    lines = [line.strip() for line in output.splitlines() if line.strip()]
    # GoogleTest: "file.cpp:65: Skipped", then the reason on the next line.
    for number, line in enumerate(lines):
        if line.endswith(': Skipped') and number + 1 < len(lines):
            return lines[number + 1]
    told = [line for line in lines if not line.startswith('[')]
    return told[-1] if told else 'no reason given'


def main(argv):
    if len(argv) != 2:
        print(__doc__)
        return 0
    try:
        cases = ElementTree.parse(argv[1]).getroot().iter('testcase')
    except (OSError, ElementTree.ParseError):
        return 0
    for case in cases:
        output = case.findtext('system-out') or ''
        if case.find('skipped') is not None or '[  SKIPPED ]' in output:
            print(f"skipped {case.get('name')}: {reason(output)}")
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
