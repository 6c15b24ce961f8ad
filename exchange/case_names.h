#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace morvit {

// Case names travel beside a command file, never in it: in a side file whose name is the
// command file's name with ".cases" added (study.cmd -> study.cmd.cases), one name a line
// in case order, UTF-8. An empty line is a case without a name.
//
// A side file made with its command file begins with a line that says what it belongs to:
//   #MORVIT CASES 18 3f1c0a9be2d47715
// the number of cases and a fingerprint of their data, so that names left from an earlier
// command file of the same name are never taken for the cases of a newer one. A side file
// written by hand may leave that line out; its names then count when their number is right.
//
// After the origin line, lines of the form
//   #MORVIT KEY VALUE
// (KEY in capitals, without blanks) carry what else the maker records about the command file
// it wrote; a reader passes over the keys it does not know. Only the lines right after the
// origin line are such records: every later line is a case name.

// The side file that belongs to a command file.
std::string case_names_file(const std::string& command_file);

// The fingerprint of a run's data: every value of the data lines in their order (case by
// case, the outcome and then the factors), as the run reads them.
class DataFingerprint {
 public:
  void add(double value);
  std::uint64_t value() const { return hash_; }

 private:
  std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

// One "#MORVIT KEY VALUE" line of a side file.
struct SideRecord {
  std::string key;
  std::string value;
  bool operator==(const SideRecord&) const = default;
};

// What a side file holds.
struct CaseNames {
  std::vector<std::string> names;
  std::vector<SideRecord> records;  // in the order of the file
  bool has_origin = false;  // the first line said what the names belong to
  std::int64_t cases = 0;
  std::uint64_t fingerprint = 0;
};

// The side file's text: the line of its origin, the records, then one name a line (a line
// end inside a name or a record's value becomes a blank).
std::string case_names_text(const std::vector<std::string>& names, std::uint64_t fingerprint,
                            const std::vector<SideRecord>& records = {});

// The names of a side file; nothing when the file does not exist or cannot be read. CR LF
// line ends and a UTF-8 byte-order mark are accepted.
std::optional<CaseNames> read_case_names(const std::string& path);

}  // namespace morvit
