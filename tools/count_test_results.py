#!/usr/bin/env python3
"""Counts the tests that passed and failed in the JUnit reports of CTest runs.

    count_test_results.py JUNIT.xml...

Prints one line "PASSED FAILED" with the sums over all reports (a skipped test counts as
neither). A report that is missing or cannot be read counts as one failure: a run that
left no report did not pass.
"""
import sys
import xml.etree.ElementTree as ElementTree


def main(argv):
    passed = failed = 0
    for path in argv[1:]:
        try:
            root = ElementTree.parse(path).getroot()
        except (OSError, ElementTree.ParseError):
            failed += 1
            continue
        for case in root.iter('testcase'):
            output = case.findtext('system-out') or ''
            if case.find('skipped') is not None or '[  SKIPPED ]' in output:
                continue
            if case.find('failure') is not None or case.find('error') is not None or case.get('status') == 'fail':
                failed += 1
            else:
                passed += 1
    print(passed, failed)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
