#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "exchange/output/run_record.h"

namespace morvit {

// The cases as CSV, one line per case:
//   case,name,weight,OUTCOME,OUTCOME_z,A,A_z,B,B_z,...
// case numbers from 1, the name when known (else empty), the raw scores as read and their
// z-scores, at full precision (as in the table CSV). Only the header line when the run
// reached no table.
void write_cases_csv(std::ostream& out, const RunRecord& run);

// The header's fields: case, name, weight, then for the outcome and each factor the name
// of its column (as written where known, see ColumnNames::shown_factor) and that name with
// "_z". A column whose name is not known is headed by its letter (the outcome by
// "outcome"), and so is every column whose name would give a header that another field of
// the line has too (small and capital letters taken alike, as some spreadsheets and
// databases take them): two factors of the same name both fall back to their letters, so
// that every header names one column.
std::vector<std::string> cases_csv_header(const RunRecord& run);

}  // namespace morvit
