#!/usr/bin/env python3
"""Runs MORVIT with --table-csv on every example and stored case, and checks that the CSV
table agrees with the report: every printed row, in order, is a row of the CSV marked as not
omitted, and every printed number is its CSV value edited as the report edits it.

    check_table_csv.py MORVIT EXAMPLES_DIR CASES_DIR

The CSV is read with Python's csv module without options, as R's read.csv and pandas'
read_csv read it: a header line and eighteen fields a row, numbers that float() takes (Inf,
-Inf), empty fields where there is no number. The columns after `omitted` are where they
belong: cases_against a count on every hypothesis row and empty elsewhere, critical_mer
empty on baseline, comparison and omitted rows and 0 or above elsewhere, the fit measures
empty on baseline and comparison rows and the same on every hypothesis row of a block
(their values are checked by check_fit_columns.py). Exits 0 when every run agrees, 1
otherwise.
"""
import csv
import glob
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile

CSV_NAME = 'morvit-table-check.csv'
HEADER = ' FACTOR(S)     HYPOTHESIS         SSD        DF       MSD         F         P'
COLUMNS = ['block', 'names', 'hypothesis', 'SSD', 'DF', 'MSD', 'F', 'P', 'omitted',
           'cases_against', 'critical_mer', 'cons_suf', 'cov_suf', 'pri', 'cons_nec', 'cov_nec', 'ron', 'coincidence']
FIT_COLUMNS = COLUMNS[11:]
# The number fields of a row: CSV column, first and last index in the line, edit.
FIELDS = [('SSD', 26, 38, 'F'), ('DF', 38, 48, 'I'), ('MSD', 48, 58, 'F'), ('F', 58, 68, 'F'), ('P', 68, 78, 'F')]


class Disagreement(Exception):
    pass


def edit_fixed(value, width, decimals=4):
    """Fw.d as the report writes it: "%.*f" of the magnitude, a minus sign unless it rounds
    to zero, a leading zero dropped when the field is one column short, else asterisks."""
    negative = value < 0
    magnitude = abs(value)
    if math.isnan(magnitude):
        text = 'nan'
    elif math.isinf(magnitude):
        text = 'inf'
    else:
        text = '%.*f' % (decimals, magnitude)
    if negative and set(text) <= set('0.'):
        negative = False
    length = len(text) + (1 if negative else 0)
    if length > width:
        if text.startswith('0') and length - 1 == width:
            text = text[1:]
            length -= 1
        else:
            return '*' * width
    return ' ' * (width - length) + ('-' if negative else '') + text


def edit_integer(value, width):
    text = str(value)
    return '*' * width if len(text) > width else text.rjust(width)


def printed_rows(text):
    """The rows of every table in a report text: (line, label, hypothesis)."""
    rows = []
    lines = text.split('\r\n')
    number = 0
    while number < len(lines):
        if lines[number] != ' ' + HEADER:
            number += 1
            continue
        number += 2  # the header and the rule below it
        label = None
        while number < len(lines) and lines[number] != '' and not lines[number].startswith(' ---'):
            line = lines[number]
            number += 1
            if line.strip() == '':
                label = None
                continue
            if ' v ' in line[1:26]:
                rows.append((line, line[1:26].strip(), True))
                continue
            if line[1:11].strip():
                label = line[1:11].strip()
            rows.append((line, label, False))
    return rows


def compare(report_rows, table, where):
    shown = [row for row in table if row['omitted'] == 'FALSE']
    if len(shown) != len(report_rows):
        raise Disagreement(f'{where}: {len(report_rows)} rows printed, {len(shown)} rows not omitted in the CSV')
    for (line, label, comparison), row in zip(report_rows, shown):
        if comparison:
            if label != row['hypothesis'] or not label.endswith(' v ' + row['block']):
                raise Disagreement(f'{where}: printed {label!r}, CSV {row["block"]} {row["hypothesis"]}')
        else:
            if line[11:26].strip() != row['hypothesis'] or (label is not None and label != row['block']):
                raise Disagreement(f'{where}: printed {line!r}, CSV {row["block"]} {row["hypothesis"]}')
        for column, start, end, kind in FIELDS:
            field = line[start:end]
            value = row[column]
            if field.strip() == '-----':
                expected = field if value == '' else None
            elif kind == 'I':
                expected = edit_integer(int(value), end - start)
            else:
                expected = edit_fixed(float(value) if value != '' else math.nan, end - start)
            if expected != field:
                raise Disagreement(f'{where}: {row["block"]} {row["hypothesis"]} {column}: printed {field!r}, '
                                   f'CSV {value!r} edits to {expected!r}')
    return len(shown)


