#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "driver/diagnostics.h"
#include "driver/run_listener.h"

// Every warning line that the run shows on standard error reaches the run's listener too,
// without its "morvit: ", so that the outputs beside the report can show it; the count of
// warnings not shown as well, and nothing under --quiet.
namespace morvit {
namespace {

class WarningRecorder : public RunListener {
 public:
  void warning(std::string_view line) override { lines.emplace_back(line); }
  std::vector<std::string> lines;
};

TEST(DiagnosticsListener, ReceivesEveryWarningShown) {
  for (const bool quiet : {false, true}) {
    WarningRecorder recorder;
    Diagnostics diagnostics("run.cmd", quiet, &recorder);
    for (std::uint64_t line = 2; line <= 6; ++line) {
      diagnostics.warning(WarningKind::negative_weight, {line, 1}, "the weight -1 is below 0");
    }
    diagnostics.warning(WarningKind::damping_after_data, {7, 1}, "DAM with no DAT after it");
    diagnostics.error({8, 2}, "not a warning");
    diagnostics.report_hidden_warnings();
    const std::vector<std::string> expected =
        quiet ? std::vector<std::string>{}
              : std::vector<std::string>{"run.cmd:2:1: warning: the weight -1 is below 0",
                                         "run.cmd:3:1: warning: the weight -1 is below 0",
                                         "run.cmd:4:1: warning: the weight -1 is below 0",
                                         "run.cmd:7:1: warning: DAM with no DAT after it",
                                         "run.cmd: warning: 2 more negative weights not shown"};
    EXPECT_EQ(recorder.lines, expected) << (quiet ? "quiet" : "not quiet");
  }
}

}  // namespace
}  // namespace morvit
