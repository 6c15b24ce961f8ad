#pragma once

namespace morvit {

// The z-score of one membership score: its normal quantile, the score first confined to the
// interval from the damping factor to 1 minus it. The three tests are made in this order and
// the last that holds decides; with a damping factor above one half the bounds cross and a
// score may pass two of them.
double z_score(double score, double damping_factor);

}  // namespace morvit
