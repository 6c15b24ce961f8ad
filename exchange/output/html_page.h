#pragma once

#include <ostream>

#include "exchange/output/run_record.h"

namespace morvit {

// At most this many cases are drawn in the plots of a page; a larger run draws an evenly
// spaced sample of them, and the page says so.
inline constexpr int plotted_cases_at_most = 2000;

// The run as one self-contained HTML5 page (no network, no other file): the run's warnings,
// the controls (level, MER, the conventional reading of consistency), the findings, the
// comments, the run summary, and the page's scripts (page_assets.h) with the data they draw
// from, embedded once: every row of the table with the numbers behind the report's, its
// critical measurement errors, cases against and ties, each block's fit measures, counts
// and whether it holds a factor with its negation, and the scores of at most
// plotted_cases_at_most cases; where the build made it, the numbers module that forms F and
// P at another MER as the run does. The scripts show the findings, the table and a z-score
// and a membership plot for every block, a page of blocks at a time, at the MER and level
// the reader sets. A Content-Security-Policy allows the page's own scripts, style sheet and
// module by their hashes and nothing else. When the run reached no table, the page says so
// and shows the comments.
void write_html_page(std::ostream& out, const RunRecord& run);

}  // namespace morvit
