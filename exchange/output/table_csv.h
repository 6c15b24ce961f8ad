#pragma once

#include <ostream>

#include "exchange/output/run_record.h"

namespace morvit {

// The table as CSV, one line per row of the table in its order, the baseline and the rows
// that the report leaves out included:
//   block,names,hypothesis,SSD,DF,MSD,F,P,omitted,
//   cases_against,critical_mer,cons_suf,cov_suf,pri,cons_nec,cov_nec,ron,coincidence
// block is NONE, a factor letter or a combination's letters (also on comparison rows,
// whose hypothesis is the comparison label "A v AB"); names the columns behind the
// letters joined by '*' when known; numbers at full precision in their shortest form,
// Inf / -Inf for infinities, empty where the report prints hyphens or a division gave no
// number; omitted TRUE for rows that the report leaves out, FALSE otherwise. Then what
// the run record holds beside each row (run_record.h): the cases against a hypothesis row,
// its critical measurement error at the run's level (RunRecord::level), and its block's
// fit measures, each empty where the row has none (baseline and comparison rows; a
// critical measurement error also on rows left out, and where no error makes the row
// compatible). Only the header line when the run wrote no table.
void write_table_csv(std::ostream& out, const RunRecord& run);

}  // namespace morvit
