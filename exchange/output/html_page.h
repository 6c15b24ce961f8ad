#pragma once

#include <ostream>

#include "exchange/output/run_record.h"

namespace morvit {

// At most this many cases are drawn in the plots of a page; a larger run draws an evenly
// spaced sample of them, and the page says so.
inline constexpr int plotted_cases_at_most = 2000;

// The run as one self-contained HTML5 page (no network, no other file): the comments, the
// run summary, the whole table with the block label on every row (rows whose P says the
// hypothesis is compatible with measurement error told apart from those it rejects, at a
// level the reader chooses), a filter by factor, and an X-Y plot for every factor and
// combination, drawn by the page's script when its block is opened (the single factors
// open at first). The plot data are embedded once, for at most plotted_cases_at_most
// cases. When the run reached no table, the page says so and shows the comments.
void write_html_page(std::ostream& out, const RunRecord& run);

}  // namespace morvit
