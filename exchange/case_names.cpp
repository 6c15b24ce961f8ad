#include "exchange/case_names.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "recordio/double_bits.h"

namespace morvit {
namespace {

constexpr std::string_view origin_key = "#MORVIT CASES ";

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

std::string case_names_text(const std::vector<std::string>& names, std::uint64_t fingerprint) {
  constexpr char hex[] = "0123456789abcdef";
  std::string text(origin_key);
  text += std::to_string(names.size()) + ' ';
  for (int shift = 60; shift >= 0; shift -= 4) text += hex[(fingerprint >> shift) & 15];
  text += '\n';
  for (const std::string& name : names) {
    for (const char c : name) text += c == '\n' || c == '\r' ? ' ' : c;
    text += '\n';
  }
  return text;
}

std::optional<CaseNames> read_case_names(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(std::filesystem::path(path), error)) return std::nullopt;
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  std::string text = content.str();
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
  CaseNames read;
  std::size_t start = 0;
  bool first = true;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string name = text.substr(start, end - start);
    if (!name.empty() && name.back() == '\r') name.pop_back();
    start = end + 1;
    if (first && name.starts_with(origin_key) && read_origin(std::string_view(name).substr(origin_key.size()), read)) {
      first = false;
      continue;
    }
    first = false;
    read.names.push_back(std::move(name));
  }
  return read;
}

}  // namespace morvit
