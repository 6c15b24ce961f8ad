#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "support/morvit_process.h"

// The command line: options before the command file, --help and --version, usage errors,
// and "--". Asking for help or making a mistake on the command line never touches a file.
namespace morvit {
namespace {

using testing::run_morvit;
using testing::WorkDir;

struct ArgumentsCase {
  const char* name;
  std::vector<std::string> args;
  int status;
  const char* out;  // text standard output must hold
  const char* err;  // text standard error must hold
  std::vector<std::string> files_after;
};

void PrintTo(const ArgumentsCase& c, std::ostream* os) { *os << c.name; }

class CommandLineArguments : public ::testing::TestWithParam<ArgumentsCase> {};

TEST_P(CommandLineArguments, DoWhatTheySay) {
  const ArgumentsCase& c = GetParam();
  WorkDir dir;
  dir.write("-odd.cmd", "FIN\n");
  const auto result = run_morvit(dir, c.args);
  EXPECT_EQ(result.status, c.status) << result.err;
  EXPECT_NE(result.out.find(c.out), std::string::npos) << result.out;
  EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
  std::vector<std::string> expected = c.files_after;
  expected.insert(expected.begin(), "-odd.cmd");
  EXPECT_EQ(dir.entries(), expected);
}

const std::vector<std::string> kUntouched;

INSTANTIATE_TEST_SUITE_P(
    Options, CommandLineArguments,
    ::testing::Values(
        ArgumentsCase{"Help", {"--help"}, 0, "Usage: morvit [OPTION]... COMMAND-FILE", "", kUntouched},
        ArgumentsCase{"ShortHelp", {"-h", "x.cmd"}, 0, "Exit status:", "", kUntouched},
        ArgumentsCase{"Version", {"--version"}, 0, "MORVIT, version 1.00", "", kUntouched},
        ArgumentsCase{"UnknownOption", {"--hlep", "x.cmd"}, 2, "", "morvit: unknown option --hlep\nUsage:", kUntouched},
        ArgumentsCase{"OnlyOptions", {"-q"}, 2, "", "no command file named", kUntouched},
        ArgumentsCase{"MissingValue", {"--html"}, 2, "", "option --html needs a file name", kUntouched},
        ArgumentsCase{"EndOfOptions", {"--", "-odd.cmd"}, 0, "SYSTEM DATE AND TIME", "", {"morvit.out"}},
        ArgumentsCase{"QuietRun", {"-q", "-odd.cmd"}, 2, "", "unknown option -odd.cmd", kUntouched},
        ArgumentsCase{
            "MoreThanOneCommandFile", {"--", "-odd.cmd", "two.cmd"}, 0, "", "ignoring two.cmd", {"morvit.out"}},
        ArgumentsCase{"EmptyOutputName",
                      {"--html", "", "-odd.cmd"},
                      2,
                      "",
                      "option --html needs a file name, not an empty one",
                      kUntouched},
        ArgumentsCase{"EmptyOutputNameAfterEquals",
                      {"--cases-csv=", "-odd.cmd"},
                      2,
                      "",
                      "option --cases-csv needs a file name, not an empty one",
                      kUntouched},
        ArgumentsCase{"OutputGivenTwice",
                      {"--html", "a.html", "--html=b.html", "x.cmd"},
                      2,
                      "",
                      "option --html given twice",
                      kUntouched},
        ArgumentsCase{"NoArgumentAtAll",
                      {},
                      0,
                      "Input filename missing or invalid.",
                      "Try 'morvit --help' for more information.",
                      kUntouched},
        ArgumentsCase{"CommandFileThatDidNotExist",
                      {"kaf.cmdd"},
                      0,
                      "",
                      "morvit: warning: kaf.cmdd did not exist; it was created empty",
                      {"kaf.cmdd", "morvit.out"}},
        ArgumentsCase{
            "StrictRunWithAnError", {"--strict", "--", "-odd.cmd", "nothing.cmd"}, 3, "", "ignoring", {"morvit.out"}},
        ArgumentsCase{
            "StrictQuietRunOfAnEmptyFile", {"--strict", "-q", "empty.cmd"}, 3, "", "", {"empty.cmd", "morvit.out"}},
        ArgumentsCase{"StrictRunWithoutFault", {"--strict", "--", "-odd.cmd"}, 0, "", "", {"morvit.out"}},
        ArgumentsCase{
            "Level", {"--level", "0.2", "--level=0.1", "x.cmd"}, 2, "", "option --level given twice", kUntouched},
        ArgumentsCase{
            "LevelOne", {"--level=1", "x.cmd"}, 2, "", "between 0 and 1 (such as 0.05), not \"1\"", kUntouched},
        ArgumentsCase{"LevelNotANumber", {"--level", "5%", "x.cmd"}, 2, "", "not \"5%\"\nUsage:", kUntouched},
        ArgumentsCase{"LevelMissing", {"--level"}, 2, "", "option --level needs a level of P", kUntouched},
        ArgumentsCase{"LevelOfARun",
                      {"--level", "1e-3", "--table-csv", "t.csv", "--", "-odd.cmd"},
                      0,
                      "",
                      "",
                      {"morvit.out", "t.csv"}},
        ArgumentsCase{"LevelWithoutAnOutputThatUsesIt",
                      {"--strict", "--level", "0.1", "--", "-odd.cmd"},
                      3,
                      "",
                      "morvit: warning: --level is used only with --table-csv or --html",
                      {"morvit.out"}},
        ArgumentsCase{
            "CommandFileThatCannotBeOpened",
            {"--html", "p.html", "no/such/run.cmd"},
            0,
            "Input filename missing or invalid.",
            "morvit: error: the command file no/such/run.cmd cannot be opened; not written: --html p.html; the "
            "file of this name is as it was",
            kUntouched},
        ArgumentsCase{"StrictRunWhoseCommandFileCannotBeOpened",
                      {"--strict", "."},
                      3,
                      "Input filename missing or invalid.",
                      "",
                      kUntouched},
        ArgumentsCase{"CommandFileFromStandardInput",
                      {"-"},
                      0,
                      "SYSTEM DATE AND TIME",
                      "morvit: standard input:1:1: error: the command file ends before FIN",
                      {"morvit.out"}},
        ArgumentsCase{"RunOptionBeforeTheMaker",
                      {"--strict", "--make-command-file", "x.csv", "--outcome", "y", "--factors", "a"},
                      2,
                      "",
                      "morvit: --strict is an option of a run (morvit [OPTION]... COMMAND-FILE); --make-command-file "
                      "does not take it",
                      kUntouched},
        ArgumentsCase{"RunOptionAfterTheMaker",
                      {"--make-command-file", "x.csv", "--html=p.html", "--outcome", "y", "--factors", "a"},
                      2,
                      "",
                      "morvit: --html is an option of a run",
                      kUntouched}),
    [](const ::testing::TestParamInfo<ArgumentsCase>& info) { return std::string(info.param.name); });

// "-" reads the command file from standard input; its messages name it so.
TEST(CommandLineArguments, ADashReadsTheCommandFileFromStandardInput) {
  WorkDir dir;
  dir.write("run.cmd", "DAT   3 1\n0.1 0.2\n0.5 0.6\n0.9 7\nFIN\n");
  const auto result = testing::run_script(dir, R"("$MORVIT" - < run.cmd)");
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.err.find("morvit: standard input:4:5: warning: "), std::string::npos) << result.err;
  EXPECT_NE(dir.read("morvit.out").find("NEC AND SUFF"), std::string::npos);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"morvit.out", "run.cmd"}));
}

