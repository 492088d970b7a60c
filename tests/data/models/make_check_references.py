#!/usr/bin/python3
"""Independent references for rows of preset_regression.csv whose stored values QAGI reported as
reaching Acc while they were further off: the case functions of make_dodd_deeds_references.py
beside this file (mpmath, 25 digits, tanh-sinh over breakpoints at the kernel's oscillation
period) on the row's inputs. Rows are numbered from 0 over the data rows of
preset_regression.csv, as tests/models/test_stacks.cpp numbers them.
Run:  /usr/bin/python3 make_check_references.py > check_references.csv   (about a minute)
"""
import csv
import os
import sys

import mpmath as mp

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_dodd_deeds_references as dd  # noqa: E402

# bore1 141: stored dR 1.3e-4 low at Acc 1e-6 (94 Acc); planar1 9: dR 1.04 Acc off.
ROWS = [('planar1', 9), ('bore1', 141)]


def rows():
    with open(os.path.join(HERE, 'preset_regression.csv')) as f:
        data = list(csv.reader(line for line in f if not line.startswith('#')))
    return [dict(zip(data[0], r)) for r in data[1:]]


def evaluate(r):
    v = {k: mp.mpf(r[k]) for k in ('R1', 'R2', 'L', 'f', 'P1', 'CON1', 'MR1')}
    N = int(r['N'])
    if r['case'] == 'planar1':
        return dd.case1(N, v['R1'], v['R2'], v['L'], v['f'], v['P1'], v['CON1'], v['MR1'])
    if r['case'] == 'bore1':
        return dd.case3(N, v['R1'], v['R2'], v['L'], v['f'], v['P1'], v['CON1'], v['MR1'])
    raise ValueError(r['case'])


if __name__ == '__main__':
    table = rows()
    print('# dR, dX [ohm] of rows of preset_regression.csv from an independent mpmath evaluation of')
    print('# their Dodd-Deeds integrals (make_check_references.py beside this file; 25 digits).')
    print('# Command: /usr/bin/python3 make_check_references.py > check_references.csv')
    print('row,dR,dX')
    for case, i in ROWS:
        r = table[i]
        assert r['case'] == case
        dr, dx = evaluate(r)
        print('%d,%s,%s' % (i, mp.nstr(dr, 17), mp.nstr(dx, 17)), flush=True)
