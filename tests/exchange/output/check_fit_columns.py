#!/usr/bin/env python3
"""Runs MORVIT with --table-csv and --cases-csv on the shared data sets, the examples and the
stored cases, and recomputes, for every block of every table, the fit measures and the cases
against each hypothesis row from the formulas, independently of the program's code.

    check_fit_columns.py MORVIT DATASETS_DIR EXAMPLES_DIR CASES_DIR

- Fit measures, from the memberships as read, each taken at the nearest bound outside 0 to
  1, weighted, summed case by case: X the smallest of the block's factors', Y the outcome's;
  cons_suf = S(min(X,Y)) / S(X), cov_suf = S(min(X,Y)) / S(Y),
  pri = (S(min(X,Y)) - S(min(X,Y,1-Y))) / (S(X) - S(min(X,Y,1-Y))), cons_nec = S(min(X,Y)) / S(Y),
  cov_nec = S(min(X,Y)) / S(X), ron = S(1-X) / S(1-min(X,Y)), coincidence = S(min(X,Y)) / S(max(X,Y));
  empty where the denominator is 0. Agreement to 1e-12 relative (1e-12 absolute near 0).
- cases_against: the cases of positive weight whose outcome z-score is above (NECESSARY),
  below (SUFFICIENT) or either side of (NEC AND SUFF) the block's z membership, the
  smallest of its factors' z-scores, rounded to single precision for three factors or
  more; a case whose outcome z-score equals that smallest z-score before the rounding is
  on the diagonal, against no hypothesis. Exactly. With every weight 1 it is the row's
  DF, less the ties (for NEC AND SUFF) and less the cases that the rounding moved off the
  diagonal onto the row's side, and 0 on the rows left out.

For the data sets (tests/data/datasets: NAME.hand.cmd written by hand from NAME.csv) the
memberships are also taken from the CSV file itself, not from the run: every column of the
run must be a column of the CSV file, value for value. Exits 0 when all agree, 1 otherwise.
"""
import csv
import glob
import math
import os
import struct
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_table_csv  # noqa: E402  (the stored runs and their work folders)

FIT = ['cons_suf', 'cov_suf', 'pri', 'cons_nec', 'cov_nec', 'ron', 'coincidence']
HYPOTHESES = ('NECESSARY', 'SUFFICIENT', 'NEC AND SUFF')


class Disagreement(Exception):
    pass


def single(value):
    """The double nearest to value in single precision, as the table rounds memberships."""
    return struct.unpack('f', struct.pack('f', value))[0]


def within_unit(value):
    return min(max(value, 0.0), 1.0)


def fit_measures(x, y, w):
    s_x = s_y = s_both = s_both_not_y = s_not_x = s_not_both = s_either = 0.0
    for xi, yi, wi in zip(x, y, w):
        xi, yi = within_unit(xi), within_unit(yi)
        s_x += wi * xi
        s_y += wi * yi
        s_both += wi * min(xi, yi)
        s_both_not_y += wi * min(xi, yi, 1 - yi)
        s_not_x += wi * (1 - xi)
        s_not_both += wi * (1 - min(xi, yi))
        s_either += wi * max(xi, yi)

    def ratio(a, b):
        return None if b == 0 else a / b
    return {'cons_suf': ratio(s_both, s_x), 'cov_suf': ratio(s_both, s_y),
            'pri': ratio(s_both - s_both_not_y, s_x - s_both_not_y), 'cons_nec': ratio(s_both, s_y),
            'cov_nec': ratio(s_both, s_x), 'ron': ratio(s_not_x, s_not_both),
            'coincidence': ratio(s_both, s_either)}


def factors_of(block):
    return [ord(letter) - ord('A') + 1 for letter in block]


def read_csv(path):
    with open(path, newline='', encoding='utf-8') as handle:
        rows = list(csv.reader(handle))
    return rows[0], rows[1:]


def read_cases(path):
    """Weights, memberships and z-scores column by column (0 the outcome, j factor j)."""
    header, rows = read_csv(path)
    columns = (len(header) - 3) // 2
    w = [float(row[2]) for row in rows]
    x = [[float(row[3 + 2 * j]) for row in rows] for j in range(columns)]
    z = [[float(row[4 + 2 * j]) for row in rows] for j in range(columns)]
    return w, x, z


def check_dataset_columns(x, dataset, where):
    """Every column of the run is a column of the data set's CSV file, value for value."""
    _, rows = read_csv(dataset)
    table = [[float(value) for value in column] for column in zip(*rows) if
             all(_is_number(value) for value in column)]
    for j, column in enumerate(x):
        if column not in table:
            raise Disagreement(f'{where}: column {j} of the run is no column of {os.path.basename(dataset)}')


