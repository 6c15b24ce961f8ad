// The floor that MORVIT's run time is measured against: a program that reads the same
// command file and converts every number in it with strtod, and does nothing else.
//
//   strtod_floor FILE
//
// Prints the count and the sum of the numbers, so that no conversion can be left out.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: strtod_floor FILE\n");
    return 2;
  }
  const int fd = ::open(argv[1], O_RDONLY);
  if (fd < 0) {
    std::perror(argv[1]);
    return 1;
  }
  // The whole file in one buffer of its size, read in blocks of 64 KiB as MORVIT reads.
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  std::vector<char> text(static_cast<std::size_t>(info.st_size) + 1);
  std::size_t used = 0;
  for (;;) {
    const std::size_t want = std::min<std::size_t>(64 * 1024, text.size() - 1 - used);
    if (want == 0) break;
    const ssize_t n = ::read(fd, text.data() + used, want);
    if (n < 0) {
      std::perror(argv[1]);
      return 1;
    }
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  ::close(fd);
  text[used] = '\0';

  long count = 0;
  double sum = 0.0;
  const char* p = text.data();
  for (;;) {
    while (*p == ' ' || *p == '\n' || *p == '\r' || *p == '\t') ++p;
    if (*p == '\0') break;
    char* end = nullptr;
    const double value = std::strtod(p, &end);
    if (end != p) {
      sum += value;
      ++count;
      p = end;
    }
    while (*p != '\0' && *p != ' ' && *p != '\n' && *p != '\r' && *p != '\t') ++p;  // rest of a word
  }
  std::printf("%ld numbers, sum %.17g\n", count, sum);
  return 0;
}
