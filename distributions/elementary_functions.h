#pragma once

// Accurate forms of elementary functions near their cancellation points
// (support routines of ACM TOMS 708 as carried by DCDFLIB).

namespace morvit {

// ln(1 + a) for a > -1, accurate for small a.
double alnrel(double a);

// x - ln(1 + x) for x > -1, accurate for small x.
double rlog1(double x);

// e^x - 1, accurate for small x.
double rexp(double x);

// exp(mu + x) for an integer mu: one exponential when the sum lies between 0
// and x (mu and x of opposite signs), else exp(mu) exp(x).
double esum(int mu, double x);

}  // namespace morvit