def _is_number(text):
    try:
        float(text)
        return True
    except ValueError:
        return False


def close(got, want):
    if want is None:
        return got == ''
    if got == '':
        return False
    value = float(got)
    return abs(value - want) <= 1e-12 * max(abs(want), 1.0)


def check_run(morvit, work, args, where, dataset=None):
    """Returns the number of blocks checked, or None when the run wrote no table."""
    run = subprocess.run([morvit, '--table-csv', 'fit-check-table.csv', '--cases-csv', 'fit-check-cases.csv'] + args,
                         cwd=work, stdin=subprocess.DEVNULL, capture_output=True, timeout=600)
    table_path = os.path.join(work, 'fit-check-table.csv')
    if not os.path.exists(table_path):
        return None
    _, table_rows = read_csv(table_path)
    header, _ = read_csv(table_path)
    table = [dict(zip(header, row)) for row in table_rows]
    if not any(row['hypothesis'] in HYPOTHESES for row in table):
        return None
    w, x, z = read_cases(os.path.join(work, 'fit-check-cases.csv'))
    if dataset:
        check_dataset_columns(x, dataset, where)
    unit_weights = all(weight == 1.0 for weight in w)

    blocks = {}
    for row in table:
        if row['hypothesis'] not in HYPOTHESES:
            continue
        block = row['block']
        if block not in blocks:
            factors = factors_of(block)
            membership = [min(x[f][i] for f in factors) for i in range(len(w))]
            z_membership = []
            unrounded = []
            for i in range(len(w)):
                smallest = z[factors[0]][i]
                for f in factors[1:]:
                    smallest = z[f][i] if z[f][i] < smallest else smallest
                unrounded.append(smallest)
                z_membership.append(single(smallest) if len(factors) >= 3 else smallest)
            positive = [i for i in range(len(w)) if w[i] > 0]
            on = [i for i in positive if z[0][i] == unrounded[i]]
            above = sum(1 for i in positive if z[0][i] > z_membership[i] and i not in on)
            below = sum(1 for i in positive if z[0][i] < z_membership[i] and i not in on)
            # With every weight 1, what the table's DF counts beyond the cases against: the
            # ties, and the ties that the rounding moved to one side.
            beyond = {'NECESSARY': sum(1 for i in on if z[0][i] > z_membership[i]),
                      'SUFFICIENT': sum(1 for i in on if z[0][i] < z_membership[i]),
                      'NEC AND SUFF': len(on) + sum(1 for i in positive if z[0][i] == z_membership[i] and i not in on)}
            blocks[block] = (fit_measures(membership, x[0], w), above, below, beyond)
        fit, above, below, beyond = blocks[block]
        what = f'{where}: {block} {row["hypothesis"]}'
        for name in FIT:
            if not close(row[name], fit[name]):
                raise Disagreement(f'{what}: {name} {row[name]!r}, from the formula {fit[name]!r}')
        against = {'NECESSARY': above, 'SUFFICIENT': below, 'NEC AND SUFF': above + below}[row['hypothesis']]
        if row['cases_against'] != str(against):
            raise Disagreement(f'{what}: cases_against {row["cases_against"]}, counted {against}')
        if unit_weights:
            expected = 0 if row['omitted'] == 'TRUE' else int(row['DF']) - beyond[row['hypothesis']]
            if against != expected:
                raise Disagreement(f'{what}: cases_against {against} with every weight 1, DF {row["DF"]}')
    return len(blocks)


def main(argv):
    if len(argv) != 5:
        print(__doc__)
        return 2
    morvit, datasets, examples, cases = (os.path.abspath(arg) for arg in argv[1:])
    runs = []
    for command_file in sorted(glob.glob(os.path.join(datasets, '*.hand.cmd'))):
        runs.append((os.path.basename(command_file), None, [command_file], command_file[:-len('.hand.cmd')] + '.csv'))
    runs += [run + (None,) for run in check_table_csv.stored_runs(examples, cases)]
    failures, tables, blocks = [], 0, 0
    for where, inputs, args, dataset in runs:
        try:
            checked = check_table_csv.in_work_folder(inputs, 'morvit-fit-check-',
                                                     lambda work: check_run(morvit, work, args, where, dataset))
            if checked is not None:
                tables += 1
                blocks += checked
        except (Disagreement, ValueError, IndexError, OSError) as problem:
            failures.append(f'{where}: {problem}')
    for failure in failures:
        print(failure)
    print(f'{len(runs)} runs, {tables} with a table: the fit measures and cases against of {blocks} blocks agree '
          f'with the formulas; {len(failures)} disagree')
    return 1 if failures or tables == 0 else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
