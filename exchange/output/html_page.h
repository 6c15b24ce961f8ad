#pragma once

#include <ostream>

#include "exchange/output/run_record.h"

namespace morvit {

// At most this many cases are drawn in the plots of a page; a larger run draws an evenly
// spaced sample of them, and the page says so.
inline constexpr int plotted_cases_at_most = 2000;

// The run as one self-contained HTML5 page (no network, no other file): the run's warnings,
// the comments, the run summary, and the page's script (page.js) with the data it draws
// from, embedded once: every row of the table with its critical measurement errors, cases
// against and ties, each block's fit measures and whether it holds a factor with its
// negation, and the scores of at most plotted_cases_at_most cases. The script shows the
// table and a z-score and a membership plot for every block, a page of blocks at a time,
// and reads each hypothesis row from its critical MER at the MER and level the reader sets.
// A Content-Security-Policy allows the page's own script and style sheet by their hashes
// and nothing else. When the run reached no table, the page says so and shows the comments.
void write_html_page(std::ostream& out, const RunRecord& run);

}  // namespace morvit
