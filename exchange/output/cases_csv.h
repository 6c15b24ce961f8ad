#pragma once

#include <ostream>

#include "exchange/output/run_record.h"

namespace morvit {

// The cases as CSV, one line per case:
//   case,name,weight,outcome,outcome_z,A,A_z,B,B_z,...
// case numbers from 1, the name when known (else empty), the raw scores as read and their
// z-scores, at full precision (as in the table CSV). Only the header line when the run
// reached no table.
void write_cases_csv(std::ostream& out, const RunRecord& run);

}  // namespace morvit
