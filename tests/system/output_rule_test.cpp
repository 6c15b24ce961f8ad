#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "support/memory_files.h"
#include "system/output_replacement.h"

// The rule of replacing an output (system/output_replacement.h) against a file system in
// memory that refuses, fails and has owners and links as a POSIX system has them: the same
// on every platform, and without another user or root.
namespace morvit {
namespace {

using testing::MemoryFiles;
using Node = MemoryFiles::Node;

std::string slashes(std::string text) {
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

bool temporary_left(const MemoryFiles& files) {
  return std::any_of(
      files.nodes.begin(), files.nodes.end(), [](const auto& entry) { return entry.first.ends_with(".tmp"); });
}

struct Rule {
  const char* name;
  std::function<void(MemoryFiles&)> world;
  std::string output{};       // the name written, "NEW" its content
  std::string problem{};      // what the refusal says; empty when the output is written
  std::string kept{};         // a file that must still hold "OLD" (the one refused, or a link's victim)
  std::string written{};      // the file that holds "NEW" afterwards
  std::uint32_t mode = 0644;  // its permission bits, owner and group
  std::int64_t owner = 1000;
  std::int64_t group = 1000;
};

void PrintTo(const Rule& rule, std::ostream* os) { *os << rule.name; }

class OutputRule : public ::testing::TestWithParam<Rule> {};

TEST_P(OutputRule, ReplacesOnlyWhereWritingInPlaceWouldBeAllowed) {
  const Rule& rule = GetParam();
  MemoryFiles files;
  rule.world(files);
  const platform::ReplacedFiles replaced(files);
  const std::string problem = slashes(replace_output(rule.output, "NEW"));
  EXPECT_EQ(problem, rule.problem);
  if (!rule.kept.empty()) {
    EXPECT_EQ(files.at(rule.kept).content, "OLD");
  }
  if (!rule.written.empty()) {
    const Node& made = files.at(rule.written);
    EXPECT_EQ(made.content, "NEW");
    EXPECT_EQ(made.kind, platform::PathKind::regular);
    EXPECT_EQ(made.mode, rule.mode) << std::oct << made.mode;
    EXPECT_EQ(made.owner, rule.owner);
    EXPECT_EQ(made.group, rule.group);
  }
  EXPECT_FALSE(temporary_left(files));
}

// Root, and a folder that every user may write and that keeps its files (sticky), like /tmp.
void shared_folder(MemoryFiles& files, std::int64_t user) {
  files.user = user;
  files.groups = {user};
  files.folder("/tmp", 01777, 0);
  files.folder("/etc", 0755, 0);
  files.file("/etc/passwd", "OLD", 0644, 0, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Worlds, OutputRule,
    ::testing::Values(
        Rule{"APlantedLinkInASharedFolderIsNotFollowed",
             [](MemoryFiles& f) {
               shared_folder(f, 0);
               f.symlink("/tmp/page.html", "/etc/passwd", 1001);
             },
             "/tmp/page.html",
             "the link /tmp/page.html is not followed: it belongs neither to you nor to the owner of its folder, "
             "which is sticky and open to every user",
             "/etc/passwd"},
        Rule{"TheRunnersOwnLinkThereIsFollowed",
             [](MemoryFiles& f) {
               shared_folder(f, 1000);
               f.file("/tmp/real.html", "OLD", 0644, 1000, 1000);
               f.symlink("/tmp/page.html", "real.html", 1000);
             },
             "/tmp/page.html",
             "",
             "",
             "/tmp/real.html"},
        Rule{"TheFolderOwnersLinkIsFollowed",
             [](MemoryFiles& f) {
               f.folder("/srv", 01777, 1002);
               f.symlink("/srv/page.html", "/w/real.html", 1002);
               f.file("/w/real.html", "OLD", 0600, 1000, 1000);
             },
             "/srv/page.html",
             "",
             "",
             "/w/real.html",
             0600},
        Rule{"AWriteProtectedFileIsRefused",
             [](MemoryFiles& f) { f.file("/w/t.csv", "OLD", 0444); },
             "t.csv",
             "Permission denied",
             "/w/t.csv"},
        Rule{"AnotherUsersFileInAWritableFolderIsRefused",
             [](MemoryFiles& f) {
               f.folder("/w", 0777, 1000);
               f.file("/w/t.csv", "OLD", 0644, 1001, 1001);
             },
             "t.csv",
             "Permission denied",
             "/w/t.csv"},
        Rule{"RootWritesAProtectedFileAndKeepsItsOwnerGroupAndMode",
             [](MemoryFiles& f) {
               f.user = 0;
               f.groups = {0};
               f.file("/w/t.csv", "OLD", 0444, 1001, 1002);
             },
             "t.csv",
             "",
             "",
             "/w/t.csv",
             0444,
             1001,
             1002},
        Rule{"SetIdAndStickyBitsAreDropped",
             [](MemoryFiles& f) { f.file("/w/t.csv", "OLD", 07755); },
             "t.csv",
             "",
             "",
             "/w/t.csv",
             0755},
        Rule{"TheGroupIsKeptWhereTheRunnerMaySetIt",
             [](MemoryFiles& f) {
               f.groups = {1000, 50};
               f.file("/w/t.csv", "OLD", 0664, 1001, 50);
             },
             "t.csv",
             "",
             "",
             "/w/t.csv",
             0664,
             1000,
             50},
        Rule{"AGroupThatCannotBeKeptGetsNothing",
             [](MemoryFiles& f) { f.file("/w/t.csv", "OLD", 0664, 1000, 60); },
             "t.csv",
             "",
             "",
             "/w/t.csv",
             0604},
        Rule{"AReadOnlyFolderIsNamed",
             [](MemoryFiles& f) {
               f.folder("/ro", 0555, 1001);
               f.file("/ro/t.csv", "OLD", 0666);
             },
             "/ro/t.csv",
             "the folder /ro: Permission denied",
             "/ro/t.csv"},
        Rule{"ARefusedRenameNamesTheFolder",
             [](MemoryFiles& f) {
               f.renames_left = 0;
               f.file("/w/t.csv", "OLD");
             },
             "t.csv",
             "the folder /w: Operation not permitted",
             "/w/t.csv"},
        Rule{"EveryTemporaryNameTakenNamesTheFolder",
             [](MemoryFiles& f) {
               f.taken_folder = "/w";
               f.file("/w/t.csv", "OLD");
             },
             "t.csv",
             "the folder /w: File exists",
             "/w/t.csv"},
        Rule{"AFullDiskLeavesTheOldFile",
             [](MemoryFiles& f) {
               f.full_folder = "/w";
               f.file("/w/t.csv", "OLD");
             },
             "t.csv",
             "No space left on device",
             "/w/t.csv"},
        Rule{"ANewNameGetsTheUsualPermissions", [](MemoryFiles&) {}, "new.csv", "", "", "/w/new.csv"}),
    [](const ::testing::TestParamInfo<Rule>& info) { return std::string(info.param.name); });

// A device is written where it is and stays a device.
TEST(OutputRule, ADeviceIsWrittenWhereItIs) {
  MemoryFiles files;
  files.device("/w/null");
  const platform::ReplacedFiles replaced(files);
  EXPECT_EQ(replace_output("null", "NEW"), "");
  EXPECT_EQ(files.at("/w/null").kind, platform::PathKind::other);
  EXPECT_EQ(files.at("/w/null").content, "NEW");
}

// Outputs replaced together: every one is prepared before the first rename, the renames
// happen with interruptions held back, and one that cannot be written leaves every other
// as it was.
TEST(OutputRule, OutputsAreReplacedTogetherOrNotAtAll) {
  {
    MemoryFiles files;
    files.file("/w/t.csv", "OLD");
    files.file("/w/p.html", "OLD");
    const platform::ReplacedFiles replaced(files);
    const TogetherOutcome outcome = replace_together({{"t.csv", "NEW"}, {"p.html", "NEW"}});
    EXPECT_TRUE(outcome.written);
    EXPECT_EQ(files.at("/w/t.csv").content, "NEW");
    EXPECT_EQ(files.at("/w/p.html").content, "NEW");
    ASSERT_EQ(files.log.size(), 4U);
    EXPECT_TRUE(files.log[0].starts_with("create ") && files.log[1].starts_with("create ")) << files.log[1];
    for (const std::string& step : {files.log[2], files.log[3]}) {
      EXPECT_TRUE(step.starts_with("rename ") && step.ends_with(" (held)")) << step;
    }
  }
  MemoryFiles files;
  files.file("/w/t.csv", "OLD");
  files.folder("/ro", 0555, 1001);
  const platform::ReplacedFiles replaced(files);
  const TogetherOutcome outcome = replace_together({{"t.csv", "NEW"}, {"/ro/p.html", "NEW"}});
  EXPECT_FALSE(outcome.written);
  EXPECT_EQ(outcome.failed, 1U);
  EXPECT_EQ(slashes(outcome.problem), "the folder /ro: Permission denied");
  EXPECT_EQ(outcome.replaced, (std::vector<bool>{false, false}));
  EXPECT_EQ(files.at("/w/t.csv").content, "OLD");
  EXPECT_FALSE(temporary_left(files));
}

}  // namespace
}  // namespace morvit