def check_columns_beside(table, where):
    """The columns after `omitted` stand on the rows that have them, and only there."""
    fit_of_block = {}
    for row in table:
        what = f'{where}: {row["block"]} {row["hypothesis"]}'
        hypothesis = row['hypothesis'] in ('NECESSARY', 'SUFFICIENT', 'NEC AND SUFF')
        if not hypothesis:
            if any(row[column] != '' for column in ['cases_against', 'critical_mer'] + FIT_COLUMNS):
                raise Disagreement(f'{what}: values beside a row without a hypothesis')
            continue
        if not row['cases_against'].isdigit():
            raise Disagreement(f'{what}: cases_against {row["cases_against"]!r}')
        if row['omitted'] == 'TRUE' and row['critical_mer'] != '':
            raise Disagreement(f'{what}: a critical_mer on a row left out')
        if row['critical_mer'] != '' and not float(row['critical_mer']) >= 0:
            raise Disagreement(f'{what}: critical_mer {row["critical_mer"]}')
        fit = tuple(row[column] for column in FIT_COLUMNS)
        if fit_of_block.setdefault(row['block'], fit) != fit:
            raise Disagreement(f'{what}: fit measures {fit}, other rows of the block {fit_of_block[row["block"]]}')


def read_table(path, where):
    with open(path, newline='', encoding='utf-8') as handle:
        reader = csv.reader(handle)
        header = next(reader)
        if header != COLUMNS:
            raise Disagreement(f'{where}: CSV header {header}')
        table = []
        for fields in reader:
            if len(fields) != len(COLUMNS):
                raise Disagreement(f'{where}: CSV row of {len(fields)} fields: {fields}')
            row = dict(zip(COLUMNS, fields))
            for column in ['SSD', 'MSD', 'F', 'P', 'critical_mer'] + FIT_COLUMNS:
                if row[column] != '':
                    float(row[column])
            if row['omitted'] not in ('TRUE', 'FALSE'):
                raise Disagreement(f'{where}: omitted is {row["omitted"]!r}')
            table.append(row)
        check_columns_beside(table, where)
        return table


def check_run(morvit, work, args, where):
    """Runs in `work` and returns the number of rows compared, or None without a table."""
    before = {}
    for folder, _, files in os.walk(work):
        for name in files:
            path = os.path.join(folder, name)
            before[path] = os.path.getsize(path)
    run = subprocess.run([morvit, '--table-csv', CSV_NAME] + args, cwd=work, stdin=subprocess.DEVNULL,
                         capture_output=True, timeout=600)
    texts = [run.stdout.decode('latin-1')]
    for folder, _, files in os.walk(work):
        for name in files:
            path = os.path.join(folder, name)
            if name == CSV_NAME:
                continue
            with open(path, 'rb') as handle:
                handle.seek(before.get(path, 0))  # only what this run added to the file
                texts.append(handle.read().decode('latin-1'))
    report_rows = [row for text in texts for row in printed_rows(text)]
    if not report_rows:
        return None
    return compare(report_rows, read_table(os.path.join(work, CSV_NAME), where), where)


def stored_runs(examples, cases):
    """(name, folder of input files or None, arguments) of every example and of every stored
    case that names a command file."""
    runs = []
    for command_file in sorted(glob.glob(os.path.join(examples, '*.cmd'))):
        runs.append((os.path.basename(command_file), None, [command_file]))
    for case_file in sorted(glob.glob(os.path.join(cases, '*', 'case.json'))):
        with open(case_file) as handle:
            args = json.load(handle)['args']
        if args:  # a run without a command file has no table and is a usage error with options
            runs.append((os.path.basename(os.path.dirname(case_file)), os.path.join(os.path.dirname(case_file), 'in'),
                         args))
    return runs


def in_work_folder(inputs, prefix, action):
    """action(work) in a new folder holding a writable copy of the folder `inputs` (when
    given); the folder is removed afterwards."""
    work = tempfile.mkdtemp(prefix=prefix)
    try:
        if inputs:
            shutil.copytree(inputs, work, dirs_exist_ok=True)
            for folder, _, files in os.walk(work):
                for name in files:
                    os.chmod(os.path.join(folder, name), 0o644)
        return action(work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main(argv):
    if len(argv) != 4:
        print(__doc__)
        return 2
    morvit, examples, cases = (os.path.abspath(arg) for arg in argv[1:])
    runs = stored_runs(examples, cases)
    failures, tables, rows = [], 0, 0
    for where, inputs, args in runs:
        try:
            compared = in_work_folder(inputs, 'morvit-table-csv-', lambda work: check_run(morvit, work, args, where))
            if compared is not None:
                tables += 1
                rows += compared
        except (Disagreement, ValueError, StopIteration, OSError) as problem:
            failures.append(f'{where}: {problem}')
    for failure in failures:
        print(failure)
    print(f'{len(runs)} runs, {tables} with a table, {rows} printed rows agree with the CSV; '
          f'{len(failures)} disagree')
    return 1 if failures or tables == 0 else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
