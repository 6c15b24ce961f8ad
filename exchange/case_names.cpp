#include "exchange/case_names.h"

#include <bit>
#include <charconv>

#include "exchange/cell_text.h"
#include "recordio/double_bits.h"
#include "system/file_reading.h"

namespace morvit {
namespace {

constexpr std::string_view origin_key = "#MORVIT CASES ";
constexpr std::string_view record_key = "#MORVIT ";

// A line end within a name or value would start another line.
void append_line(std::string& text, std::string_view line) {
  for (const char c : line) text += c == '\n' || c == '\r' ? ' ' : c;
  text += '\n';
}

// A record line after the origin: "#MORVIT KEY VALUE".
bool read_record(std::string_view line, CaseNames& names) {
  if (!line.starts_with(record_key)) return false;
  line.remove_prefix(record_key.size());
  const std::size_t blank = line.find(' ');
  const std::string_view key = line.substr(0, blank);
  if (key.empty()) return false;
  for (const char c : key) {
    if (!((c >= 'A' && c <= 'Z') || c == '_')) return false;
  }
  const std::string_view value = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
  names.records.push_back({std::string(key), std::string(value)});
  return true;
}

// The origin line's two numbers: "18 3f1c0a9be2d47715".
bool read_origin(std::string_view text, CaseNames& names) {
  std::int64_t cases = 0;
  std::size_t i = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && i < 12; ++i) cases = cases * 10 + (text[i] - '0');
  if (i == 0 || i >= text.size() || text[i] != ' ') return false;
  std::uint64_t fingerprint = 0;
  std::size_t digits = 0;
  for (++i; i < text.size(); ++i, ++digits) {
    const char c = text[i];
    const int nibble = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (nibble < 0 || digits == 16) return false;
    fingerprint = fingerprint << 4 | static_cast<std::uint64_t>(nibble);
  }
  if (digits != 16) return false;
  names.has_origin = true;
  names.cases = cases;
  names.fingerprint = fingerprint;
  return true;
}

}  // namespace

std::string case_names_file(const std::string& command_file) { return command_file + ".cases"; }

void DataFingerprint::add(double value) {
  // FNV-1a over the eight bytes of each value; +0 and -0 read alike.
  auto bits = double_bits(value == 0.0 ? 0.0 : value);
  for (int byte = 0; byte < 8; ++byte) {
    hash_ ^= bits & 0xff;
    hash_ *= 0x100000001b3ULL;
    bits >>= 8;
  }
}

std::string case_names_text(const std::vector<std::string>& names, std::uint64_t fingerprint,
                            const std::vector<SideRecord>& records) {
  constexpr char hex[] = "0123456789abcdef";
  std::string text(origin_key);
  text += std::to_string(names.size()) + ' ';
  for (int shift = 60; shift >= 0; shift -= 4) text += hex[(fingerprint >> shift) & 15];
  text += '\n';
  for (const SideRecord& record : records) append_line(text, std::string(record_key) + record.key + ' ' + record.value);
  for (const std::string& name : names) append_line(text, name);
  return text;
}

std::optional<CaseNames> read_case_names(const std::string& path, std::string* refused) {
  platform::FileSystem& system = platform::files();
  // A FIFO or device of that name is never opened: it might wait, or never end.
  const platform::FileStatus status = system.status(path, /*follow_links=*/true);
  if (status.kind != platform::PathKind::regular) return std::nullopt;
  const auto too_large = [&]() -> std::optional<CaseNames> {
    if (refused != nullptr) {
      *refused = "larger than the side file of a command file can be (" +
                 with_thousands(static_cast<long>(side_file_limit)) + " bytes)";
    }
    return std::nullopt;
  };
  if (status.size > static_cast<std::int64_t>(side_file_limit)) return too_large();
  int error = 0;
  const platform::Handle file = system.open_for_reading(path, error);
  if (file == platform::no_handle) return std::nullopt;
  std::string text;
  const WholeRead read_outcome = read_to_end(file, text, side_file_limit, error);
  system.close(file);
  if (read_outcome == WholeRead::too_large) return too_large();
  if (read_outcome == WholeRead::failed) return std::nullopt;
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
  CaseNames read;
  std::size_t start = 0;
  bool first = true;
  bool in_records = false;  // right after the origin line
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string name = text.substr(start, end - start);
    if (!name.empty() && name.back() == '\r') name.pop_back();
    start = end + 1;
    if (first && name.starts_with(origin_key) && read_origin(std::string_view(name).substr(origin_key.size()), read)) {
      first = false;
      in_records = true;
      continue;
    }
    first = false;
    if (in_records && read_record(name, read)) continue;
    in_records = false;
    read.names.push_back(std::move(name));
  }
  return read;
}

SideRecord source_record(const platform::FileIdentity& identity) {
  return {std::string(source_key), std::to_string(identity.volume) + ' ' + std::to_string(identity.index)};
}

std::optional<platform::FileIdentity> recorded_source(const CaseNames& names) {
  for (const SideRecord& record : names.records) {
    if (record.key != source_key) continue;
    const std::string& value = record.value;
    platform::FileIdentity identity;
    const char* end = value.data() + value.size();
    const auto volume = std::from_chars(value.data(), end, identity.volume);
    if (volume.ec != std::errc() || volume.ptr == end || *volume.ptr != ' ') continue;
    const auto index = std::from_chars(volume.ptr + 1, end, identity.index);
    if (index.ec != std::errc() || index.ptr != end) continue;
    return identity;
  }
  return std::nullopt;
}

}  // namespace morvit
