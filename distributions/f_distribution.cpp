#include <cmath>

#include "distributions/distributions.h"

namespace morvit {

// P(F > f) = I_x(dfd / 2, dfn / 2) with x = dfd / (dfd + dfn f)
// (Abramowitz and Stegun 26.5.28).
void cumf(double f, double dfn, double dfd, double& cum, double& ccum) {
  if (std::isnan(f)) {
    cum = std::nan("");
    ccum = std::nan("");
    return;
  }
  if (f <= 0.0) {
    cum = 0.0;
    ccum = 1.0;
    return;
  }

  const double prod = dfn * f;
  const double dsum = dfd + prod;
  double xx = dfd / dsum;
  double yy = 0.0;
  // Form the smaller of xx and 1 - xx directly, so that it keeps its
  // relative accuracy, and the larger by subtraction.
  if (xx > 0.5) {
    yy = prod / dsum;
    xx = 1.0 - yy;
  } else {
    yy = 1.0 - xx;
  }

  int status = 0;  // any error leaves both outputs 0 (NaN for NaN arguments)
  bratio(dfd * 0.5, dfn * 0.5, xx, yy, ccum, cum, status);
}

}  // namespace morvit
