#include "exchange/output/cases_csv.h"

#include "exchange/output/csv_fields.h"

namespace morvit {

void write_cases_csv(std::ostream& out, const RunRecord& run) {
  out << "case,name,weight,outcome,outcome_z";
  for (int j = 1; j <= run.factor_count; ++j) {
    const char letter = static_cast<char>('A' + j - 1);
    out << ',' << letter << ',' << letter << "_z";
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
