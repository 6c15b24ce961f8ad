#include <cmath>

#include "distributions/beta_support.h"
#include "distributions/elementary_functions.h"
#include "distributions/gamma_support.h"
#include "distributions/incomplete_beta_methods.h"

namespace morvit {

// Asymptotic expansion of I_x(a, b) for a much larger than b, in terms of
// the incomplete gamma ratio Q(b, z) with z = -nu ln x, nu = a + (b - 1) / 2.
void bgrat(double a, double b, double x, double y, double& w, double eps, int& ierr) {
  constexpr int max_terms = 30;

  const double bm1 = (b - 0.5) - 0.5;
  const double nu = a + 0.5 * bm1;
  const double lnx = (y > 0.375) ? std::log(x) : alnrel(-y);
  const double z = -nu * lnx;
  if (b * z == 0.0) {
    ierr = 1;
    return;
  }

  // r = e^(-z) z^b / Gamma(b); u = the scale factor of the expansion,
  // r Gamma(a + b) / (Gamma(a) nu^b).
  double r = b * (1.0 + gam1(b)) * std::exp(b * std::log(z));
  r = r * std::exp(a * lnx) * std::exp(0.5 * bm1 * lnx);
  double u = algdiv(b, a) + b * std::log(nu);
  u = r * std::exp(-u);
  if (u == 0.0) {
    ierr = 1;
    return;
  }

  double p = 0.0;
  double q = 0.0;
  grat1(b, z, r, p, q, eps);

  const double v = 0.25 * std::pow(1.0 / nu, 2.0);
  const double t2 = 0.25 * lnx * lnx;
  const double l = w / u;
  double j = q / r;
  double sum = j;
  double t = 1.0;
  double cn = 1.0;
  double n2 = 0.0;
  // c[n] and d[n] of the expansion, 1-based; element 0 is unused.
  double c[max_terms + 1] = {};
  double d[max_terms + 1] = {};

  for (int n = 1; n <= max_terms; ++n) {
    const double bp2n = b + n2;
    j = (bp2n * (bp2n + 1.0) * j + (z + bp2n + 1.0) * t) * v;
    n2 += 2.0;
    t *= t2;
    cn /= n2 * (n2 + 1.0);
    c[n] = cn;
    double s = 0.0;
    if (n > 1) {
      double coef = b - n;
      for (int i = 1; i <= n - 1; ++i) {
        s += coef * c[i] * d[n - i];
        coef += b;
      }
    }
    d[n] = bm1 * cn + s / n;
    const double dj = d[n] * j;
    sum += dj;
    if (sum <= 0.0) {
      ierr = 1;
      return;
    }
    if (std::fabs(dj) <= eps * (sum + l)) {
      break;
    }
  }

  ierr = 0;
  w += u * sum;
}

}  // namespace morvit
