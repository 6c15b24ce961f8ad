COM    Lipset (1959), 18 European democracies between the world wars: which
COM    conditions are necessary or sufficient for the survival of democracy?
COM    DATA: lipset_1959_democracy.csv (18 CASES)
COM    OUTCOME = SURVIVED
COM    A = DEVELOPED
COM    B = URBAN
COM    C = LITERATE
COM    D = INDUSTRIAL
COM    E = STABLE
COM    CASES = CASE
DAT   18 5
0.05 0.81 0.12 0.99 0.73 0.43
0.95 0.99 0.89 0.98 1 0.98
0.89 0.58 0.98 0.98 0.9 0.91
0.12 0.16 0.07 0.98 0.01 0.91
0.77 0.58 0.03 0.99 0.08 0.58
0.95 0.98 0.03 0.99 0.81 0.95
0.05 0.89 0.79 0.99 0.96 0.31
0.06 0.04 0.09 0.13 0.36 0.43
0.42 0.07 0.16 0.88 0.07 0.13
0.92 0.72 0.05 0.98 0.01 0.95
0.05 0.34 0.1 0.41 0.47 0.58
0.95 0.98 1 0.99 0.94 0.99
0.12 0.02 0.17 0.59 0 0
0.05 0.01 0.02 0.01 0.11 0.01
0.21 0.01 0.03 0.17 0 0.84
0.06 0.03 0.3 0.09 0.21 0.2
0.95 0.95 0.13 0.99 0.67 0.91
0.95 0.98 0.99 0.99 1 0.98
FIN
