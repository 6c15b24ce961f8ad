#pragma once

#include "exchange/output/run_record.h"

namespace morvit {

// A run as the numbers of the run record give it after the run, with every field that the
// page shows beside the table filled: three cases, A = WEALTH and B = ~WEALTH (so AB holds a
// factor with its negation), critical MERs at three levels, a perfect row, a row decided by
// ties, a row without critical MERs (read by its P), fit measures, counts and a warning.
// The page tests read it (html_page_test.cpp) and write its page (write_record_page.cpp).
RunRecord filled_run();

}  // namespace morvit
