#pragma once

#include "driver/run_context.h"
#include "recordio/read_status.h"

namespace morvit {

// Reads the membership scores of a data matrix after DAT (case by case: the outcome, then each
// factor), sets every weight to 1 and builds the z-scores of the scores, each confined
// to the interval from the damping factor to 1 minus it before its normal quantile is
// taken. Returns end_of_file or read_failed when the matrix cannot be read whole.
ReadStatus load_data_matrix(RunContext& run);

// The two halves of load_data_matrix: reading the scores into x (ending the read
// statement), and setting the weights to 1 and building z from x.
ReadStatus read_data_matrix(RunContext& run);
void build_z_scores(RunContext& run);

// Reads one weight per case after a WEI line.
ReadStatus load_weights(RunContext& run);

}  // namespace morvit
