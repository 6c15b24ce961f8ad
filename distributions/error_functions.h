#pragma once

// The error function and the complementary error function (support routines
// of ACM TOMS 708 as carried by DCDFLIB).

namespace morvit {

// The error function.
double erf(double x);

// ind = 0: erfc(x); otherwise the scaled form e^(x^2) erfc(x).
double erfc1(int ind, double x);

}  // namespace morvit
