#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/morvit_process.h"

// Inputs from many editors and old archives: the program must never crash, hang, write
// where it was not told to, or lose what the user wrote.
namespace morvit {
namespace {

using testing::report_lines;
using testing::run_morvit;
using testing::RunAs;
using testing::WorkDir;
using Lines = std::vector<std::string>;

const char* const kStartupMessage = "\r\n\r\n Input filename missing or invalid.  Program stopped.\r\n";

const std::string kData =
    "DAT   3 2\n"
    "0.2 0.8 0.5\n"
    "0.4 0.1 0.9\n"
    "0.7 0.3 0.6\n";

std::string errors_line(int n) { return " NUMBER OF ERRORS DETECTED =      " + std::to_string(n); }

bool has_line(const Lines& lines, const std::string& wanted) {
  return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

// How a run with a given command file must end.
enum class Ending { table, end_of_file_block, read_error_block, unrecognised_then_table };

struct HostileFile {
  const char* name;
  std::string commands;
  Ending ending;
};

void PrintTo(const HostileFile& c, std::ostream* os) { *os << c.name; }

class HostileCommandFiles : public ::testing::TestWithParam<HostileFile> {};

TEST_P(HostileCommandFiles, EndAsSpecified) {
  const HostileFile& c = GetParam();
  WorkDir dir;
  dir.write("run.cmd", c.commands);
  const auto result = run_morvit(dir, {"run.cmd"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(dir.read("run.cmd"), c.commands) << "the command file never changes";
  const Lines lines = report_lines(dir.read("morvit.out"));
  const bool table = has_line(lines, "  GOODNESS-OF-FIT AND PARTITION STATISTICS");
  switch (c.ending) {
    case Ending::table:
      EXPECT_TRUE(table);
      EXPECT_TRUE(has_line(lines, errors_line(0)));
      break;
    case Ending::end_of_file_block:
      EXPECT_FALSE(table);
      EXPECT_TRUE(has_line(lines, "   END-OF-FILE ENCOUNTERED BEFORE FINISH STATEMENT."));
      EXPECT_TRUE(has_line(lines, errors_line(1)));
      break;
    case Ending::read_error_block:
      EXPECT_FALSE(table);
      EXPECT_TRUE(has_line(lines, "   GENERAL READ ERROR."));
      EXPECT_TRUE(has_line(lines, errors_line(1)));
      break;
    case Ending::unrecognised_then_table:
      EXPECT_TRUE(table);
      EXPECT_TRUE(has_line(lines, "   AN UNRECOGNIZED COMMAND WAS FOUND."));
      EXPECT_TRUE(has_line(lines, errors_line(1)));
      break;
  }
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Files, HostileCommandFiles,
    ::testing::Values(
        HostileFile{"empty_file", "", Ending::end_of_file_block},
        HostileFile{
            "only_cr_line_ends", "DAT   3 2\r0.2 0.8 0.5\r0.4 0.1 0.9\r0.7 0.3 0.6\rFIN\r", Ending::end_of_file_block},
        HostileFile{"nul_after_keyword", kData + "FIN\0\0\n"s, Ending::table},
        HostileFile{"nul_in_keyword", "\0IN\n"s + kData + "FIN\n", Ending::unrecognised_then_table},
        HostileFile{
            "nul_in_data", "DAT   3 2\n0.2 0.8\0 0.5\n0.4 0.1 0.9\n0.7 0.3 0.6\nFIN\n"s, Ending::read_error_block},
        HostileFile{"megabyte_command_line", "COM" + std::string(1 << 20, 'x') + "\n" + kData + "FIN\n", Ending::table},
        HostileFile{"megabyte_data_line",
                    "DAT   3 2\n0.2 0.8 0.5 0.4 0.1 0.9 0.7 0.3 0.6" + std::string(1 << 20, ' ') + "7\nFIN\n",
                    Ending::table},
        HostileFile{"utf8_comment",
                    "COM    na\xc3\xafve caf\xc3\xa9 \xe2\x80\x94 \xe6\x97\xa5\xe6\x9c\xac\n" + kData + "FIN\n",
                    Ending::table},
        HostileFile{
            "latin1_in_data", "DAT   3 2\n0.2 0.8 0.5\n0.4 \xe9 0.9\n0.7 0.3 0.6\nFIN\n", Ending::read_error_block},
        HostileFile{
            "huge_and_tiny_scores", "DAT   3 2\n1e400 -1e400 1e-400\n0.4 0.1 0.9\n0.7 0.3 0.6\nFIN\n", Ending::table},
        HostileFile{"long_mantissas",
                    "DAT   3 2\n0." + std::string(60, '3') + " 0.8 0.5\n" + std::string(45, '0') +
                        "0.4 0.1 0.9\n0.7 0.3 0.6\nFIN\n",
                    Ending::table},
        HostileFile{"nan_score", "DAT   3 2\nnan 0.8 0.5\n0.4 0.1 0.9\n0.7 0.3 0.6\nFIN\n", Ending::read_error_block},
        HostileFile{"inf_score", "DAT   3 2\n0.2 inf 0.5\n0.4 0.1 0.9\n0.7 0.3 0.6\nFIN\n", Ending::read_error_block},
        HostileFile{"huge_weights", kData + "WEI\n1e400 -1e400 1e-400\nFIN\n", Ending::table},
        HostileFile{"exponent_out_of_range",
                    "DAT   3 2\n1e999999999 0.8 0.5\n0.4 0.1 0.9\n0.7 0.3 0.6\nFIN\n",
                    Ending::read_error_block}),
    [](const ::testing::TestParamInfo<HostileFile>& info) { return std::string(info.param.name); });

TEST(HostileInputs, HugeAndTinyScoresAreConfinedLikeAnyOther) {
  // 1e400 reads as infinity and -1e400 as minus infinity; both are confined to the damping
  // bounds like 1 and 0, and 1e-400 reads as 0: the table equals that of the plain scores.
  WorkDir dir;
  dir.write("a.cmd", "DAT   3 2\n1e400 -1e400 1e-400\n0.4 0.1 0.9\n0.7 0.3 0.6\nFIN\n");
  dir.write("b.cmd", "DAT   3 2\n1 0 0\n0.4 0.1 0.9\n0.7 0.3 0.6\nFIN\n");
  run_morvit(dir, {"a.cmd"});
  const Lines a = report_lines(dir.read("morvit.out"));
  run_morvit(dir, {"b.cmd"});
  const Lines b = report_lines(dir.read("morvit.out"));
  EXPECT_EQ(a, b);
}

TEST(HostileInputs, Utf8CommentIsEchoedByteForByte) {
  WorkDir dir;
  const std::string comment = "na\xc3\xafve caf\xc3\xa9";
  dir.write("run.cmd", "COM    " + comment + "\nFIN\n");
  run_morvit(dir, {"run.cmd"});
  // Letters a to z become capitals; every other byte stands as written.
  EXPECT_TRUE(has_line(report_lines(dir.read("morvit.out")),
                       "NA\xc3\xafVE CAF\xc3\xa9" + std::string(73 - comment.size(), ' ')));
}

TEST(HostileInputs, OutNamingADirectoryWritesTheErrorToFort6) {
  WorkDir dir;
  std::filesystem::create_directory(dir.path() / "REPORTS");
  dir.write("run.cmd", "OUT     reports\n" + kData + "FIN\n");
  const auto result = run_morvit(dir, {"run.cmd"});
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "REPORTS"));
  EXPECT_TRUE(has_line(report_lines(dir.read("fort.6")), "   GENERAL READ ERROR."));
}

TEST(HostileInputs, Fort6ThatCannotBeOpenedIsAFatalStop) {
  WorkDir dir;
  std::filesystem::create_directory(dir.path() / "fort.6");
  dir.write("run.cmd", "OUT     nodir/x\nFIN\n");
  const auto result = run_morvit(dir, {"run.cmd"});
  EXPECT_NE(result.status, 0);
  EXPECT_NE(result.err.find("fort.6"), std::string::npos);
}

// Permissions: run unprivileged so that they apply also when the tests run as root.

TEST(HostileInputs, UnreadableCommandFileIsInvalid) {
  WorkDir dir;
  dir.write("run.cmd", kData + "FIN\n");
  std::filesystem::permissions(dir.path() / "run.cmd", std::filesystem::perms::none);
  const auto result = run_morvit(dir, {"run.cmd"}, RunAs::unprivileged_user);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, kStartupMessage);
  EXPECT_FALSE(dir.exists("morvit.out"));
}

TEST(HostileInputs, ReadOnlyCommandFileIsReadAndKept) {
  WorkDir dir;
  const std::string commands = kData + "FIN\n";
  dir.write("run.cmd", commands);
  std::filesystem::permissions(
      dir.path() / "run.cmd",
      std::filesystem::perms::owner_read | std::filesystem::perms::group_read | std::filesystem::perms::others_read);
  const auto result = run_morvit(dir, {"run.cmd"}, RunAs::unprivileged_user);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(dir.read("run.cmd"), commands);
  EXPECT_TRUE(has_line(report_lines(dir.read("morvit.out")), errors_line(0)));
}

TEST(HostileInputs, ReadOnlyMorvitOutIsAFatalStopThatKeepsIt) {
  WorkDir dir;
  dir.write("run.cmd", kData + "FIN\n");
  dir.write("morvit.out", "an earlier report\n");
  std::filesystem::permissions(dir.path() / "morvit.out",
                               std::filesystem::perms::owner_read | std::filesystem::perms::others_read);
  const auto result = run_morvit(dir, {"run.cmd"}, RunAs::unprivileged_user);
  EXPECT_NE(result.status, 0);
  EXPECT_NE(result.err.find("morvit.out"), std::string::npos);
  EXPECT_EQ(dir.read("morvit.out"), "an earlier report\n");
}

TEST(HostileInputs, OutNamingAReadOnlyFileKeepsItAndReportsTheFailure) {
  WorkDir dir;
  dir.write("run.cmd", "OUT     kept.txt\n" + kData + "FIN\n");
  dir.write("KEPT.TXT", "precious\n");
  std::filesystem::permissions(dir.path() / "KEPT.TXT",
                               std::filesystem::perms::owner_read | std::filesystem::perms::others_read);
  const auto result = run_morvit(dir, {"run.cmd"}, RunAs::unprivileged_user);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(dir.read("KEPT.TXT"), "precious\n");
  EXPECT_TRUE(has_line(report_lines(dir.read("fort.6")), "   GENERAL READ ERROR."));
}

}  // namespace
}  // namespace morvit
