#include <algorithm>
#include <cmath>
#include <utility>

#include "distributions/distributions.h"
#include "distributions/incomplete_beta_methods.h"
#include "distributions/incomplete_beta_trace.h"
#include "distributions/machine_constants.h"

namespace morvit {

namespace {

// Counts one call of a method when a trace is kept.
void count(MethodTrace* trace, int MethodTrace::*method) {
  if (trace != nullptr) {
    ++(trace->*method);
  }
}

// The complement of a probability, 1 - p, formed so that no digit of a p
// near 0 is lost on the way.
double complement(double p) { return 0.5 + (0.5 - p); }

// Status tests 1 to 5, before anything is computed; 0 when all pass.
int argument_status(double a, double b, double x, double y, double eps) {
  if (a < 0.0 || b < 0.0) {
    return 1;
  }
  if (a == 0.0 && b == 0.0) {
    return 2;
  }
  if (x < 0.0 || x > 1.0) {
    return 3;
  }
  if (y < 0.0 || y > 1.0) {
    return 4;
  }
  const double z = ((x + y) - 0.5) - 0.5;
  if (std::fabs(z) > 3.0 * eps) {
    return 5;
  }
  return 0;
}

}  // namespace

void bratio(double a, double b, double x, double y, double& w, double& w1, int& ierr) {
  bratio_traced(a, b, x, y, w, w1, ierr, nullptr);
}

void bratio_traced(double a, double b, double x, double y, double& w, double& w1, int& ierr, MethodTrace* trace) {
  double eps = spmpar(1);
  w = 0.0;
  w1 = 0.0;

  ierr = argument_status(a, b, x, y, eps);
  if (ierr != 0) {
    return;
  }

  // Degenerate cases, settled without a method.
  if (x == 0.0) {
    if (a == 0.0) {
      ierr = 6;
      return;
    }
    w = 0.0;
    w1 = 1.0;
    return;
  }
  if (y == 0.0) {
    if (b == 0.0) {
      ierr = 7;
      return;
    }
    w = 1.0;
    w1 = 0.0;
    return;
  }
  if (a == 0.0) {
    w = 1.0;
    w1 = 0.0;
    return;
  }
  if (b == 0.0) {
    w = 0.0;
    w1 = 1.0;
    return;
  }

  // An argument that is not a number passes every test above (each comparison with it is
  // false), and the methods below would then never meet their stopping tests. It gets
  // not-a-number results and the status of the test that names it.
  if (std::isnan(a) || std::isnan(b) || std::isnan(x) || std::isnan(y)) {
    ierr = std::isnan(a) || std::isnan(b) ? 1 : std::isnan(x) ? 3 : 4;
    w = std::nan("");
    w1 = std::nan("");
    return;
  }

  // The tolerance of every method: the machine precision, but no finer
  // than 1e-15.
  eps = std::max(eps, 1e-15);

  // Both parameters negligible: I_x(a, b) tends to b / (a + b).
  if (std::max(a, b) < 1e-3 * eps) {
    w = b / (a + b);
    w1 = a / (a + b);
    return;
  }

  // Working copies; swapping evaluates 1 - I_x(a, b) as I_y(b, a).
  bool swapped = false;
  double a0 = a;
  double b0 = b;
  double x0 = x;
  double y0 = y;
  auto swap_roles = [&] {
    swapped = true;
    a0 = b;
    b0 = a;
    x0 = y;
    y0 = x;
  };

  // Evaluations used from more than one branch: the power series for w,
  // the power series for w1 (the roles of the parameters exchanged), and
  // for w1 a shift of b0 by 20 followed by the expansion for large b0.
  auto power_series = [&] {
    count(trace, &MethodTrace::bpser);
    w = bpser(a0, b0, x0, eps);
    w1 = complement(w);
  };
  auto reversed_power_series = [&] {
    count(trace, &MethodTrace::bpser);
    w1 = bpser(b0, a0, y0, eps);
    w = complement(w1);
  };
  auto shifted_expansion = [&] {
    constexpr int n = 20;
    int status = 0;
    count(trace, &MethodTrace::bup);
    w1 = bup(b0, a0, y0, x0, n, eps);
    b0 += n;
    count(trace, &MethodTrace::bgrat);
    bgrat(b0, a0, y0, x0, w1, 15.0 * eps, status);
    w = complement(w1);
  };

  if (std::min(a0, b0) <= 1.0) {
    // min(a, b) <= 1.
    if (x > 0.5) {
      swap_roles();
    }
    if (b0 < std::min(eps, eps * a0)) {
      count(trace, &MethodTrace::fpser);
      w = fpser(a0, b0, x0, eps);
      w1 = complement(w);
    } else if (a0 < std::min(eps, eps * b0) && b0 * x0 <= 1.0) {
      count(trace, &MethodTrace::apser);
      w1 = apser(a0, b0, x0, eps);
      w = complement(w1);
    } else if (std::max(a0, b0) <= 1.0) {
      if (a0 >= std::min(0.2, b0) || std::pow(x0, a0) <= 0.9) {
        power_series();
      } else if (x0 >= 0.3) {
        reversed_power_series();
      } else {
        shifted_expansion();
      }
    } else {
      if (b0 <= 1.0) {
        power_series();
      } else if (x0 >= 0.3) {
        reversed_power_series();
      } else if (x0 < 0.1 && std::pow(x0 * b0, a0) <= 0.7) {
        power_series();
      } else if (b0 > 15.0) {
        int status = 0;
        count(trace, &MethodTrace::bgrat);
        bgrat(b0, a0, y0, x0, w1, 15.0 * eps, status);
        w = complement(w1);
      } else {
        shifted_expansion();
      }
    }
  } else {
    // a > 1 and b > 1. lambda: the distance of x from the mean a / (a + b),
    // scaled by a + b; the swap makes it non-negative.
    double lambda = (a > b) ? (a + b) * y - b : a - (a + b) * x;
    if (lambda < 0.0) {
      swap_roles();
      lambda = std::fabs(lambda);
    }

    if (b0 < 40.0 && b0 * x0 <= 0.7) {
      power_series();
    } else if (b0 < 40.0) {
      // Shift b0 down into (0, 1] so that the power series or the
      // large-a expansion applies, adding the terms shifted over.
      int n = static_cast<int>(b0);
      b0 -= n;
      if (b0 == 0.0) {
        n -= 1;
        b0 = 1.0;
      }
      count(trace, &MethodTrace::bup);
      w = bup(b0, a0, y0, x0, n, eps);
      if (x0 <= 0.7) {
        count(trace, &MethodTrace::bpser);
        w += bpser(a0, b0, x0, eps);
      } else {
        if (a0 <= 15.0) {
          constexpr int shift = 20;
          count(trace, &MethodTrace::bup);
          w += bup(a0, b0, x0, y0, shift, eps);
          a0 += shift;
        }
        int status = 0;
        count(trace, &MethodTrace::bgrat);
        bgrat(a0, b0, x0, y0, w, 15.0 * eps, status);
      }
      w1 = complement(w);
    } else {
      const double m = std::min(a0, b0);
      if (m <= 100.0 || lambda > 0.03 * m) {
        count(trace, &MethodTrace::bfrac);
        w = bfrac(a0, b0, x0, y0, lambda, 15.0 * eps);
      } else {
        count(trace, &MethodTrace::basym);
        w = basym(a0, b0, lambda, 100.0 * eps);
      }
      w1 = complement(w);
    }
  }

  if (swapped) {
    std::swap(w, w1);
  }
}

}  // namespace morvit
