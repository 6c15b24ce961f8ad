#pragma once

namespace morvit {

// The smallest measurement error factor at which a hypothesis row is compatible at a level
// of P. A row's F is MSD / (4 MER^2) and its P falls as F grows, so the row is compatible
// at level alpha (P >= alpha) exactly when F <= f_alpha, the upper-alpha point of its F
// distribution (f_upper_point.h), that is when MER >= sqrt(MSD / (4 f_alpha)).
//   0    when MSD is 0 or below: F is then 0 or below and P 1, whatever the error;
//   NaN  when MSD is NaN or infinite, or f_alpha is not a positive number (no error makes
//        the row compatible).
double critical_mer(double msd, double f_alpha);

}  // namespace morvit
