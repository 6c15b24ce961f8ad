#pragma once

// Gamma function support of the incomplete beta routines (ACM TOMS 708 and
// Didonato and Morris' incomplete gamma work, as carried by DCDFLIB).
// Each routine assumes the argument range stated beside it; its callers
// guarantee that range.

namespace morvit {

// ln Gamma(a), a > 0.
double gamln(double a);

// ln Gamma(1 + a), -0.2 <= a <= 1.25.
double gamln1(double a);

// 1 / Gamma(a + 1) - 1, -0.5 <= a <= 1.5.
double gam1(double a);

// 1 / Gamma(s + 1) for 0 < s <= 2, through gam1: 1 + gam1(s) when s <= 1,
// else (1 + gam1(s - 1)) / s.
double reciprocal_gamma_of_one_plus(double s);

// ln Gamma(a + b), 1 <= a <= 2 and 1 <= b <= 2.
double gsumln(double a, double b);

// The digamma function; 0 where it cannot be computed (x = 0, x a negative
// integer, or |x| beyond the largest 32-bit integer for x < 0.5).
double psi(double x);

// Incomplete gamma ratios p = P(a, x) and q = Q(a, x) for a <= 1, given
// r = e^(-x) x^a / Gamma(a); eps is the tolerance of the series.
void grat1(double a, double x, double r, double& p, double& q, double eps);

}  // namespace morvit
