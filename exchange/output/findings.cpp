#include "exchange/output/findings.h"

#include <algorithm>
#include <cmath>

#include "exchange/column_names.h"
#include "exchange/output/row_assessment.h"
#include "exchange/output/shown_numbers.h"

namespace morvit {
namespace {

bool is_hypothesis(RowKind kind) {
  return kind == RowKind::necessary || kind == RowKind::sufficient || kind == RowKind::nec_and_suff;
}

// No case against: a NECESSARY or SUFFICIENT row that the report leaves out for want of one.
bool perfect(const RecordedRow& row) {
  return !row.printed && row.cases_against == 0 && (row.kind == RowKind::necessary || row.kind == RowKind::sufficient);
}

// 1 when the row's consistency reaches the conventional threshold of its hypothesis, 0
// when it does not, -1 when a consistency it needs has no value.
int conventional_reading(const RecordedRow& row, const ConventionalReading& reading) {
  const double nec = row.fit.cons_nec;
  const double suf = row.fit.cons_suf;
  switch (row.kind) {
    case RowKind::necessary: return std::isnan(nec) ? -1 : nec >= reading.necessity ? 1 : 0;
    case RowKind::sufficient: return std::isnan(suf) ? -1 : suf >= reading.sufficiency ? 1 : 0;
    case RowKind::nec_and_suff:
      return std::isnan(nec) || std::isnan(suf) ? -1 : nec >= reading.necessity && suf >= reading.sufficiency ? 1 : 0;
    default: return -1;
  }
}

// The rank of a finding: perfect rows first, then by critical MER, unknown ones last.
bool ranks_before(const Finding& a, const Finding& b) {
  const bool a_known = !std::isnan(a.critical_mer);
  const bool b_known = !std::isnan(b.critical_mer);
  if (a_known != b_known) return a_known;
  return a_known && a.critical_mer < b.critical_mer;
}

const char* hypothesis_words(RowKind kind) {
  switch (kind) {
    case RowKind::necessary: return "necessary";
    case RowKind::sufficient: return "sufficient";
    default: return "necessary and sufficient";
  }
}

std::string measure_text(double value) { return std::isnan(value) ? "n/a" : fixed_text(value, 3); }

void write_finding(std::ostream& out, const RunRecord& run, const Finding& finding) {
  const RecordedRow& row = run.rows[finding.row];
  out << "    " << row.block << ' ' << row.hypothesis;
  const std::string names = block_names(row.block, run.names);
  if (!names.empty()) out << " (" << names << ')';
  out << ": ";
  if (finding.perfect) {
    out << "no case against";
  } else {
    out << "P " << fixed_text(row.p, 4);
    if (!row.critical_mer.empty()) out << ", critical MER " << critical_mer_text(finding.critical_mer);
  }
  const FitMeasures& fit = row.fit;
  if (row.kind == RowKind::necessary) {
    out << "; consistency " << measure_text(fit.cons_nec) << ", coverage " << measure_text(fit.cov_nec);
  } else if (row.kind == RowKind::sufficient) {
    out << "; consistency " << measure_text(fit.cons_suf) << ", coverage " << measure_text(fit.cov_suf);
  } else {
    out << "; consistency " << measure_text(fit.cons_nec) << " as necessary, " << measure_text(fit.cons_suf)
        << " as sufficient";
  }
  if (!finding.perfect && row.cases_against >= 0) {
    out << "; " << row.cases_against << (row.cases_against == 1 ? " case against" : " cases against");
  }
  if (finding.conventional >= 0) {
    out << "; by consistency: " << (finding.conventional == 1 ? "" : "not ") << hypothesis_words(row.kind);
  }
  out << (finding.disagrees() ? " *\n" : "\n");
}

}  // namespace

Findings find_findings(const RunRecord& run, const ConventionalReading& reading) {
  std::vector<Finding> all;
  for (std::size_t i = 0; i < run.rows.size(); ++i) {
    const RecordedRow& row = run.rows[i];
    if (!is_hypothesis(row.kind) || row.decided_by_ties || contradictory(row.block, run.names)) continue;
    Finding finding;
    finding.row = i;
    finding.perfect = perfect(row);
    if (!row.printed && !finding.perfect) continue;
    finding.holds = finding.perfect || row.p >= run.level;
    finding.critical_mer = finding.perfect ? 0.0 : critical_mer_at_level(row, run);
    finding.conventional = conventional_reading(row, reading);
    all.push_back(finding);
  }
  std::stable_sort(all.begin(), all.end(), ranks_before);
  Findings findings;
  for (const Finding& finding : all) {
    if (finding.holds) {
      ++findings.holding_count;
      if (findings.holding.size() < static_cast<std::size_t>(findings_holding_shown))
        findings.holding.push_back(finding);
    } else if (!std::isnan(finding.critical_mer) &&
               findings.closest.size() < static_cast<std::size_t>(findings_closest_shown)) {
      findings.closest.push_back(finding);
    }
  }
  return findings;
}

void write_findings(std::ostream& out, const RunRecord& run) {
  if (!run.reached_table) return;
  const ConventionalReading reading;
  const Findings findings = find_findings(run, reading);
  out << "Findings at MER " << short_decimal(run.measurement_error) << " and level " << short_decimal(run.level)
      << " (consistency read conventionally from " << short_decimal(reading.necessity) << " for necessity, "
      << short_decimal(reading.sufficiency) << " for sufficiency):\n";
  if (findings.holding_count == 0) {
    out << "  No hypothesis holds.\n";
  } else {
    out << "  Holding (" << findings.holding_count << "):\n";
    for (const Finding& finding : findings.holding) write_finding(out, run, finding);
    if (findings.holding_count > findings.holding.size()) {
      out << "    and " << findings.holding_count - findings.holding.size() << " more\n";
    }
  }
  if (!findings.closest.empty()) {
    out << "  Closest, by the MER each needs:\n";
    for (const Finding& finding : findings.closest) write_finding(out, run, finding);
  }
  bool accepted = false;  // MORVIT accepts, consistency does not
  bool rejected = false;  // MORVIT rejects, consistency accepts
  for (const auto* list : {&findings.holding, &findings.closest}) {
    for (const Finding& finding : *list) {
      accepted = accepted || (finding.disagrees() && finding.holds);
      rejected = rejected || (finding.disagrees() && !finding.holds);
    }
  }
  if (rejected) {
    out << "  * MORVIT rejects a relation that its consistency reads as holding: the F test measures each case's "
           "distance from the diagonal in z-scores, which stretch the ends of the scale, so a few cases near 0 or 1 "
           "weigh more than in consistency.\n";
  }
  if (accepted) {
    out << "  * MORVIT finds a relation compatible that its consistency does not read as holding: the F test asks "
           "whether the cases against lie farther from the diagonal, on average, than the measurement error "
           "explains, while consistency adds up every case's miss.\n";
  }
}

}  // namespace morvit
