#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/morvit_process.h"

// Faults of the world around a run, set up by a shell as a user meets them: closed standard
// streams, a full or limited disk, a console that is the report, the fallback report that is
// the command file, a command file on a pipe, too little memory, a second run in the same
// directory. Whatever happens, the command file never changes, a failure never reports
// success, and a report holds whole records only.
namespace morvit {
namespace {

using testing::run_script;
using testing::WorkDir;

const std::string kRun =
    "DAT   3 1\n"
    "0.1 0.2\n"
    "0.5 0.6\n"
    "0.9 0.7\n"
    "FIN\n";

// A command file whose report is about 20 KB: a table of six factors.
std::string six_factor_run() {
  std::string text = "DAT   40 6\n";
  for (int i = 0; i < 40; ++i) {
    for (int j = 0; j < 7; ++j) text += "0." + std::to_string((i * 7 + j * 3) % 10) + std::to_string(j) + " ";
    text += "\n";
  }
  return text + "FIN\n";
}

// What must be in morvit.out afterwards.
enum class Report {
  complete,       // a whole report with its trailer
  whole_records,  // records ended by CR LF, no trailer
  not_checked,    // not a file of the run (a link to a device)
  end_of_file_block,
};

struct FaultCase {
  const char* name;
  std::string commands;  // written to the command file of the script
  const char* command_file;
  std::string script;
  int status;
  const char* diagnostic;  // text standard error must hold, or nothing
  Report report;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class FaultyWorld : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultyWorld, NeverLosesTheCommandFileNorReportsSuccessFalsely) {
  const FaultCase& c = GetParam();
  if (c.script.find("ulimit -v") != std::string::npos && !testing::address_space_limits_apply()) {
    GTEST_SKIP() << "the address space limit is for the program alone";
  }
  WorkDir dir;
  dir.write(c.command_file, c.commands);
  const auto result = run_script(dir, c.script);
  EXPECT_EQ(result.status, c.status) << result.err;
  EXPECT_NE(result.err.find(c.diagnostic), std::string::npos) << result.err;
  EXPECT_EQ(dir.read(c.command_file), c.commands) << "the command file never changes";

  if (c.report == Report::not_checked) return;  // morvit.out may be a link to a device
  const std::string report = dir.read("morvit.out");
  const bool trailer = report.find(" NUMBER OF WARNINGS ISSUED =") != std::string::npos;
  switch (c.report) {
    case Report::complete:
      EXPECT_TRUE(trailer);
      EXPECT_TRUE(report.ends_with(" " + std::string(79, '-') + "\r\n"));
      break;
    case Report::whole_records:
      EXPECT_FALSE(trailer);
      EXPECT_TRUE(report.empty() || report.ends_with("\r\n"));
      EXPECT_EQ(report.find('\n'), report.empty() ? std::string::npos : report.find("\r\n") + 1);
      break;
    case Report::end_of_file_block:
      EXPECT_NE(report.find("END-OF-FILE ENCOUNTERED BEFORE FINISH STATEMENT."), std::string::npos);
      EXPECT_TRUE(trailer);
      break;
    case Report::not_checked: break;
  }
}

const std::string kBadMer = "COM    BEFORE\nMER    0.0X5\nFIN\n";
const std::string kOutCon = "OUT     CON\n" + kRun;
const std::string kOutFails = "OUT     NO/SUCH/FOLDER/REPORT\nFIN\n";

INSTANTIATE_TEST_SUITE_P(
    Streams, FaultyWorld,
    ::testing::Values(
        FaultCase{"ClosedStandardOutput", kRun, "run.cmd", R"("$MORVIT" run.cmd >&-)", 0, "", Report::complete},
        FaultCase{"AllStreamsClosed", kRun, "run.cmd", R"("$MORVIT" run.cmd <&- >&- 2>&-)", 0, "", Report::complete},
        FaultCase{"ClosedErrorStreamAtAFatalStop",
                  kBadMer,
                  "run.cmd",
                  R"("$MORVIT" run.cmd 2>&- >/dev/null)",
                  2,
                  "",
                  Report::whole_records},
        FaultCase{"ReportOnAFullDevice",
                  kRun,
                  "run.cmd",
                  R"(ln -s /dev/full morvit.out && "$MORVIT" run.cmd)",
                  2,
                  "cannot write the report file morvit.out: No space left on device",
                  Report::not_checked},
        FaultCase{"FileSizeLimit",
                  six_factor_run(),
                  "run.cmd",
                  R"(ulimit -f 8 && "$MORVIT" run.cmd)",
                  2,
                  "cannot write the report file morvit.out: File too large",
                  Report::whole_records},
        FaultCase{"ConsoleReportOnAFullDevice",
                  kOutCon,
                  "run.cmd",
                  R"("$MORVIT" run.cmd >/dev/full)",
                  2,
                  "cannot write the report to standard output: No space left on device",
                  Report::whole_records},
        FaultCase{"ConsoleReportClosed",
                  kOutCon,
                  "run.cmd",
                  R"("$MORVIT" run.cmd >&-)",
                  2,
                  "cannot write the report to standard output: it is closed",
                  Report::whole_records},
        FaultCase{"FallbackIsTheCommandFile",
                  kOutFails,
                  "fort.6",
                  R"("$MORVIT" fort.6)",
                  2,
                  "the report file fort.6 is the command file",
                  Report::whole_records},
        FaultCase{"FallbackIsALinkToTheCommandFile",
                  kOutFails,
                  "run.cmd",
                  R"(ln run.cmd fort.6 && "$MORVIT" run.cmd)",
                  2,
                  "the report file fort.6 is the command file",
                  Report::whole_records},
        FaultCase{"CommandFileOnAPipe",
                  "",
                  "unused",
                  R"(printf 'COM    X\n' | "$MORVIT" /dev/stdin)",
                  0,
                  "",
                  Report::end_of_file_block},
        FaultCase{"CommandFileOnAFifo",
                  "",
                  "unused",
                  R"(mkfifo f && { printf 'COM    X\n' > f & "$MORVIT" f; })",
                  0,
                  "",
                  Report::end_of_file_block},
        FaultCase{"OutOfMemory",
                  kRun,
                  "run.cmd",
                  R"(ulimit -v 20000 && "$MORVIT" run.cmd)",
                  2,
                  "out of memory",
                  Report::not_checked},
        // The first run holds morvit.out while it waits for the rest of its FIFO command file;
        // it has locked the file when it has emptied it.
        FaultCase{"SecondRunInTheSameDirectory",
                  kRun,
                  "run.cmd",
                  R"(mkfifo first && echo old > morvit.out && { "$MORVIT" first >/dev/null & } && exec 3>first &&
                     printf 'COM    FIRST RUN\n' >&3 &&
                     until [ ! -s morvit.out ]; do sleep 0.01; done &&
                     "$MORVIT" run.cmd; status=$?; printf 'FIN\n' >&3; exec 3>&-; wait
                     grep -q 'FIRST RUN' morvit.out && exit $status)",
                  2,
                  "the report file morvit.out is in use by another run",
                  Report::complete},
        // Only a file on disk is locked: two runs in two directories whose reports go to the
        // null device (OUT, through a link; OUT reads its name in capitals) do not refuse each
        // other. The first waits with its OUT read.
        FaultCase{"TwoRunsReportToTheNullDevice",
                  kRun,
                  "run.cmd",
                  R"(mkfifo first && mkdir other && ln -s /dev/null NULL && ln -s /dev/null other/NULL &&
                     printf 'OUT     null\n' | cat - run.cmd > other/run.cmd &&
                     { "$MORVIT" first >/dev/null & } && exec 3>first && printf 'OUT     null\n' >&3 &&
                     until grep -q 'SYSTEM DATE' morvit.out 2>/dev/null; do sleep 0.01; done && sleep 0.2 &&
                     (cd other && "$MORVIT" run.cmd); status=$?; printf 'FIN\n' >&3; exec 3>&-; wait; exit $status)",
                  0,
                  "",
                  Report::not_checked}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace morvit
