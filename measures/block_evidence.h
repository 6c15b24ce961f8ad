#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "analysis/vector_lanes.h"
#include "measures/fit_measures.h"

namespace morvit {

// A run's data as the measures read them: column 0 the outcome, column j factor j (A = 1),
// each column contiguous over the cases (the value of case i in column j at
// j * case_count + i), and the case weights.
struct CaseColumns {
  int case_count = 0;
  int factor_count = 0;
  std::span<const double> x;  // memberships as read
  std::span<const double> z;  // their z-scores
  std::span<const double> w;  // weights
};

// A case against a hypothesis whose distance from the diagonal is below this (in z units)
// lies on the diagonal within rounding: a tie that the table's strict comparison happened
// to put on one side.
inline constexpr double tie_distance = 1e-9;

// A membership of three factors or more is rounded to single precision, which moves it up
// to half a single-precision step (some 6e-8 at a z-score of 1) off the z-score it
// stands for: a case within one such step of it, |distance| <= |membership| * 2^-23, is on
// the diagonal within that rounding, and only its distance beyond the step counts.
inline constexpr double single_precision_step = 1.1920928955078125e-07;  // 2^-23

// The cases of positive weight on one side of the diagonal of a block's X-Y plot, and
// the largest distance |outcome z - membership z| among them beyond the rounding of the
// membership (0 when every one of them lies within it).
struct DiagonalSide {
  std::int64_t cases = 0;
  double farthest = 0.0;
};

// What the cases say of one block beside its rows of the table. Every case of positive
// weight lies on one side of the diagonal or on it: above + below + on is their number.
struct BlockEvidence {
  FitMeasures fit = no_fit_measures();
  DiagonalSide above;   // outcome z-score strictly above the membership's: against NECESSARY
  DiagonalSide below;   // strictly below it: against SUFFICIENT
  std::int64_t on = 0;  // on the diagonal: against no hypothesis
  DiagonalSide either() const {
    return {above.cases + below.cases, above.farthest > below.farthest ? above.farthest : below.farthest};
  }
};

// There are cases against, and all of them lie on the diagonal within rounding: within
// tie_distance of it, beyond the single-precision step of a rounded membership.
inline bool decided_by_ties(const DiagonalSide& side) { return side.cases > 0 && side.farthest < tie_distance; }

// One pass over the cases of a block ("A", "ACE"): its fit measures from the memberships
// as read (the plain minimum of its factors', fit_measures.h), and the sides of the
// diagonal from the z-scores as the table compares them (the minimum of its factors'
// z-scores, rounded to single precision for three factors or more: block_membership.h),
// except that a case whose membership equals its outcome's before that rounding is on the
// diagonal, a case against no hypothesis, whatever the size of the block. A block that
// names no factor of the data has no evidence (no cases, every measure NaN).
BlockEvidence block_evidence(const CaseColumns& data, std::string_view block);

// block_evidence for many blocks, in one pass over the cases for all of them: the cases
// are taken in chunks that stay in the cache while every block walks through them.
// Allocates the chunk and the blocks' running sums once, nothing per case.
std::vector<BlockEvidence> evidence_of_blocks(const CaseColumns& data, std::span<const std::string_view> blocks,
                                              VectorCode code = VectorCode::best_supported);

}  // namespace morvit
