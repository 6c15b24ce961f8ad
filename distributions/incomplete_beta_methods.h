#pragma once

// The seven evaluation methods of the incomplete beta ratio among which
// bratio chooses (ACM TOMS Algorithm 708 as carried by DCDFLIB). Each is
// valid only in the region in which bratio calls it and checks none of its
// arguments; eps is the tolerance that bratio passes on.

namespace morvit {

// I_x(a, b) by its power series; for b <= 1 or b x <= 0.7.
double bpser(double a, double b, double x, double eps);

// I_x(a, b) - I_x(a + n, b) for a positive integer n, y = 1 - x.
double bup(double a, double b, double x, double y, int n, double eps);

// I_x(a, b) by a continued fraction; a, b > 1, lambda = (a + b) y - b.
double bfrac(double a, double b, double x, double y, double lambda, double eps);

// Adds the asymptotic expansion of I_x(a, b) for a much larger than b
// (a >= 15, b <= 1) to w. ierr = 1 leaves w unchanged: the expansion cannot
// be formed (b z = 0, its scale factor underflows, or its partial sum turns
// non-positive); ierr = 0 otherwise.
void bgrat(double a, double b, double x, double y, double& w, double eps, int& ierr);

// I_x(a, b) by the asymptotic expansion for large a and b (a, b >= 15),
// lambda = (a + b) y - b >= 0.
double basym(double a, double b, double lambda, double eps);

// I_(1-x)(b, a) for a very small a: a <= min(eps, eps b), b x <= 1, x <= 0.5.
double apser(double a, double b, double x, double eps);

// I_x(a, b) for a very small b: b < min(eps, eps a), x <= 0.5.
double fpser(double a, double b, double x, double eps);

}  // namespace morvit
