#pragma once

// Beta function support of the incomplete beta routines (ACM TOMS 708 as
// carried by DCDFLIB). del(x) below is the Stirling remainder:
// ln Gamma(x) = (x - 0.5) ln x - x + 0.5 ln(2 pi) + del(x).

namespace morvit {

// ln B(a0, b0), a0, b0 > 0.
double betaln(double a0, double b0);

// ln(Gamma(b) / Gamma(a + b)), b >= 8.
double algdiv(double a, double b);

// del(a0) + del(b0) - del(a0 + b0), a0, b0 >= 8.
double bcorr(double a0, double b0);

// x^a y^b / B(a, b), a, b > 0, y = 1 - x.
double brcomp(double a, double b, double x, double y);

// exp(mu) x^a y^b / B(a, b) for an integer mu: brcomp with its exponential
// formed by esum, so that a large mu can lift a result that would underflow.
double brcmp1(int mu, double a, double b, double x, double y);

// For a0 < 1 < b < 8: lowers b by whole steps to (1, 2] and returns
// ln Gamma(1 + a0) plus the log of the product of b / (a0 + b) over the
// lowered values of b.
double lower_b_by_unit_steps(double a0, double& b);

}  // namespace morvit
