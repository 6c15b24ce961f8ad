// The numbers the HTML page forms again when its reader changes the measurement error or
// the level: page_numbers.wasm, a WebAssembly module without imports that exports these four
// C functions over doubles. Each calls the very function the run uses, so that the page's F,
// P and critical measurement error at any MER equal those of a run at that MER, bit for bit.
#include "analysis/hypothesis_f.h"
#include "analysis/run_statistics.h"
#include "distributions/distributions.h"
#include "measures/critical_mer.h"
#include "measures/f_upper_point.h"

#define MORVIT_EXPORT extern "C" __attribute__((used, visibility("default")))

// The expected mean square distance the run derives from its measurement error factor.
MORVIT_EXPORT double morvit_expected_msd(double mer) { return morvit::expected_msd(mer); }

// The F of a hypothesis row as the table forms it: dfn is the partition weight for a single
// factor, the rounded DF for a combination.
MORVIT_EXPORT double morvit_hypothesis_f(double ssd, double dfn, double expected_msd) {
  return morvit::hypothesis_f(ssd, dfn, expected_msd);
}

// P as the table computes it: the upper tail of the F distribution with dfn and dfd degrees
// of freedom.
MORVIT_EXPORT double morvit_upper_tail(double f, double dfn, double dfd) {
  double cum = 0.0;
  double ccum = 0.0;
  morvit::cumf(f, dfn, dfd, cum, ccum);
  return ccum;
}

// The smallest measurement error factor at which a row of mean square distance msd is
// compatible at `level`, as the table CSV's critical_mer column gives it (NaN where none is).
MORVIT_EXPORT double morvit_critical_mer(double msd, double dfn, double dfd, double level) {
  return morvit::critical_mer(msd, morvit::f_upper_point(level, dfn, dfd));
}
