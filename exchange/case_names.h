#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "limits/program_limits.h"
#include "system/platform.h"

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
// origin line are such records: every later line is a case name. The records take at most
// side_file_records_bytes, the names at most max_case_name_bytes each: a file larger than
// side_file_limit cannot be a side file, and is not read.
//
// One record is the maker's own: the identity of the CSV file the command file was made from,
//   #MORVIT SOURCE 2049 1311237
// (its volume and index), so that no output of a run ever takes that file's place.

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
  bool has_origin = false;          // the first line said what the names belong to
  std::int64_t cases = 0;
  std::uint64_t fingerprint = 0;
};

// The side file's text: the line of its origin, the records, then one name a line (a line
// end inside a name or a record's value becomes a blank).
std::string case_names_text(const std::vector<std::string>& names, std::uint64_t fingerprint,
                            const std::vector<SideRecord>& records = {});

// The most a side file's records may take, and the most a side file may hold: its origin line,
// its records and one name of max_case_name_bytes for each of max_cases cases, each line
// ended by CR LF.
inline constexpr std::size_t side_file_records_bytes = 64 * 1024;
inline constexpr std::size_t side_file_limit =
    64 + side_file_records_bytes + static_cast<std::size_t>(max_cases) * (max_case_name_bytes + 2);

// The names of a side file; nothing when the file does not exist, is no file on disk or
// cannot be read. A file larger than side_file_limit is not read: `refused` (when given)
// then says why it cannot be a side file. CR LF line ends and a UTF-8 byte-order mark are
// accepted.
std::optional<CaseNames> read_case_names(const std::string& path, std::string* refused = nullptr);

// The SOURCE record of a CSV file, and the identity that a side file's SOURCE record gives.
inline constexpr std::string_view source_key = "SOURCE";
SideRecord source_record(const platform::FileIdentity& identity);
std::optional<platform::FileIdentity> recorded_source(const CaseNames& names);

}  // namespace morvit