bool is_lower(char c) { return c >= 'a' && c <= 'z'; }

// The option names in a text: "-x" or "--name" standing on their own, not a part of a word
// or of a file name such as -odd-name.cmd.
std::set<std::string> option_names(const std::string& text) {
  std::set<std::string> names;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '-' || (i > 0 && std::string_view(" \t\n,([").find(text[i - 1]) == std::string_view::npos)) continue;
    std::size_t end = text[i + 1] == '-' ? i + 2 : i + 1;
    if (end >= text.size() || !is_lower(text[end])) continue;
    while (end < text.size() && (is_lower(text[end]) || text[end] == '-')) ++end;
    if (end < text.size() && text[end] == '.') continue;
    names.insert(text.substr(i, end - i));
    i = end;
  }
  return names;
}

// The options that --help lists are the options the manual page describes.
TEST(CommandLineHelp, AgreesWithTheManualPage) {
  WorkDir dir;
  const auto help = run_morvit(dir, {"--help"});
  std::ifstream manual_file(MORVIT_SOURCE_DIR "/docs/morvit.1");
  std::stringstream manual;
  manual << manual_file.rdbuf();
  // In the manual page a minus is written "\-"; its fonts are switched with "\f".
  std::string page = manual.str();
  for (std::size_t at = page.find("\\-"); at != std::string::npos; at = page.find("\\-", at)) page.erase(at, 1);
  // The examples show other programs' options too.
  page.erase(page.find(".SH EXAMPLES"), page.find(".SH SEE ALSO") - page.find(".SH EXAMPLES"));
  std::set<std::string> described = option_names(page);
  const std::set<std::string> listed = option_names(help.out);
  ASSERT_GT(listed.size(), 10u);
  for (const std::string& name : listed) EXPECT_TRUE(described.contains(name)) << name << " is not in the manual";
  for (const std::string& name : described) EXPECT_TRUE(listed.contains(name)) << name << " is not in --help";
}

}  // namespace
}  // namespace morvit
