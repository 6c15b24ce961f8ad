#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <string>
#include <vector>

#include "recordio/command_file.h"
#include "recordio/free_form_reader.h"
#include "recordio/pipe_feed.h"

// The command file and the free-form reader on POSIX descriptors: a file, a directory, and a
// pipe whose writer has not finished.

namespace morvit {
namespace {

constexpr double U = -7.25;  // the value of a target before the read: "unchanged"

std::string columns(std::string text) {
  text.resize(80, ' ');
  return text;
}

void expect_same(const std::vector<double>& actual, const std::vector<double>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    EXPECT_EQ(actual[i], expected[i]) << "target " << i;
    EXPECT_EQ(std::signbit(actual[i]), std::signbit(expected[i])) << "sign of target " << i;
  }
}

TEST(CommandFile, ReadsFromADescriptorAndClosesIt) {
  char path[] = "/tmp/morvit_command_file_XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  const std::string text = "dat 3 1\r\n" + std::string(200, '7') + "\nfin\n";
  ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  ASSERT_EQ(::lseek(fd, 0, SEEK_SET), 0);
  {
    CommandFile file = testing::file_on(fd, 16);
    std::string line;
    ASSERT_EQ(file.read_command_line(line), ReadStatus::ok);
    EXPECT_EQ(line, columns("dat 3 1"));
    ASSERT_EQ(file.read_command_line(line), ReadStatus::ok);
    EXPECT_EQ(line, std::string(80, '7'));
    ASSERT_EQ(file.read_command_line(line), ReadStatus::ok);
    EXPECT_EQ(line, columns("fin"));
    EXPECT_EQ(file.read_command_line(line), ReadStatus::end_of_file);
  }
  EXPECT_EQ(::fcntl(fd, F_GETFD), -1) << "the descriptor was closed";
  ::unlink(path);
}

TEST(CommandFile, DirectoryFailsToRead) {
  const int fd = ::open("/tmp", O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  CommandFile file = testing::file_on(fd);
  std::string line;
  EXPECT_EQ(file.read_command_line(line), ReadStatus::read_failed);
  EXPECT_TRUE(file.failed());
  EXPECT_EQ(file.read_command_line(line), ReadStatus::read_failed);
}

TEST(CommandFile, LineFromAPipeIsReturnedBeforeTheWriterIsDone) {
  testing::PipeFeed feed;
  CommandFile file = testing::file_on(feed.take_read_end());
  feed.write("MER 0.05\r\nCOM PART");
  std::string line;
  auto status = feed.returns_without_more_data([&] { return file.read_command_line(line); });
  EXPECT_EQ(status, ReadStatus::ok);
  EXPECT_EQ(line, columns("MER 0.05"));

  feed.write("LY SENT\n");
  feed.close_writer();
  ASSERT_EQ(file.read_command_line(line), ReadStatus::ok);
  EXPECT_EQ(line, columns("COM PARTLY SENT"));
  EXPECT_EQ(file.read_command_line(line), ReadStatus::end_of_file);
}

TEST(FreeFormReader, DirectoryFailsToRead) {
  const int fd = ::open("/tmp", O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  CommandFile file = testing::file_on(fd);
  std::vector<double> targets(2, U);
  EXPECT_EQ(free_form_read(file, targets), ReadStatus::read_failed);
  CommandFile again = testing::file_on(::open("/tmp", O_RDONLY | O_DIRECTORY));
  EXPECT_EQ(free_form_read(again, {}), ReadStatus::read_failed) << "even with no targets";
}

TEST(FreeFormReader, StatementFromAPipeEndsWithoutWaitingForTheWriter) {
  testing::PipeFeed feed;
  CommandFile file = testing::file_on(feed.take_read_end());
  feed.write("0.5 0.75\n1\nFIN");
  std::vector<double> targets(2, U);
  const ReadStatus status = feed.returns_without_more_data([&] { return free_form_read(file, targets); });
  EXPECT_EQ(status, ReadStatus::ok);
  expect_same(targets, {0.5, 0.75});
  std::vector<double> zero_targets;
  EXPECT_EQ(feed.returns_without_more_data([&] { return free_form_read(file, zero_targets); }), ReadStatus::ok);
  feed.write("\n");
  std::string line;
  EXPECT_EQ(feed.returns_without_more_data([&] { return file.read_command_line(line); }), ReadStatus::ok);
  EXPECT_EQ(line.substr(0, 4), "FIN ");
}

}  // namespace
}  // namespace morvit
