#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/morvit_process.h"

// A keyboard interrupt or a termination request ends the run at once: "Interrupt" or
// "Killed" on standard error, status 1, and a report that holds exactly the lines written
// so far, without a trailer.
namespace morvit {
namespace {

using testing::report_lines;
using testing::RunningMorvit;
using testing::WorkDir;
using Lines = std::vector<std::string>;

// Waits until `done` holds, for at most ten seconds.
template <class Condition>
bool wait_for(Condition done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

struct InterruptCase {
  const char* name;
  int signal_number;
  const char* message;
};

class InterruptedRun : public ::testing::TestWithParam<InterruptCase> {};

// The command file is a FIFO: the program reads the lines fed so far and then waits for more.
TEST_P(InterruptedRun, KeepsTheLinesWrittenSoFar) {
  const InterruptCase& c = GetParam();
  WorkDir dir;
  ASSERT_EQ(::mkfifo((dir.path() / "commands").c_str(), 0600), 0);
  dir.write("morvit.out", std::string(100000, 'x'));  // longer than what the run writes

  RunningMorvit morvit(dir, {"commands"});
  const int feed = ::open((dir.path() / "commands").c_str(), O_WRONLY);
  ASSERT_GE(feed, 0);
  const std::string lines = "COM    FIRST\nCOM    SECOND\n";
  ASSERT_EQ(::write(feed, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
  // Both lines have been taken from the FIFO and the program waits for the next one.
  ASSERT_TRUE(wait_for([&] {
    int pending = 0;
    return ::ioctl(feed, FIONREAD, &pending) == 0 && pending == 0 && morvit.sleeping();
  }));

  morvit.signal(c.signal_number);
  const auto result = morvit.finish();
  ::close(feed);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, std::string(c.message) + "\n");

  const std::string report = dir.read("morvit.out");
  EXPECT_TRUE(report.ends_with("\r\n"));
  const Lines lines_written = report_lines(report);
  ASSERT_EQ(lines_written.size(), 12u);
  EXPECT_EQ(lines_written[6], " SYSTEM DATE AND TIME:  ##-##-####    ##:##:##");
  EXPECT_EQ(Lines(lines_written.begin() + 8, lines_written.end()),
            (Lines{"", "FIRST" + std::string(68, ' '), "", "SECOND" + std::string(67, ' ')}));
  // The console got its banner before the report was opened.
  EXPECT_EQ(report_lines(result.out).size(), 10u);
}

INSTANTIATE_TEST_SUITE_P(
    Signals, InterruptedRun,
    ::testing::Values(InterruptCase{"Interrupt", SIGINT, "Interrupt"}, InterruptCase{"Terminate", SIGTERM, "Killed"},
                      InterruptCase{"Hangup", SIGHUP, "Hangup"}, InterruptCase{"Quit", SIGQUIT, "Quit"},
                      InterruptCase{"FileSize", SIGXFSZ, "File size limit exceeded"}),
    [](const ::testing::TestParamInfo<InterruptCase>& info) { return std::string(info.param.name); });

// SIGKILL cannot be caught: the old report is gone once the run has opened morvit.out, so
// what is left is the new run's start and never a mixture of both.
TEST(InterruptedRun, KillLeavesNothingOfTheOldReport) {
  WorkDir dir;
  ASSERT_EQ(::mkfifo((dir.path() / "commands").c_str(), 0600), 0);
  dir.write("morvit.out", std::string(100000, 'x'));
  RunningMorvit morvit(dir, {"commands"});
  const int feed = ::open((dir.path() / "commands").c_str(), O_WRONLY);
  ASSERT_GE(feed, 0);
  ASSERT_TRUE(wait_for([&] { return std::filesystem::file_size(dir.path() / "morvit.out") < 100000; }));
  morvit.signal(SIGKILL);
  EXPECT_EQ(morvit.finish().status, 128 + SIGKILL);
  ::close(feed);
  EXPECT_EQ(dir.read("morvit.out").find('x'), std::string::npos);
}

// A report that nobody reads (a FIFO) makes the writes wait; an interruption still ends the
// run at once.
struct BlockedReportCase {
  const char* name;
  const char* commands_before;  // in front of the data
  const char* fifo;
  int signal_number;
  const char* message;
};

class InterruptedBlockedReport : public ::testing::TestWithParam<BlockedReportCase> {};

TEST_P(InterruptedBlockedReport, EndsPromptly) {
  const BlockedReportCase& c = GetParam();
  WorkDir dir;
  ASSERT_EQ(::mkfifo((dir.path() / c.fifo).c_str(), 0600), 0);
  // Ten factors: a table of 7,204 lines, far more than a pipe holds.
  std::string commands = std::string(c.commands_before) + "DAT   60 10\n";
  for (int i = 0; i < 60 * 11; ++i) commands += "0." + std::to_string(i * 37 % 97 + 1) + (i % 11 == 10 ? "\n" : " ");
  dir.write("run.cmd", commands + "FIN\n");

  RunningMorvit morvit(dir, {"run.cmd"});
  // The pipe is full and the run waits to write more.
  const int fifo = ::open((dir.path() / c.fifo).c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(fifo, 0);
  ASSERT_TRUE(wait_for([&] {
    int held = 0;
    return ::ioctl(fifo, FIONREAD, &held) == 0 && held >= 60000 && morvit.sleeping();
  }));
  morvit.signal(c.signal_number);
  ASSERT_TRUE(morvit.ends_within(5000)) << "the interruption did not end the run";
  const auto result = morvit.finish();
  ::close(fifo);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, std::string(c.message) + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Fifos, InterruptedBlockedReport,
    ::testing::Values(BlockedReportCase{"MainReportInterrupt", "", "morvit.out", SIGINT, "Interrupt"},
                      BlockedReportCase{"MainReportTerminate", "", "morvit.out", SIGTERM, "Killed"},
                      BlockedReportCase{"OutFileInterrupt", "OUT     REPORT\n", "REPORT", SIGINT, "Interrupt"}),
    [](const ::testing::TestParamInfo<BlockedReportCase>& info) { return std::string(info.param.name); });

// A termination request in the middle of the largest run: whatever it had written, the
// report holds whole lines only and no trailer.
TEST(InterruptedRun, LargestRunLeavesWholeLines) {
  WorkDir dir;
  std::string commands = "DAT   100000 10\n";
  commands.reserve(5'000'000);
  unsigned state = 12345;
  for (int i = 0; i < 100000 * 11; ++i) {
    state = state * 1103515245u + 12345u;
    commands += "0.";
    commands += static_cast<char>('0' + (state >> 16) % 10);
    commands += (i % 11 == 10) ? '\n' : ' ';
  }
  commands += "FIN\n";
  dir.write("big.cmd", commands);
  dir.write("morvit.out", std::string(2'000'000, 'x'));

  RunningMorvit morvit(dir, {"big.cmd"});
  // Once the run has opened morvit.out, the old report is gone.
  ASSERT_TRUE(wait_for([&] { return std::filesystem::file_size(dir.path() / "morvit.out") < 2'000'000; }));
  morvit.signal(SIGTERM);
  const auto result = morvit.finish();
  if (result.status == 0) GTEST_SKIP() << "the run finished before the signal";
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "Killed\n");
  const std::string report = dir.read("morvit.out");
  EXPECT_TRUE(report.empty() || report.ends_with("\r\n"));
  EXPECT_EQ(report.find('x'), std::string::npos);
  EXPECT_EQ(report.find("MORVIT FINISHED ON"), std::string::npos);
  for (const std::string& line : report_lines(report)) {
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_LE(line.size(), 81u);
  }
}

}  // namespace
}  // namespace morvit
