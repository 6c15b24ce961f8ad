#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "exchange/case_names.h"

// The side file beside a command file: its origin line, the maker's records, then the names.
namespace morvit {
namespace {

std::optional<CaseNames> read_back(const std::string& text) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "morvit-side-file-test.cases";
  std::ofstream(path, std::ios::binary) << text;
  std::optional<CaseNames> read = read_case_names(path.string());
  std::filesystem::remove(path);
  return read;
}

TEST(SideFile, RecordsFollowTheOriginAndNamesFollowThem) {
  struct Case {
    const char* text;
    std::vector<SideRecord> records;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"#MORVIT CASES 2 0000000000000001\n#MORVIT SOURCE 1 2\n#MORVIT NAME A jsr\nx\ny\n",
       {{"SOURCE", "1 2"}, {"NAME", "A jsr"}},
       {"x", "y"}},
      // Records only right after the origin: later lines are names, whatever they hold.
      {"#MORVIT CASES 2 0000000000000001\nx\n#MORVIT NAME A jsr\n", {}, {"x", "#MORVIT NAME A jsr"}},
      // Without an origin line nothing is a record.
      {"#MORVIT NAME A jsr\nx\n", {}, {"#MORVIT NAME A jsr", "x"}},
      // A key in small letters is no record.
      {"#MORVIT CASES 1 0000000000000001\n#MORVIT name x\n", {}, {"#MORVIT name x"}},
  };
  for (const Case& c : cases) {
    const std::optional<CaseNames> read = read_back(c.text);
    ASSERT_TRUE(read.has_value()) << c.text;
    EXPECT_EQ(read->records, c.records) << c.text;
    EXPECT_EQ(read->names, c.names) << c.text;
  }
  // What the maker writes reads back as it was, a line end in a value made a blank.
  const std::optional<CaseNames> read = read_back(case_names_text({"a", "b\nc"}, 7, {{"NAME", "A x\ry"}}));
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->records, (std::vector<SideRecord>{{"NAME", "A x y"}}));
  EXPECT_EQ(read->names, (std::vector<std::string>{"a", "b c"}));
  EXPECT_EQ(read->fingerprint, 7u);
}

}  // namespace
}  // namespace morvit
