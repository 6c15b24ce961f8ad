#include "exchange/output/findings.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "record_page/filled_run.h"

namespace morvit {
namespace {

// "BLOCK HYPOTHESIS", and " *" where MORVIT and the conventional reading part.
std::vector<std::string> named(const RunRecord& run, const std::vector<Finding>& findings) {
  std::vector<std::string> names;
  for (const Finding& finding : findings) {
    names.push_back(run.rows[finding.row].block + " " + run.rows[finding.row].hypothesis +
                    (finding.disagrees() ? " *" : ""));
  }
  return names;
}

struct FindingsCase {
  const char* name;
  std::function<void(RunRecord&)> change;
  ConventionalReading reading;
  std::vector<std::string> holding;
  std::size_t holding_count;
  std::vector<std::string> closest;
};

// filled_run: A NECESSARY holds (P 0.2, critical MER 0.03; necessity consistency 0.8),
// A SUFFICIENT does not (critical 0.1; sufficiency consistency 0.9), A NEC AND SUFF never
// can; B NECESSARY has no case against, B SUFFICIENT is decided by ties, B NEC AND SUFF
// holds by its P without critical MERs; AB holds WEALTH with ~WEALTH.
TEST(Findings, RankTheRowsThatHoldAndTheClosestByCriticalMer) {
  const std::vector<FindingsCase> cases = {
      {"filled: perfect first, rows without a critical MER last; ties, contradictions and the unreachable out",
       [](RunRecord&) {},
       {},
       {"B NECESSARY", "A NECESSARY *", "B NEC AND SUFF"},
       3,
       {"A SUFFICIENT *"}},
      {"conventional thresholds that agree with MORVIT",
       [](RunRecord&) {},
       {0.8, 0.95},
       {"B NECESSARY", "A NECESSARY", "B NEC AND SUFF"},
       3,
       {"A SUFFICIENT"}},
      {"a level at the row's P: it holds",
       [](RunRecord& run) {
         run.level = 0.001;
         run.levels = {0.001, 0.01, 0.05};
       },
       {},
       {"B NECESSARY", "A NECESSARY *", "A SUFFICIENT", "B NEC AND SUFF"},
       4,
       {}},
      {"no names: AB is no contradiction, its rows hold at critical MER 0",
       [](RunRecord& run) { run.names = {}; },
       {},
       {"B NECESSARY", "AB NECESSARY", "AB SUFFICIENT", "AB NEC AND SUFF", "A NECESSARY *", "B NEC AND SUFF"},
       6,
       {"A SUFFICIENT *"}},
      {"more rows hold than are shown",
       [](RunRecord& run) {
         run.names = {};
         for (int k = 0; k < 3; ++k) {
           for (std::size_t i = 7; i <= 9; ++i) run.rows.push_back(run.rows[i]);  // AB's hypothesis rows
         }
       },
       {},
       {},
       15,
       {"A SUFFICIENT *"}},
  };
  for (const FindingsCase& test : cases) {
    RunRecord run = filled_run();
    test.change(run);
    const Findings found = find_findings(run, test.reading);
    if (test.holding_count <= findings_holding_shown) {
      EXPECT_EQ(named(run, found.holding), test.holding) << test.name;
    } else {
      EXPECT_EQ(found.holding.size(), static_cast<std::size_t>(findings_holding_shown)) << test.name;
    }
    EXPECT_EQ(found.holding_count, test.holding_count) << test.name;
    EXPECT_EQ(named(run, found.closest), test.closest) << test.name;
  }
}

TEST(Findings, AreWrittenBrieflyWithWhyTheReadingsPart) {
  std::ostringstream out;
  write_findings(out, filled_run());
  const std::string text = out.str();
  for (const char* part :
       {"Findings at MER 0.05 and level 0.05",
        "  Holding (3):\n    B NECESSARY (~WEALTH): no case against; consistency n/a, coverage n/a\n",
        "    B NEC AND SUFF (~WEALTH): P 0.0700; consistency n/a as necessary, n/a as sufficient; 1 case against\n",
        "    A NECESSARY (WEALTH): P 0.2000, critical MER 0.0300; consistency 0.800, coverage 0.700; 1 case against; "
        "by consistency: not necessary *\n",
        "  Closest, by the MER each needs:\n    A SUFFICIENT (WEALTH): P 0.0010, critical MER 0.1000",
        "  * MORVIT rejects",
        "  * MORVIT finds"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part << "\nin\n" << text;
  }
  RunRecord without_table = filled_run();
  without_table.reached_table = false;
  std::ostringstream none;
  write_findings(none, without_table);
  EXPECT_EQ(none.str(), "");
}

}  // namespace
}  // namespace morvit
