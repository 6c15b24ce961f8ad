#include "analysis/z_scores.h"

#include "distributions/distributions.h"

namespace morvit {

double z_score(double score, double damping_factor) {
  const double lo = damping_factor;
  const double hi = 1.0 - damping_factor;
  int fault = 0;
  double z = 0.0;
  if (lo <= score && score <= hi) z = ppnd16(score, fault);
  if (score > hi) z = ppnd16(hi, fault);
  if (score < lo) z = ppnd16(lo, fault);
  return z;
}

}  // namespace morvit
