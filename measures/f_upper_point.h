#pragma once

#include <map>
#include <tuple>

namespace morvit {

// The upper-alpha point of the F distribution with dfn and dfd degrees of freedom: the F
// at which the program's own upper tail (cumf) equals alpha, to about 1e-12 relative in
// the tail. NaN when alpha is not between 0 and 1, when a degree of freedom is NaN, and
// when the tail never comes down to alpha from above (dfn or dfd 0 or below, where cumf
// gives 0 for every F above 0).
double f_upper_point(double alpha, double dfn, double dfd);

// f_upper_point with a memory of the points already found: the rows of a table share
// few pairs of degrees of freedom.
class FUpperPoints {
 public:
  double at(double alpha, double dfn, double dfd);

 private:
  std::map<std::tuple<double, double, double>, double> known_;
};

}  // namespace morvit
