#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/morvit_process.h"

// Every mistake is located on standard error in the form editors and build tools read,
// "morvit: FILE:LINE:COLUMN: error|warning: WHAT", and the report is the same with or
// without the warnings (--quiet).
namespace morvit {
namespace {

using testing::report_lines;
using testing::run_morvit;
using testing::WorkDir;

const std::string kData = "0.2 0.8 0.5\n0.4 0.1 0.9\n0.7 0.3 0.6\n";

struct MistakeCase {
  const char* name;
  std::string commands;
  std::vector<std::string> located;  // "LINE:COLUMN: kind" of every message, in order
  const char* closing;               // the closing line after "written to ", or nothing for a clean run
};

void PrintTo(const MistakeCase& c, std::ostream* os) { *os << c.name; }

// The "LINE:COLUMN: kind" parts of the located lines of standard error.
std::vector<std::string> located_messages(const std::string& err) {
  std::vector<std::string> found;
  const std::string prefix = "morvit: run.cmd:";
  for (std::size_t at = err.find(prefix); at != std::string::npos; at = err.find(prefix, at + 1)) {
    const std::size_t start = at + prefix.size();
    const std::size_t colon = err.find(": ", err.find(':', err.find(':', start) + 1));
    const std::size_t kind_end = err.find(':', colon + 2);
    if (kind_end == std::string::npos) break;
    found.push_back(err.substr(start, kind_end - start));
  }
  return found;
}

class Mistakes : public ::testing::TestWithParam<MistakeCase> {};

TEST_P(Mistakes, AreLocatedAndLeaveTheReportAsItIs) {
  const MistakeCase& c = GetParam();
  WorkDir told;
  WorkDir quiet;
  told.write("run.cmd", c.commands);
  quiet.write("run.cmd", c.commands);
  const auto result = run_morvit(told, {"run.cmd"});
  const auto quiet_result = run_morvit(quiet, {"--quiet", "run.cmd"});
  EXPECT_EQ(result.status, quiet_result.status);
  EXPECT_EQ(located_messages(result.err), c.located) << result.err;
  EXPECT_EQ(report_lines(told.read("morvit.out")), report_lines(quiet.read("morvit.out")));
  EXPECT_EQ(quiet_result.err.find("warning:"), std::string::npos) << quiet_result.err;
  if (*c.closing == '\0') {
    EXPECT_EQ(result.err.find("report written"), std::string::npos) << result.err;
  } else {
    EXPECT_TRUE(result.err.ends_with(std::string(" written to ") + c.closing + "\n")) << result.err;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, Mistakes,
    ::testing::Values(
        MistakeCase{"CleanRun", "DAT   3 2\n" + kData + "FIN\n", {}, ""},
        MistakeCase{"UnrecognisedCommand", "MRE    0.1\nFIN\n", {"1:1: error"}, "morvit.out (1 error)"},
        MistakeCase{"EmptyLine", "\nFIN\n", {"1:1: error"}, "morvit.out (1 error)"},
        MistakeCase{"WeightsBeforeData", "COM    X\nWEI\n1 1 1\n", {"2:1: error"}, "morvit.out (1 error)"},
        MistakeCase{"TooManyFactors", "DAT   3 11\n", {"1:7: error"}, "morvit.out (1 error)"},
        MistakeCase{"TooManyCases", "COM\nDAT    100001 2\n", {"2:8: error"}, "morvit.out (1 error)"},
        MistakeCase{"EndBeforeFin", "COM    X\n", {"2:1: error"}, "morvit.out (1 error)"},
        MistakeCase{"LastLineWithoutLineEnd", "DAT   3 2\n" + kData + "FIN", {"5:4: error"}, "morvit.out (1 error)"},
        MistakeCase{"EndInsideData", "DAT   3 2\n0.2 0.8\n", {"3:1: error"}, "morvit.out (1 error)"},
        MistakeCase{"ValueNotANumber", "DAT   3 2\n0.2 0.8 0.5\n0.4 O.1 0.9\n", {"3:5: error"}, "morvit.out (1 error)"},
        MistakeCase{"TooFewValues", "DAT   3 2\n0.2 0.8 0.5\n0.4 0.1\nFIN\n", {"4:1: error"}, "morvit.out (1 error)"},
        MistakeCase{"WeightNotANumber", "DAT   3 2\n" + kData + "WEI\n1 x 1\n", {"6:3: error"}, "morvit.out (1 error)"},
        MistakeCase{"OutCannotBeOpened", "OUT     NO/SUCH/DIR\nFIN\n", {"1:9: error"}, "morvit.out, fort.6 (1 error)"},
        MistakeCase{"BadCharacterInMer", "MER    0.0X5\n", {"1:11: error"}, ""},
        MistakeCase{"BadCharacterInDatCount", "DAT   3.0 2\n", {"1:8: error"}, ""}));

INSTANTIATE_TEST_SUITE_P(
    Silent, Mistakes,
    ::testing::Values(
        MistakeCase{"MembershipsOutsideUnit",
                    "DAT   3 2\n0.2 7 0.5\n-0.6 0.1 0.9\n0.7 0.3 60\nFIN\n",
                    {"2:5: warning", "3:1: warning", "4:9: warning"},
                    "morvit.out (3 warnings)"},
        MistakeCase{"ManyOutsideUnitAreCounted",
                    "DAT   2 3\n2 2 2 2\n2 2 2 2\nFIN\n",
                    {"2:1: warning", "2:3: warning", "2:5: warning"},
                    "morvit.out (8 warnings)"},
        MistakeCase{"DecimalCommas",
                    "DAT   2 1\n0,8 0,2\nFIN\n",
                    {"2:1: warning", "2:3: warning", "2:5: warning", "2:7: warning"},
                    "morvit.out (4 warnings)"},
        MistakeCase{"MerFromColumnFive",
                    "MER 0.1\nDAT   3 2\n" + kData + "FIN\n",
                    {"1:5: warning", "1:1: warning"},
                    "morvit.out (2 warnings)"},
        MistakeCase{"DamPastColumn78",
                    "DAM" + std::string(71, ' ') + "0.0200\nDAT   3 2\n" + kData + "FIN\n",
                    {"1:79: warning"},
                    "morvit.out (1 warning)"},
        MistakeCase{"DamAfterTheLastDat",
                    "DAT   3 2\n" + kData + "DAM    0.02\nFIN\n",
                    {"5:1: warning"},
                    "morvit.out (1 warning)"},
        MistakeCase{"MerZero", "MER    0\nDAT   3 2\n" + kData + "FIN\n", {"1:1: warning"}, "morvit.out (1 warning)"},
        MistakeCase{"DataMatrixWithoutCases", "DAT   0 2\n\nFIN\n", {"1:1: warning"}, "morvit.out (1 warning)"},
        MistakeCase{
            "NegativeWeight", "DAT   3 2\n" + kData + "WEI\n1 -1 1\nFIN\n", {"6:3: warning"}, "morvit.out (1 warning)"},
        // Read as 2 cases of no factor: the rest of the data are taken for commands.
        MistakeCase{"DatCountFromColumnFive",
                    "DAT 3 2\n" + kData + "FIN\n",
                    {"1:5: warning", "3:1: error", "4:1: error"},
                    "morvit.out (2 errors, 1 warning)"},
        MistakeCase{"CommentBeforeColumn8", "COM My study\nFIN\n", {"1:5: warning"}, "morvit.out (1 warning)"}));

// What a message says: the value, the case, the factor letter and the lines it names.
TEST(Mistakes, SayWhichValueAndWhichLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"DAT   3 2\n0.2 0.8 0.5\n0.4 O.1 0.9\n",
       "run.cmd:3:5: error: cannot read \"O.1\" as a number, for case 2, factor A"},
      {"DAT   3 2\n0.2 7 0.5\n",
       "the membership 7 of case 1, factor A (DAT on line 1) is outside 0..1; it is taken as 0.99 (the damping "
       "bounds are 0.01 and 0.99)"},
      {"DAT   2 3\n0.1 0.2 0.3 0.4\n0.1 0.2 -0.3 0.4\nFIN\n",
       "the membership -0.3 of case 2, factor B (DAT on line 1) is outside 0..1; it is taken as 0.01"},
      {"DAT   3 1\n0.1 0.2\n0.3 0.4\n0.5 0.6\n0.7 0.8\nFIN\n",
       "run.cmd:5:1: error: unrecognised command \"0.7\": columns 1 to 3 must hold OUT, MER, DAM, DAT, WEI, COM or "
       "FIN; "
       "this line holds numbers right after the data of DAT on line 1, which asks for 3 cases of 2 values: are there "
       "more cases than DAT says?"},
      {"COM    T\nDAT   4 2\n0.1 0.2 0.3\n0.3 0.4\n0.5 0.6 0.7\n0.7 0.8 0.9\nFIN\n",
       "run.cmd:7:1: error: cannot read \"FIN\" as a number, for case 4, factor B (DAT on line 2); the data hold fewer "
       "values than DAT asks for: DAT on line 2 asks for 4 cases of 3 values; line 4 holds 2 values where the other "
       "data lines hold 3"},
      {"DAT   3 1\n0.1\n0.2 0.3\n0.4 0.5\nFIN\n",
       "asks for 3 cases of 2 values; line 2 holds 1 values where the "
       "other data lines hold 2"},
      {"COM My study\nFIN\n",
       "run.cmd:1:5: warning: COM echoes columns 8 to 80 only; the text from column 5 loses its "
       "first 3 characters"},
      {"WEI\n", "run.cmd:1:1: error: WEI before any DAT"},
      {"OUT     NO\x1b]0;X\x07/R\nFIN\n", "cannot open the report file \"NO\\x1b]0;X\\a/R\" named by OUT"},
  };
  for (const auto& [commands, words] : cases) {
    WorkDir dir;
    dir.write("run.cmd", commands);
    const auto result = run_morvit(dir, {"run.cmd"});
    EXPECT_NE(result.err.find(words), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find_first_of("\x07\x1b"), std::string::npos) << "raw control characters: " << result.err;
  }
}

}  // namespace
}  // namespace morvit
