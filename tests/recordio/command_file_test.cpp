#include "recordio/command_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace morvit {
namespace {

using namespace std::string_literals;

// Every text is also read in tiny blocks, so that block boundaries fall at every position,
// in particular between a CR and its LF.
const std::vector<std::size_t> block_sizes = {1, 2, 3, 7, CommandFile::default_block_size};

std::string columns(std::string text) {
  text.resize(80, ' ');
  return text;
}

struct LinesCase {
  const char* name;
  std::string text;
  std::vector<std::string> lines;  // as given, before padding to 80 columns
  ReadStatus end;                  // status of the read after the last line
};

void PrintTo(const LinesCase& c, std::ostream* os) { *os << c.name; }

class CommandLines : public ::testing::TestWithParam<LinesCase> {};

TEST_P(CommandLines, ReadsEightyColumnLines) {
  const LinesCase& c = GetParam();
  for (std::size_t block : block_sizes) {
    SCOPED_TRACE("block size " + std::to_string(block));
    CommandFile file = CommandFile::from_text(c.text, block);
    std::string line;
    for (const std::string& expected : c.lines) {
      ASSERT_EQ(file.read_command_line(line), ReadStatus::ok);
      EXPECT_EQ(line, columns(expected));
    }
    EXPECT_EQ(file.read_command_line(line), c.end);
    EXPECT_EQ(file.read_command_line(line), c.end) << "the end of the file stays";
  }
}

const std::string long_line = std::string(1 << 20, 'x');

INSTANTIATE_TEST_SUITE_P(
    Texts, CommandLines,
    ::testing::Values(
        LinesCase{"Empty", "", {}, ReadStatus::end_of_file},
        // A byte-order mark at the start of the file is not part of the first line; anywhere
        // else, and a mere start of one, its bytes are ordinary characters.
        LinesCase{"ByteOrderMark",
                  "\xEF\xBB\xBF"
                  "FIN\n",
                  {"FIN"},
                  ReadStatus::end_of_file},
        LinesCase{"ByteOrderMarkOnly", "\xEF\xBB\xBF", {}, ReadStatus::end_of_file},
        LinesCase{"ByteOrderMarkLater",
                  "A\n\xEF\xBB\xBF"
                  "B\n",
                  {"A",
                   "\xEF\xBB\xBF"
                   "B"},
                  ReadStatus::end_of_file},
        LinesCase{"PartOfAMark",
                  "\xEF\xBB"
                  "A\n",
                  {"\xEF\xBB"
                   "A"},
                  ReadStatus::end_of_file},
        LinesCase{"ShortLinePadded", "AB\n", {"AB"}, ReadStatus::end_of_file},
        LinesCase{"EmptyLine", "\nFIN\n", {"", "FIN"}, ReadStatus::end_of_file},
        LinesCase{"CrLf", "MER 1\r\nFIN\r\n", {"MER 1", "FIN"}, ReadStatus::end_of_file},
        LinesCase{"LoneCrIsACharacter", "A\rB\n", {"A\rB"}, ReadStatus::end_of_file},
        LinesCase{"OnlyTheCrBeforeLfGoes", "AB\r\r\n", {"AB\r"}, ReadStatus::end_of_file},
        LinesCase{"CrLfOnEmptyLine", "\r\n\r\n", {"", ""}, ReadStatus::end_of_file},
        LinesCase{"LastLineWithoutTerminator", "COM\nFIN", {"COM"}, ReadStatus::end_of_file},
        LinesCase{"LastLineEndsInCrOnly", "COM\nFIN\r", {"COM"}, ReadStatus::end_of_file},
        LinesCase{"TabAndNulAreCharacters", "A\tB\0C\n"s, {"A\tB\0C"s}, ReadStatus::end_of_file},
        LinesCase{"LongLineCutAt80",
                  std::string(100, 'a') + "\nFIN\n",
                  {std::string(80, 'a'), "FIN"},
                  ReadStatus::end_of_file},
        LinesCase{"Exactly80", std::string(80, 'b') + "\n", {std::string(80, 'b')}, ReadStatus::end_of_file},
        LinesCase{"Exactly80WithCrLf",
                  std::string(80, 'b') + "\r\nX\n",
                  {std::string(80, 'b'), "X"},
                  ReadStatus::end_of_file},
        LinesCase{
            "CrInColumn80BeforeLf", std::string(79, 'b') + "\r\n", {std::string(79, 'b')}, ReadStatus::end_of_file},
        LinesCase{"CrInColumn81WithoutLf",
                  std::string(80, 'b') + "\rQ\nX\n",
                  {std::string(80, 'b'), "X"},
                  ReadStatus::end_of_file},
        LinesCase{
            "OneMegabyteLine", long_line + "\r\nFIN\n", {long_line.substr(0, 80), "FIN"}, ReadStatus::end_of_file}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandFile, SkipLineConsumesTheLineEnd) {
  for (std::size_t block : block_sizes) {
    CommandFile file = CommandFile::from_text(long_line + "\r\nNEXT\nLAST", block);
    std::string line;
    EXPECT_EQ(file.skip_line(), ReadStatus::ok);
    ASSERT_EQ(file.read_command_line(line), ReadStatus::ok);
    EXPECT_EQ(line, columns("NEXT"));
    EXPECT_EQ(file.skip_line(), ReadStatus::end_of_file);
  }
}

TEST(CommandFile, MovedFileGoesOnWhereItWas) {
  CommandFile first = CommandFile::from_text("ONE\nTWO\nTHREE\n", 2);
  std::string line;
  ASSERT_EQ(first.read_command_line(line), ReadStatus::ok);
  CommandFile second(std::move(first));
  ASSERT_EQ(second.read_command_line(line), ReadStatus::ok);
  EXPECT_EQ(line, columns("TWO"));
  CommandFile third = CommandFile::from_text("");
  third = std::move(second);
  ASSERT_EQ(third.read_command_line(line), ReadStatus::ok);
  EXPECT_EQ(line, columns("THREE"));
}

}  // namespace
}  // namespace morvit
