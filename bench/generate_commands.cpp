// Writes a benchmark command file: DAT with CASES cases of FACTORS factors, WEI with
// fractional weights, FIN. The data are a fixed function of the three arguments, so
// every run of the benchmark reads the same bytes.
//
//   generate_commands CASES FACTORS FILE
//
// The scores look like real calibrated memberships: most have six decimals, some two,
// some are the round anchors 0, 0.3, 0.5, 0.7 and 1 (0.3 and 0.7 are not exact in
// single precision, which the larger combinations notice), and some factor scores
// repeat the outcome's score exactly (ties).

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// splitmix64: small, fast and the same on every platform (the standard library's
// distributions may differ from one library to another, so they are not used here).
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  // 0 to n - 1.
  unsigned below(unsigned n) { return static_cast<unsigned>(next() % n); }

 private:
  std::uint64_t state_;
};

std::string score(Random& random) {
  static const char* const anchors[] = {"0", "0.3", "0.5", "0.7", "1", "0.30", "0.70", "1.0"};
  char text[16];
  const unsigned kind = random.below(100);
  if (kind < 5) return anchors[random.below(8)];
  if (kind < 12) {
    std::snprintf(text, sizeof text, "%u.%02u", 0u, random.below(101) % 100);
    return text;
  }
  const unsigned millionths = random.below(1000001);
  std::snprintf(text, sizeof text, "%u.%06u", millionths / 1000000, millionths % 1000000);
  return text;
}

std::string weight(Random& random) {
  char text[16];
  const unsigned kind = random.below(10);
  if (kind == 0) return "1";
  if (kind < 4) {
    std::snprintf(text, sizeof text, "%u.%02u", 1 + random.below(3), random.below(100));
  } else {
    const unsigned thousandths = 100 + random.below(2900);
    std::snprintf(text, sizeof text, "%u.%03u", thousandths / 1000, thousandths % 1000);
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: generate_commands CASES FACTORS FILE\n");
    return 2;
  }
  const long cases = std::strtol(argv[1], nullptr, 10);
  const long factors = std::strtol(argv[2], nullptr, 10);
  if (cases < 1 || cases > 100000 || factors < 1 || factors > 10) {
    std::fprintf(stderr, "generate_commands: 1 to 100000 cases, 1 to 10 factors\n");
    return 2;
  }
  std::FILE* out = std::fopen(argv[3], "wb");
  if (out == nullptr) {
    std::perror(argv[3]);
    return 1;
  }
  Random random(0x4d4f52564954ULL + static_cast<std::uint64_t>(cases) * 16 + static_cast<std::uint64_t>(factors));

  std::fprintf(out, "COM    BENCHMARK: %ld CASES, %ld FACTORS, FRACTIONAL WEIGHTS\n", cases, factors);
  std::fprintf(out, "DAT   %ld %ld\n", cases, factors);
  std::string line;
  for (long i = 0; i < cases; ++i) {
    const std::string outcome = score(random);
    line = outcome;
    for (long j = 0; j < factors; ++j) {
      line += ' ';
      line += random.below(10) == 0 ? outcome : score(random);
    }
    line += '\n';
    std::fputs(line.c_str(), out);
  }
  std::fprintf(out, "WEI\n");
  for (long i = 0; i < cases; ++i) {
    std::fputs(weight(random).c_str(), out);
    std::fputc(i % 10 == 9 || i + 1 == cases ? '\n' : ' ', out);
  }
  std::fprintf(out, "FIN\n");
  if (std::fclose(out) != 0) {
    std::perror(argv[3]);
    return 1;
  }
  return 0;
}
