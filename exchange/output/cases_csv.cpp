#include "exchange/output/cases_csv.h"

#include <algorithm>
#include <map>

#include "exchange/cell_text.h"
#include "exchange/output/csv_fields.h"
#include "limits/program_limits.h"

namespace morvit {
std::vector<std::string> cases_csv_header(const RunRecord& run) {
  const auto columns = static_cast<std::size_t>(std::max(run.factor_count, 0)) + 1;
  std::vector<std::string> named(columns);
  std::vector<std::string> fallback(columns);
  for (std::size_t j = 0; j < columns; ++j) {
    // As the user wrote them (the report's capitals where that is not known).
    named[j] = j == 0                          ? run.names.shown_outcome()
               : j <= run.names.factors.size() ? run.names.shown_factor(static_cast<int>(j))
                                               : "";
    fallback[j] = j == 0 ? std::string("outcome") : std::string(1, factor_letter(j));
  }
  // Names give way to letters until no two fields are alike; letters and the fixed fields
  // never clash with one another, so this ends after at most one round per column.
  std::vector<bool> by_name(columns);
  for (std::size_t j = 0; j < columns; ++j) by_name[j] = !named[j].empty();
  std::vector<std::string> header;
  for (bool changed = true; changed;) {
    header = {"case", "name", "weight"};
    for (std::size_t j = 0; j < columns; ++j) {
      const std::string& title = by_name[j] ? named[j] : fallback[j];
      header.push_back(title);
      header.push_back(title + "_z");
    }
    std::map<std::string, int> uses;
    for (const std::string& field : header) ++uses[capitals(field)];
    changed = false;
    for (std::size_t j = 0; j < columns; ++j) {
      if (by_name[j] && (uses[capitals(header[3 + 2 * j])] > 1 || uses[capitals(header[4 + 2 * j])] > 1)) {
        by_name[j] = false;
        changed = true;
      }
    }
  }
  return header;
}

void write_cases_csv(std::ostream& out, const RunRecord& run) {
  const std::vector<std::string> header = cases_csv_header(run);
  for (std::size_t i = 0; i < header.size(); ++i) {
    if (i > 0) out << ',';
    write_csv_text(out, header[i]);
  }
  out << '\n';
  if (run.x.empty()) return;
  const bool named = run.case_names.size() == static_cast<std::size_t>(run.case_count);
  for (int i = 0; i < run.case_count; ++i) {
    out << i + 1 << ',';
    if (named) write_csv_text(out, run.case_names[static_cast<std::size_t>(i)]);
    out << ',' << csv_number(run.w[static_cast<std::size_t>(i)]);
    for (int column = 0; column <= run.factor_count; ++column) {
      out << ',' << csv_number(run.score(column, i)) << ',' << csv_number(run.z_score(column, i));
    }
    out << '\n';
  }
}

}  // namespace morvit
