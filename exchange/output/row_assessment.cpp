#include "exchange/output/row_assessment.h"

#include <algorithm>
#include <iterator>
#include <limits>

#include "limits/program_limits.h"
#include "measures/block_evidence.h"
#include "measures/critical_mer.h"
#include "measures/f_upper_point.h"

namespace morvit {

std::vector<double> levels_shown(double level) {
  std::vector<double> levels = {0.01, 0.05, 0.1, level};
  std::sort(levels.begin(), levels.end());
  levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
  return levels;
}

void assess_rows(RunRecord& run) {
  const auto cases = static_cast<std::size_t>(run.case_count);
  const bool have_data = run.case_count >= 0 &&
                         run.x.size() == (static_cast<std::size_t>(run.factor_count) + 1) * cases &&
                         run.z.size() == run.x.size() && run.w.size() == cases;
  const CaseColumns data{run.case_count, run.factor_count, run.x, run.z, run.w};
  // The blocks in the order of their hypothesis rows, which follow one another.
  std::vector<std::string_view> blocks;
  for (const RecordedRow& row : run.rows) {
    if (row.kind == RowKind::baseline || row.kind == RowKind::comparison) continue;
    if (blocks.empty() || blocks.back() != row.block) blocks.push_back(row.block);
  }
  const std::vector<BlockEvidence> all_evidence =
      have_data ? evidence_of_blocks(data, blocks) : std::vector<BlockEvidence>(blocks.size());

  const auto denominator_df = static_cast<double>(run.denominator_df);
  FUpperPoints points;
  std::size_t block = 0;
  for (RecordedRow& row : run.rows) {
    if (row.kind == RowKind::baseline || row.kind == RowKind::comparison) continue;
    if (blocks[block] != row.block) ++block;
    const BlockEvidence& evidence = all_evidence[block];
    const DiagonalSide side = row.kind == RowKind::necessary    ? evidence.above
                              : row.kind == RowKind::sufficient ? evidence.below
                                                                : evidence.either();
    if (have_data) {
      row.cases_against = side.cases;
      row.decided_by_ties = decided_by_ties(side);
      row.counts = {evidence.above.cases, evidence.below.cases, evidence.on};
    }
    row.fit = evidence.fit;
    row.critical_mer.clear();
    if (!row.printed) continue;
    for (const double level : run.levels) {
      row.critical_mer.push_back(critical_mer(row.msd, points.at(level, row.dfn, denominator_df)));
    }
  }
}

bool contradictory(std::string_view block, const ColumnNames& names) {
  if (block == "NONE") return false;
  for (const char a : block) {
    for (const char b : block) {
      const std::string& first = names.factors[static_cast<std::size_t>(factor_of_letter(a) - 1)];
      const std::string& second = names.factors[static_cast<std::size_t>(factor_of_letter(b) - 1)];
      if (!second.empty() && first.size() == second.size() + 1 && first[0] == '~' &&
          std::string_view(first).substr(1) == second) {
        return true;
      }
    }
  }
  return false;
}

double critical_mer_at_level(const RecordedRow& row, const RunRecord& run) {
  const auto level = std::find(run.levels.begin(), run.levels.end(), run.level);
  const auto index = static_cast<std::size_t>(std::distance(run.levels.begin(), level));
  return index < row.critical_mer.size() ? row.critical_mer[index] : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace morvit
