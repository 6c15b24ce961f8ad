#include "filled_run.h"

#include <limits>
#include <string>

namespace morvit {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

RecordedRow row(const std::string& block, RowKind kind, const std::string& hypothesis, double p) {
  RecordedRow made;
  made.block = block;
  made.kind = kind;
  made.hypothesis = hypothesis;
  made.ssd = 1.5;
  made.df = 3;
  made.dfn = 3;
  made.msd = 0.5;
  made.f = 2.25;
  made.p = p;
  if (kind != RowKind::baseline && kind != RowKind::comparison) {
    made.cases_against = 1;
    made.counts = {1, 1, 1};
  }
  return made;
}

}  // namespace

RunRecord filled_run() {
  RunRecord run;
  run.command_file = "dir/run.cmd";
  run.comments = {"OUTCOME = Y", "A = WEALTH", "B = ~WEALTH"};
  run.names.outcome = std::string(1, 'Y');  // not = "Y": GCC 12 warns of a false overlap (-Wrestrict) there
  run.names.factors[0] = "WEALTH";
  run.names.factors[1] = "~WEALTH";
  run.case_names = {"North", "South", "East"};
  run.reached_table = true;
  run.case_count = 3;
  run.factor_count = 2;
  run.measurement_error = static_cast<double>(0.05F);  // as the run keeps it
  run.damping_factor = 0.01;
  run.expected_msd = 0.01;
  run.denominator_df = 3;
  run.x = {0.5, 0.9, 0.1, 0.5, 0.2, 0.7, 0.5, 0.8, 0.3};
  run.z = {0.0, 1.2, -1.2, 0.0, -0.9, 0.9, 0.0, 0.9, -0.9};
  run.w = {2, 1, 0.5};
  run.levels = {0.01, 0.05, 0.1};
  run.level = 0.05;
  run.warnings = {"run.cmd:5:9: warning: membership <7> is outside 0 to 1 & \"kept\""};

  run.rows.push_back(row("NONE", RowKind::baseline, "NULL ASSOC", nan));
  // A: compatible at MER 0.05 (critical 0.03), rejected (critical 0.1), never compatible.
  run.rows.push_back(row("A", RowKind::necessary, "NECESSARY", 0.2));
  run.rows.back().critical_mer = {0.01, 0.03, 0.04};
  run.rows.push_back(row("A", RowKind::sufficient, "SUFFICIENT", 0.001));
  run.rows.back().critical_mer = {0.08, 0.1, 0.12};
  run.rows.back().dfn = 2.5;  // a partition weight that is no whole number
  run.rows.push_back(row("A", RowKind::nec_and_suff, "NEC AND SUFF", 1e-9));
  run.rows.back().critical_mer = {nan, nan, nan};
  for (std::size_t i = 1; i <= 3; ++i) run.rows[i].fit = {0.9, 0.6, 0.85, 0.8, 0.7, 0.95, 0.5};
  // B: no case against NECESSARY (left out of the report), SUFFICIENT decided by ties,
  // NEC AND SUFF without critical MERs.
  run.rows.push_back(row("B", RowKind::necessary, "NECESSARY", nan));
  run.rows.back().printed = false;
  run.rows.back().cases_against = 0;
  run.rows.push_back(row("B", RowKind::sufficient, "SUFFICIENT", 0.5));
  run.rows.back().critical_mer = {0, 0, 0};
  run.rows.back().cases_against = 2;
  run.rows.back().decided_by_ties = true;
  run.rows.push_back(row("B", RowKind::nec_and_suff, "NEC AND SUFF", 0.07));
  // AB, with its comparisons.
  run.rows.push_back(row("AB", RowKind::necessary, "NECESSARY", 0.3));
  run.rows.back().critical_mer = {0.0, 0.0, 0.0};
  run.rows.push_back(row("AB", RowKind::sufficient, "SUFFICIENT", 0.3));
  run.rows.back().critical_mer = {0.0, 0.0, 0.0};
  run.rows.push_back(row("AB", RowKind::nec_and_suff, "NEC AND SUFF", 0.3));
  run.rows.back().critical_mer = {0.0, 0.0, 0.0};
  run.rows.push_back(row("AB", RowKind::comparison, "A v AB", 0.01));
  run.rows.push_back(row("AB", RowKind::comparison, "B v AB", 0.5));
  return run;
}

}  // namespace morvit
