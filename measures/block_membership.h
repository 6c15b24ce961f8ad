#pragma once

#include <span>
#include <string_view>

#include "limits/program_limits.h"

namespace morvit {

// The membership of a block (a factor, or a combination of factors named by its letters,
// "A", "ACE") for one case, from the columns of that case's values: the smallest of its
// factors' values, compared in double precision. For z-scores of three factors or more
// it is rounded to single precision, as the table takes it (`rounded_from_three`); for
// memberships as read it is the plain minimum. values[0] is the outcome, values[j]
// factor j (A = 1). NaN for a label without a factor letter.
double block_membership(std::string_view block, std::span<const double> values, bool rounded_from_three);

// The factor numbers of a block label ("ACE": 1, 3, 5); letters outside A to J are passed over.
int block_factors(std::string_view block, int (&factors)[max_factors]);

}  // namespace morvit
