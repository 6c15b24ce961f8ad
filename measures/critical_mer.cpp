#include "measures/critical_mer.h"

#include <cmath>
#include <limits>

namespace morvit {

double critical_mer(double msd, double f_alpha) {
  if (msd <= 0.0) return 0.0;
  if (!std::isfinite(msd) || !(f_alpha > 0.0) || !std::isfinite(f_alpha)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return std::sqrt(msd / (4.0 * f_alpha));
}

}  // namespace morvit
