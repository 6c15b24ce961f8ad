#include "driver/run_driver.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "support/morvit_process.h"

namespace morvit {
namespace {

using testing::morvit_command_line;
using testing::report_lines;
using testing::run_morvit;
using testing::section;
using testing::WorkDir;
using Lines = std::vector<std::string>;

const std::string kFiveCases =
    "DAT   5 2\n"
    "0.3810 0.2307 0.1660\n"
    "0.9138 0.5779 0.6901\n"
    "0.5531 0.3835 0.7316\n"
    "0.5764 0.7812 0.6616\n"
    "0.8393 0.4394 0.1550\n";

const Lines kEndOfFileBlock = {" ++ERROR",
                               "   END-OF-FILE ENCOUNTERED BEFORE FINISH STATEMENT.",
                               "   INPUT COMMAND FILE MAY BE CORRUPT.",
                               "   ALSO CHECK ANY FILES REFERENCED BY INPUT COMMAND FILE.",
                               " ++ERROR"};
const Lines kReadErrorBlock = {" ++ERROR",
                               "   GENERAL READ ERROR.",
                               "   INPUT COMMAND FILE MAY BE CORRUPT.",
                               "   ALSO CHECK ANY FILES REFERENCED BY INPUT COMMAND FILE.",
                               " ++ERROR"};

// The trailer's error count line for n errors.
std::string errors_line(int n) {
  std::string count = std::to_string(n);
  return " NUMBER OF ERRORS DETECTED =" + std::string(7 - count.size(), ' ') + count;
}

bool contains_block(const Lines& lines, const Lines& block) {
  return std::search(lines.begin(), lines.end(), block.begin(), block.end()) != lines.end();
}

TEST(RunDriver, WithoutArgumentStopsWithTheMessageAndNoReport) {
  WorkDir dir;
  const auto result = run_morvit(dir, {});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "\r\n\r\n Input filename missing or invalid.  Program stopped.\r\n");
  EXPECT_TRUE(dir.entries().empty());
}

TEST(RunDriver, ConsoleThatWentAwayDoesNotStopTheReport) {
  // Standard output is a pipe whose reading end is already closed: the start-up lines are
  // lost, the report is not.
  WorkDir dir;
  dir.write("run.cmd", kFiveCases + "OUT     again.out\nFIN\n");
  std::vector<std::string> command = morvit_command_line({"run.cmd"});
  std::vector<char*> argv;
  for (std::string& word : command) argv.push_back(word.data());
  argv.push_back(nullptr);
  int pipe_fds[2];
  ASSERT_EQ(::pipe(pipe_fds), 0);
  ::close(pipe_fds[0]);
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(pipe_fds[1], STDOUT_FILENO);
    if (::chdir(dir.path().c_str()) != 0) ::_exit(126);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(pipe_fds[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_NE(dir.read("AGAIN.OUT").find("GOODNESS-OF-FIT AND PARTITION STATISTICS"), std::string::npos);
}

TEST(RunDriver, CommandFileThatIsADirectoryIsInvalid) {
  WorkDir dir;
  std::filesystem::create_directory(dir.path() / "commands");
  const auto result = run_morvit(dir, {"commands"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "\r\n\r\n Input filename missing or invalid.  Program stopped.\r\n");
  EXPECT_FALSE(dir.exists("morvit.out"));
}

TEST(RunDriver, MissingCommandFileIsCreatedAndEndsAtOnce) {
  WorkDir dir;
  const auto result = run_morvit(dir, {"absent.cmd"});
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(dir.exists("absent.cmd"));
  EXPECT_EQ(dir.read("absent.cmd"), "");
  const Lines lines = report_lines(dir.read("morvit.out"));
  EXPECT_TRUE(contains_block(lines, kEndOfFileBlock));
  EXPECT_EQ(lines[lines.size() - 3], errors_line(1));
  // The console shows the banner with the same clock reading as the report's.
  const Lines console = report_lines(result.out);
  ASSERT_EQ(console.size(), 10u);
  EXPECT_EQ(console[8], lines[6]);
}

TEST(RunDriver, BannerAndTrailerLayout) {
  WorkDir dir;
  dir.write("run.cmd", "FIN\n");
  run_morvit(dir, {"run.cmd"});
  const std::string report = dir.read("morvit.out");
  const Lines lines = report_lines(report);
  ASSERT_GE(lines.size(), 8u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], " MORVIT, VERSION 1.00" + std::string(31, ' '));
  EXPECT_EQ(lines[6], " SYSTEM DATE AND TIME:  ##-##-####    ##:##:##");
  EXPECT_EQ(lines[7], "");
  const Lines trailer(lines.end() - 7, lines.end());
  EXPECT_EQ(trailer,
            (Lines{"",
                   " " + std::string(79, '-'),
                   " MORVIT FINISHED ON  ##-##-####  AT  ##:##:##",
                   "",
                   errors_line(0),
                   " NUMBER OF WARNINGS ISSUED =      0",
                   " " + std::string(79, '-')}));
  EXPECT_TRUE(report.ends_with("-\r\n"));
}

// The banner and the trailer tell the local date and time of the run, as the clock reads
// it: "MM-DD-YYYY    HH:MM:SS".
TEST(RunDriver, BannerAndTrailerTellTheClock) {
  WorkDir dir;
  dir.write("run.cmd", "FIN\n");
  const std::time_t before = std::time(nullptr);
  run_morvit(dir, {"run.cmd"});
  const std::time_t after = std::time(nullptr);
  const std::string report = dir.read("morvit.out");
  const auto stamp_of = [](const std::string& text, std::size_t at, const char* between) {
    std::tm told{};
    const int read = std::sscanf(text.c_str() + at,
                                 between == std::string_view("banner") ? "%d-%d-%d %d:%d:%d" : "%d-%d-%d AT %d:%d:%d",
                                 &told.tm_mon,
                                 &told.tm_mday,
                                 &told.tm_year,
                                 &told.tm_hour,
                                 &told.tm_min,
                                 &told.tm_sec);
    told.tm_mon -= 1;
    told.tm_year -= 1900;
    told.tm_isdst = -1;
    return read == 6 ? std::mktime(&told) : std::time_t{-1};
  };
  const std::size_t banner = report.find("SYSTEM DATE AND TIME:  ");
  const std::size_t trailer = report.find("MORVIT FINISHED ON  ");
  ASSERT_NE(banner, std::string::npos);
  ASSERT_NE(trailer, std::string::npos);
  for (const std::time_t told : {stamp_of(report, banner + 23, "banner"), stamp_of(report, trailer + 20, "trailer")}) {
    EXPECT_GE(told, before - 1) << report;
    EXPECT_LE(told, after + 1) << report;
  }
}

TEST(RunDriver, LongerOldReportIsCutToTheNewOne) {
  WorkDir dir;
  dir.write("run.cmd", "FIN\n");
  dir.write("morvit.out", std::string(200000, 'x') + "\n");
  run_morvit(dir, {"run.cmd"});
  const std::string report = dir.read("morvit.out");
  EXPECT_EQ(report.find('x'), std::string::npos);
  EXPECT_TRUE(report.ends_with(" " + std::string(79, '-') + "\r\n"));
}

TEST(RunDriver, OutToAMissingDirectoryWritesTheErrorToFort6) {
  WorkDir dir;
  dir.write("run.cmd", "COM    first\nOUT     nodir/report.txt\n" + kFiveCases + "FIN\n");
  const auto result = run_morvit(dir, {"run.cmd"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"fort.6", "morvit.out", "run.cmd"}));
  const Lines first = report_lines(dir.read("morvit.out"));
  EXPECT_EQ(first.back(), "FIRST" + std::string(68, ' '));  // closed right after the comment
  const Lines fallback = report_lines(dir.read("fort.6"));
  EXPECT_EQ(Lines(fallback.begin(), fallback.begin() + 5), kReadErrorBlock);
  EXPECT_EQ(fallback[fallback.size() - 3], errors_line(1));
}

TEST(RunDriver, OutNamingTheCommandFileLeavesItUntouched) {
  WorkDir dir;
  const std::string commands = "OUT     RUN.CMD\n" + kFiveCases + "FIN\n";
  dir.write("RUN.CMD", commands);
  const auto result = run_morvit(dir, {"RUN.CMD"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(dir.read("RUN.CMD"), commands);
  EXPECT_TRUE(contains_block(report_lines(dir.read("fort.6")), kReadErrorBlock));
}

TEST(RunDriver, CommandFileNamedLikeTheReportIsAFatalStopThatKeepsIt) {
  WorkDir dir;
  const std::string commands = kFiveCases + "FIN\n";
  dir.write("morvit.out", commands);
  const auto result = run_morvit(dir, {"morvit.out"});
  EXPECT_NE(result.status, 0);
  EXPECT_NE(result.err.find("morvit.out"), std::string::npos);
  EXPECT_EQ(dir.read("morvit.out"), commands);
}

TEST(RunDriver, ReportThatCannotBeOpenedIsAFatalStop) {
  WorkDir dir;
  dir.write("run.cmd", "FIN\n");
  std::filesystem::create_directory(dir.path() / "morvit.out");
  const auto result = run_morvit(dir, {"run.cmd"});
  EXPECT_NE(result.status, 0);
  EXPECT_NE(result.err.find("morvit.out"), std::string::npos);
}

TEST(RunDriver, FatalInputStopKeepsTheLinesWrittenAndHasNoTrailer) {
  WorkDir dir;
  dir.write("run.cmd", "COM    kept\nMER    0.0X5\nFIN\n");
  dir.write("morvit.out", std::string(5000, 'x'));
  const auto result = run_morvit(dir, {"run.cmd"});
  EXPECT_NE(result.status, 0);
  EXPECT_NE(result.err.find("read unexpected character"), std::string::npos);
  EXPECT_NE(result.err.find("(BN,F73.0)"), std::string::npos);
  const Lines lines = report_lines(dir.read("morvit.out"));
  EXPECT_EQ(lines.back(), "KEPT" + std::string(69, ' '));
}

volatile sig_atomic_t host_interrupted = 0;
extern "C" void host_on_interrupt(int) { host_interrupted = 1; }

// A run inside another program (the R package) leaves the process to it: the host's
// handler of interrupts stays in place, an interrupt during the run goes to the host
// while the run goes on to its end, and the run does not prepare the process (which
// would ignore SIGPIPE) for the command line.
TEST(RunDriver, HostedRunLeavesInterruptsToTheHost) {
  struct InterruptedHost final : RunListener {
    void results(const RunResults& /*results*/) override { ::raise(SIGINT); }
  };
  struct sigaction host {};
  host.sa_handler = host_on_interrupt;
  sigemptyset(&host.sa_mask);
  struct sigaction saved_interrupt {};
  struct sigaction pipe_before {};
  ASSERT_EQ(::sigaction(SIGINT, &host, &saved_interrupt), 0);
  ::sigaction(SIGPIPE, nullptr, &pipe_before);

  WorkDir dir;
  dir.write("run.cmd", kFiveCases + "FIN\n");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  InterruptedHost listener;
  RunOptions options;
  options.command_file = "run.cmd";
  options.listener = &listener;
  options.hosted = true;
  host_interrupted = 0;
  const int status = morvit::run_morvit(options);
  std::filesystem::current_path(previous);

  struct sigaction interrupt_after {};
  struct sigaction pipe_after {};
  ::sigaction(SIGINT, &saved_interrupt, &interrupt_after);
  ::sigaction(SIGPIPE, nullptr, &pipe_after);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(host_interrupted, 1);
  EXPECT_EQ(interrupt_after.sa_handler, &host_on_interrupt);
  EXPECT_EQ(pipe_after.sa_handler, pipe_before.sa_handler);
  const Lines lines = report_lines(dir.read("morvit.out"));
  EXPECT_TRUE(std::find(lines.begin(), lines.end(), errors_line(0)) != lines.end());
}

// Command scenarios that end in the report: the lines of the section that begins with
// `first` (up to the next empty line) must be `expected`.
struct Scenario {
  const char* name;
  std::string commands;
  std::string first;
  Lines expected;
  int errors;
};

void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }

class CommandScenarios : public ::testing::TestWithParam<Scenario> {};

TEST_P(CommandScenarios, Report) {
  const Scenario& s = GetParam();
  WorkDir dir;
  dir.write("run.cmd", s.commands);
  const auto result = run_morvit(dir, {"run.cmd"});
  ASSERT_EQ(result.status, 0) << result.err;
  const Lines lines = report_lines(dir.read("morvit.out"));
  EXPECT_EQ(section(lines, s.first, s.expected.size()), s.expected);
  EXPECT_EQ(lines[lines.size() - 3], errors_line(s.errors));
}

const std::string kRule = " " + std::string(77, '-');

INSTANTIATE_TEST_SUITE_P(
    Interpreter, CommandScenarios,
    ::testing::Values(Scenario{"small_letters_and_longer_words",
                               "dat   5 2\n" + kFiveCases.substr(10) + "mer    0.1\nfinish the run\n",
                               " NUMBER OF CASES:",
                               {" NUMBER OF CASES:                         5",
                                " NUMBER OF FACTORS:                       2",
                                " DENOMINATOR DEGREES OF FREEDOM:          5",
                                " MEASUREMENT ERROR FACTOR:         0.100000",
                                " EXPECTED MEAN SQUARE DISTANCE:    0.040000",
                                " DAMPING FACTOR FOR Z SCORES:      0.010000",
                                "  "},
                               0},
                      Scenario{"weights_ending_with_slash",
                               kFiveCases + "WEI\n2 3.5 / 9 9\nFIN\n",
                               " NUMBER OF CASES:",
                               {" NUMBER OF CASES:                         5",
                                " NUMBER OF FACTORS:                       2",
                                " DENOMINATOR DEGREES OF FREEDOM:          8",
                                " MEASUREMENT ERROR FACTOR:         0.050000",
                                " EXPECTED MEAN SQUARE DISTANCE:    0.010000",
                                " DAMPING FACTOR FOR Z SCORES:      0.010000",
                                "  "},
                               0},
                      Scenario{"half_weights_leave_no_denominator_df",
                               kFiveCases + "WEI\n5*0.5\nFIN\n",
                               " DENOMINATOR DEGREES OF FREEDOM:          0",
                               {" DENOMINATOR DEGREES OF FREEDOM:          0",
                                " MEASUREMENT ERROR FACTOR:         0.050000",
                                " EXPECTED MEAN SQUARE DISTANCE:    0.010000",
                                " DAMPING FACTOR FOR Z SCORES:      0.010000",
                                "  "},
                               0},
                      Scenario{"zero_measurement_error",
                               "MER\n" + kFiveCases + "FIN\n",
                               " MEASUREMENT ERROR FACTOR:         0.000000",
                               {" MEASUREMENT ERROR FACTOR:         0.000000",
                                " EXPECTED MEAN SQUARE DISTANCE:    0.000000",
                                " DAMPING FACTOR FOR Z SCORES:      0.010000",
                                "  "},
                               0},
                      Scenario{"damping_after_the_data_is_only_printed",
                               kFiveCases + "DAM  0.2\nFIN\n",
                               " DAMPING FACTOR FOR Z SCORES:      0.200000",
                               {" DAMPING FACTOR FOR Z SCORES:      0.200000", "  "},
                               0},
                      Scenario{"extra_value_lines_are_unrecognised_commands",
                               kFiveCases + "0.1 0.2 0.3\nFIN\n",
                               " ++ERROR",
                               {" ++ERROR",
                                "   AN UNRECOGNIZED COMMAND WAS FOUND.",
                                "   PLEASE CHECK OUTPUT AND SPELLING OF ALL COMMANDS.",
                                "   LINE WITH ERROR:",
                                "   ",
                                " 0.1 0.2 0.3" + std::string(69, ' '),
                                " ++ERROR"},
                               1},
                      Scenario{"zero_cases_skip_the_next_line",
                               "DAT   0 2\nTHIS LINE IS SKIPPED\nFIN\n",
                               " NUMBER OF CASES:",
                               {" NUMBER OF CASES:                         0",
                                " NUMBER OF FACTORS:                       2",
                                " DENOMINATOR DEGREES OF FREEDOM:          0",
                                " MEASUREMENT ERROR FACTOR:         0.050000",
                                " EXPECTED MEAN SQUARE DISTANCE:    0.010000",
                                " DAMPING FACTOR FOR Z SCORES:      0.010000",
                                "  "},
                               0},
                      Scenario{"too_few_values_is_a_read_error",
                               "DAT   5 2\n0.1 0.2 0.3\nFIN\n",
                               " ++ERROR",
                               {" ++ERROR",
                                "   GENERAL READ ERROR.",
                                "   INPUT COMMAND FILE MAY BE CORRUPT.",
                                "   ALSO CHECK ANY FILES REFERENCED BY INPUT COMMAND FILE.",
                                " ++ERROR"},
                               1},
                      Scenario{"weights_before_data",
                               "WEI\n1 2\nFIN\n",
                               " ++ERROR",
                               {" ++ERROR", "   WEIGHTS SPECIFIED BEFORE DATA MATRIX INPUT.", " ++ERROR"},
                               1},
                      Scenario{"crlf_command_file_reads_like_lf",
                               "COM    windows\r\nDAT   5 2\r\n0.3810 0.2307 0.1660\r\n0.9138 0.5779 0.6901\r\n"
                               "0.5531 0.3835 0.7316\r\n0.5764 0.7812 0.6616\r\n0.8393 0.4394 0.1550\r\nFIN\r\n",
                               " NUMBER OF CASES:",
                               {" NUMBER OF CASES:                         5",
                                " NUMBER OF FACTORS:                       2",
                                " DENOMINATOR DEGREES OF FREEDOM:          5",
                                " MEASUREMENT ERROR FACTOR:         0.050000",
                                " EXPECTED MEAN SQUARE DISTANCE:    0.010000",
                                " DAMPING FACTOR FOR Z SCORES:      0.010000",
                                "  "},
                               0}),
    [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace morvit
