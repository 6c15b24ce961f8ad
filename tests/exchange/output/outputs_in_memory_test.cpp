#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "driver/diagnostics.h"
#include "exchange/output/exchange_listener.h"
#include "support/memory_files.h"

// The outputs of a run against a file system in memory (tests/support/memory_files.h): what
// the listener writes, refuses and reads, the same on every platform.
namespace morvit {
namespace {

using testing::MemoryFiles;

std::string slashes(std::string text) {
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

// A run that ended without a table, which still writes every output asked for.
struct EndedRun {
  explicit EndedRun(ExchangeOptions options) : listener(std::move(options), err) {
    Diagnostics diagnostics("run.cmd", false, &listener, &told);
    static_cast<RunListener&>(listener).finished(false, diagnostics);
  }
  std::ostringstream err;   // the listener's own messages
  std::ostringstream told;  // the run's warnings
  ExchangeListener listener;
};

ExchangeOptions outputs(const std::string& table_csv, const std::string& cases_csv, const std::string& html) {
  ExchangeOptions options;
  options.command_file = "run.cmd";
  options.table_csv = table_csv;
  options.cases_csv = cases_csv;
  options.html = html;
  return options;
}

// Every output is prepared before the first is put in place, the renames happen with
// interruptions held back (an interruption then ends the run after all of them), and one that
// cannot be written leaves every one as it was.
TEST(OutputsInMemory, AreWrittenTogetherOrNotAtAll) {
  {
    MemoryFiles files;
    for (const char* name : {"/w/t.csv", "/w/c.csv", "/w/p.html"}) files.file(name, "OLD");
    const platform::ReplacedFiles replaced(files);
    const EndedRun run(outputs("t.csv", "c.csv", "p.html"));
    EXPECT_EQ(run.listener.status(), 0) << run.err.str();
    std::vector<std::string> steps;
    for (const std::string& step : files.log) steps.push_back(step.substr(0, step.find(' ')));
    EXPECT_EQ(steps, (std::vector<std::string>{"create", "create", "create", "rename", "rename", "rename"}));
    for (const std::string& step : files.log) {
      EXPECT_TRUE(step.starts_with("create") || step.ends_with("(held)")) << step;
    }
    EXPECT_TRUE(files.at("/w/t.csv").content.starts_with("block,"));
    EXPECT_TRUE(files.at("/w/p.html").content.starts_with("<!DOCTYPE html>"));
  }
  MemoryFiles files;
  files.file("/w/t.csv", "OLD");
  files.folder("/w/ro", 0555, 1001);
  files.file("/w/ro/p.html", "OLD", 0666);
  const platform::ReplacedFiles replaced(files);
  const EndedRun run(outputs("t.csv", "", "ro/p.html"));
  EXPECT_EQ(run.listener.status(), 2);
  EXPECT_EQ(slashes(run.err.str()),
            "morvit: cannot write ro/p.html: the folder /w/ro: Permission denied\n"
            "morvit: error: the outputs are written together or not at all; not written: --table-csv t.csv, --html "
            "ro/p.html; the files of these names are as they were\n");
  EXPECT_EQ(files.at("/w/t.csv").content, "OLD");
  EXPECT_EQ(files.at("/w/ro/p.html").content, "OLD");
  // A rename refused after another was made: the message names the one already new.
  MemoryFiles late;
  late.renames_left = 1;
  const platform::ReplacedFiles replaced_late(late);
  const EndedRun late_run(outputs("t.csv", "", "p.html"));
  EXPECT_EQ(late_run.listener.status(), 2);
  EXPECT_NE(slashes(late_run.err.str())
                .find("morvit: error: written before the failure: --table-csv t.csv; not written: --html p.html; the "
                      "file of this name is as it was\n"),
            std::string::npos)
      << late_run.err.str();
}

// The CSV file a command file was made from is known by its identity, which the side file
// records: never written over, whatever its name (one of 70 characters, cut in the COM line;
// one with a tab, a blank there).
TEST(OutputsInMemory, NeverTakeThePlaceOfTheCsvFileTheCommandFileWasMadeFrom) {
  for (const std::string& csv : {std::string(70, 'd') + ".csv", std::string("a\tb.csv")}) {
    MemoryFiles files;
    files.file("/w/" + csv, "RAW DATA");
    files.file(
        "/w/run.cmd.cases",
        "#MORVIT CASES 2 0000000000000000\n#MORVIT SOURCE 1 " + std::to_string(files.at("/w/" + csv).index) + "\n\n\n");
    const platform::ReplacedFiles replaced(files);
    const EndedRun run(outputs(csv, "", "p.html"));
    EXPECT_EQ(run.listener.status(), 2);
    EXPECT_NE(run.err.str().find(": this is the CSV file that the command file was made from"), std::string::npos)
        << run.err.str();
    EXPECT_EQ(files.at("/w/" + csv).content, "RAW DATA");
    EXPECT_FALSE(files.exists("/w/p.html"));
  }
}

// A side file that cannot be the pair of the command file (larger than the names of the most
// cases can be) is not read: a warning, and the outputs are written.
TEST(OutputsInMemory, PassOverASideFileTooLargeToBeOne) {
  MemoryFiles files;
  files.file("/w/run.cmd.cases", "");
  files.nodes.at("/w/run.cmd.cases").size = std::int64_t{1} << 31;
  const platform::ReplacedFiles replaced(files);
  const EndedRun run(outputs("", "", "p.html"));
  EXPECT_EQ(run.listener.status(), 0);
  EXPECT_NE(run.told.str().find("run.cmd.cases: warning: larger than the side file of a command file can be"),
            std::string::npos)
      << run.told.str();
  EXPECT_TRUE(files.exists("/w/p.html"));
}

// Names that clash, and names that do not: a device is no file of a run's, so the null device
// takes two outputs.
TEST(OutputsInMemory, ClashOnlyOverFilesOnDisk) {
  MemoryFiles files;
  files.device("/dev/null");
  files.file("/w/run.cmd", "FIN\n");
  files.symlink("/w/same.csv", "t.csv", 1000);
  const platform::ReplacedFiles replaced(files);
  struct Names {
    std::vector<NamedOutput> outputs;
    bool allowed;
  };
  const std::vector<Names> cases = {
      {{{"--table-csv", "/dev/null"}, {"--html", "/dev/null"}}, true},
      {{{"--table-csv", "t.csv"}, {"--html", "same.csv"}}, false},
      {{{"--html", "run.cmd"}}, false},
      {{{"--html", "run.cmd.cases"}}, false},
  };
  for (const Names& names : cases) {
    std::ostringstream err;
    EXPECT_EQ(check_output_names(names.outputs, "run.cmd", err), names.allowed) << names.outputs.back().name;
  }
}

}  // namespace
}  // namespace morvit
