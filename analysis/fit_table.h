#pragma once

#include "analysis/fit_inputs.h"
#include "recordio/record_sink.h"

namespace morvit {

// The four header lines: title, rule, column headings, rule.
void write_table_header(RecordSink& report);

// The whole statistics table: header, baseline row, one block per factor, then the
// blocks of all combinations of two to six factors.
void write_fit_table(RecordSink& report, const FitInputs& inputs);

}  // namespace morvit
