#pragma once

// Distribution functions of MORVIT: the standard normal quantile and the
// F distribution through the regularized incomplete beta function.
//
// Every routine here is a pure function: no state, no allocation, no
// exceptions, no output. Trouble is reported through a status value.

namespace morvit {

// Quantile of the standard normal distribution: the z with P(Z <= z) = p.
// Applied Statistics algorithm AS 241, PPND16 (Wichura, 1988), accurate to
// about one part in 10^16.
// fault is always written: 0 when 0 < p < 1, otherwise 1 and the result is 0.0.
double ppnd16(double p, int& fault);

// Cumulative F distribution with dfn numerator and dfd denominator degrees of
// freedom: cum = P(F <= f) and ccum = P(F > f) = 1 - cum, through Abramowitz
// and Stegun 26.5.28 and bratio, in the manner of DCDFLIB's cumf.
// f <= 0 gives cum = 0, ccum = 1. Degrees of freedom outside the domain of
// bratio (negative, or dfn = 0 or dfd = 0) give cum = ccum = 0.
// Not-a-number: an f that is NaN gives cum = ccum = NaN, and so does a NaN dfn
// or dfd (through bratio's handling below). An infinite f gives ccum = 0 and
// cum = 1, also with dfn = 0 (where dfn * f is NaN but b = 0 settles the value
// first). The call always returns.
void cumf(double f, double dfn, double dfd, double& cum, double& ccum);

// Regularized incomplete beta function, ACM TOMS Algorithm 708 (Didonato and
// Morris, 1992) as carried by DCDFLIB: w = I_x(a, b) and w1 = 1 - I_x(a, b).
// The caller supplies y = 1 - x so that the smaller of x and y keeps full
// relative accuracy.
//
// ierr, tested in this order (codes 1 to 5 before anything is computed):
//   0  no error
//   1  a < 0 or b < 0
//   2  a = 0 and b = 0
//   3  x < 0 or x > 1
//   4  y < 0 or y > 1
//   5  |((x + y) - 0.5) - 0.5| > 3 * 2^-52
//   6  x = 0 and a = 0
//   7  y = 0 and b = 0
// Every error return leaves w = w1 = 0. A not-a-number argument passes the
// tests above (each comparison with it is false) and the degenerate cases
// (x = 0, y = 0, a = 0, b = 0) are settled as usual; one that would reach the
// evaluation methods, whose stopping tests it would never let hold, gives
// w = w1 = NaN with ierr 1 for a NaN a or b, else 3 for a NaN x, else 4.
void bratio(double a, double b, double x, double y, double& w, double& w1, int& ierr);

}  // namespace morvit
