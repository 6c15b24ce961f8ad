#include "exchange/output/html_page.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <string_view>

#include "driver/diagnostics.h"
#include "exchange/cell_text.h"
#include "exchange/json_text.h"
#include "exchange/output/base64_text.h"
#include "exchange/output/findings.h"
#include "exchange/output/page_assets.h"
#include "exchange/output/row_assessment.h"
#include "exchange/output/shown_numbers.h"
#include "limits/program_limits.h"
#include "recordio/number_text.h"

namespace morvit {
namespace {

// At most this many blocks are shown at once in the table and the plot list; the reader
// pages through the rest.
constexpr int blocks_a_page = 32;

// A text as HTML element content or as a double-quoted attribute value.
std::string html(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

// A number for the embedded JSON, in the shortest text that reads back as the same double;
// the values JSON has no number for as the strings that JavaScript's Number() reads back
// ("Infinity", "-Infinity", "NaN"): the page edits them as the report does (inf, nan).
std::string json_number(double value) {
  if (std::isnan(value)) return "\"NaN\"";
  if (std::isinf(value)) return value > 0 ? "\"Infinity\"" : "\"-Infinity\"";
  return number_text(value);
}

// The levels of P the page offers: the run record's, or those of its level when it names
// none.
std::vector<double> offered_levels(const RunRecord& run) {
  return run.levels.empty() ? levels_shown(run.level) : run.levels;
}

// The number of cases the plots draw: all of them, or an evenly spaced sample.
int drawn_cases(const RunRecord& run) {
  return run.case_count < plotted_cases_at_most ? run.case_count : plotted_cases_at_most;
}

// A column's name as the user wrote it where known (the report's are in capitals).
std::string factor_name(const RunRecord& run, int factor) { return run.names.shown_factor(factor); }

// Where the rows of one block start and end in run.rows.
struct BlockRange {
  std::size_t first = 0;
  std::size_t end = 0;
};

std::vector<BlockRange> blocks_of(const RunRecord& run) {
  std::vector<BlockRange> blocks;
  for (std::size_t i = 0; i < run.rows.size(); ++i) {
    if (i == 0 || run.rows[i].block != run.rows[i - 1].block) blocks.push_back({i, i});
    blocks.back().end = i + 1;
  }
  return blocks;
}

// The name of a row's kind in the page's data.
const char* kind_name(RowKind kind) {
  switch (kind) {
    case RowKind::baseline: return "baseline";
    case RowKind::necessary: return "necessary";
    case RowKind::sufficient: return "sufficient";
    case RowKind::nec_and_suff: return "nec_and_suff";
    case RowKind::comparison: return "comparison";
  }
  return "";
}

// The page loads nothing and runs nothing but its own scripts and style sheet, allowed by
// their hashes, and, where it carries it, compiles its numbers module ('wasm-unsafe-eval'
// allows WebAssembly, not eval): a text of the run that slipped through as markup could not
// run a script. Blob URLs are for the SVG files the page offers to save, data: images for
// the same.
std::string content_security_policy(bool with_module) {
  std::string scripts;
  for (const PageAsset& script : page_scripts()) scripts += " '" + std::string(script.hash) + "'";
  if (with_module) scripts += " 'wasm-unsafe-eval'";
  return "default-src 'none'; script-src" + scripts + "; style-src '" + std::string(page_style().hash) +
         "'; img-src data: blob:; base-uri 'none'; form-action 'none'";
}

// The page's scripts, each the whole content of its element so that its hash matches.
void write_scripts(std::ostream& out) {
  for (const PageAsset& script : page_scripts()) out << "<script>" << script.text << "</script>\n";
}

class PageWriter {
 public:
  PageWriter(std::ostream& out, const RunRecord& run) : out_(out), run_(run) {}
  void write();

 private:
  void head();
  void warnings();
  void comments();
  void controls();
  void findings();
  void summary();
  void plots();
  void table();
  void data();
  void block_data(const BlockRange& block);
  void numbers_module();
  // The page holds the numbers module: a page with a table, of a build that made one.
  bool carries_module() const { return run_.reached_table && !page_numbers_wasm().empty(); }

  std::ostream& out_;
  const RunRecord& run_;
  std::vector<BlockRange> blocks_;
};

void PageWriter::head() {
  const std::string name = std::filesystem::path(run_.command_file).filename().string();
  out_ << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
       << "<meta http-equiv=\"Content-Security-Policy\" content=\"" << content_security_policy(carries_module())
       << "\">\n"
       << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
       << "<title>MORVIT: " << html(name) << "</title>\n"
       << "<style>" << page_style().text << "</style>\n</head>\n<body>\n"
       << "<header>\n<h1>MORVIT 1.00: <span class=\"file\">" << html(name) << "</span></h1>\n";
  if (run_.reached_table) {
    out_ << "<nav><a href=\"#findings\">Findings</a> <a href=\"#summary\">Summary</a> <a href=\"#plots\">X-Y "
            "plots</a> <a href=\"#table\">Table</a></nav>\n";
  }
  out_ << "</header>\n<main>\n";
}

void PageWriter::warnings() {
  if (run_.warnings.empty()) return;
  out_ << "<section id=\"warnings\">\n<h2>Warnings of the run</h2>\n<ul>\n";
  for (const std::string& warning : run_.warnings) out_ << "<li>" << html(warning) << "</li>\n";
  out_ << "</ul>\n</section>\n";
}

void PageWriter::comments() {
  if (run_.comments.empty()) return;
  out_ << "<section id=\"comments\">\n<h2>Comments</h2>\n<pre>";
  for (const std::string& line : run_.comments) out_ << html(line) << '\n';
  out_ << "</pre>\n</section>\n";
}

void PageWriter::controls() {
  // The run's level is among those offered (levels_shown); were it not, the browser would
  // choose the first.
  const std::vector<double> levels = offered_levels(run_);
  const std::string mer = short_decimal(run_.measurement_error);
  out_ << "<section id=\"controls\">\n<p class=\"controls\"><label>Level of P <select id=\"alpha\">";
  for (const double level : levels) {
    out_ << "<option value=\"" << number_text(level) << '"' << (level == run_.level ? " selected" : "") << '>'
         << number_text(level) << "</option>";
  }
  out_ << "</select></label> <label>Measurement error factor (MER) <input id=\"mer\" type=\"number\" "
       << "step=\"0.01\" min=\"0\" value=\"" << mer << "\"></label> <span class=\"run-value\">the run's: " << mer
       << "</span></p>\n<p class=\"controls\">Conventional reading of consistency: <label>necessity from "
       << "<input id=\"cons-nec\" type=\"number\" step=\"0.05\" min=\"0\" max=\"1\" value=\""
       << number_text(ConventionalReading{}.necessity) << "\"></label> <label>sufficiency from "
       << "<input id=\"cons-suf\" type=\"number\" step=\"0.05\" min=\"0\" max=\"1\" value=\""
       << number_text(ConventionalReading{}.sufficiency) << "\"></label> <label><input id=\"labels\" "
       << "type=\"checkbox\"> label the points with the cases' names</label></p>\n<p id=\"numbers-note\" "
       << "class=\"about\">";
  if (page_numbers_wasm().empty()) {
    out_ << "This page was made without its numbers module: its P is the run's, at the run's MER (" << mer
         << "). At another MER, F follows it and each row is read from its critical MER.";
  } else {
    out_ << "F and P follow the MER and the level: the page computes them with MORVIT's own F distribution, "
         << "as a run with that MER would.";
  }
  out_ << "</p>\n</section>\n";
}

void PageWriter::findings() {
  out_ << "<section id=\"findings\">\n<h2>Findings</h2>\n<div id=\"findings-list\"><noscript><p class=\"notice\">"
       << "The findings are drawn by the page's script, which this browser does not run; <code>morvit</code> "
       << "prints them at the end of the run.</p></noscript></div>\n</section>\n";
}

void PageWriter::summary() {
  out_ << "<section id=\"summary\">\n<h2>Run summary</h2>\n<div class=\"side\">\n<table class=\"summary\">\n"
       << "<tr><th scope=\"row\">Number of cases</th><td>" << with_thousands(run_.case_count) << "</td></tr>\n"
       << "<tr><th scope=\"row\">Number of factors</th><td>" << run_.factor_count << "</td></tr>\n"
       << "<tr><th scope=\"row\">Denominator degrees of freedom</th><td>" << run_.denominator_df << "</td></tr>\n"
       << "<tr><th scope=\"row\">Measurement error factor (MER)</th><td id=\"summary-mer\">"
       << fixed_text(run_.measurement_error, 6) << "</td><td class=\"run-value\" id=\"summary-mer-run\"></td></tr>\n"
       << "<tr><th scope=\"row\">Expected mean square distance</th><td id=\"summary-msd\">"
       << fixed_text(run_.expected_msd, 6) << "</td><td class=\"run-value\" id=\"summary-msd-run\"></td></tr>\n"
       << "<tr><th scope=\"row\">Damping factor for z-scores (DAM)</th><td>" << fixed_text(run_.damping_factor, 6)
       << "</td></tr>\n</table>\n";
  out_ << "<table class=\"legend\">\n<caption>Columns</caption>\n<tr><th scope=\"col\">letter</th>"
       << "<th scope=\"col\">column</th></tr>\n<tr><td>outcome</td><td>"
       << (run_.names.shown_outcome().empty() ? std::string("(not named)") : html(run_.names.shown_outcome()))
       << "</td></tr>\n";
  for (int j = 1; j <= run_.factor_count; ++j) {
    const std::string name = factor_name(run_, j);
    out_ << "<tr><td>" << factor_letter(j) << "</td><td>" << (name.empty() ? std::string("(not named)") : html(name))
         << "</td></tr>\n";
  }
  out_ << "</table>\n</div>\n</section>\n";
}

void PageWriter::plots() {
  const int drawn = drawn_cases(run_);
  out_ << "<section id=\"plots\">\n<h2>X-Y plots of the factors and combinations</h2>\n<p class=\"about\">For each "
       << "factor and combination two plots. <b>Z-scores</b>, as the table tests them: the outcome's z-score (up) "
       << "against the membership's z-score (across; for a combination the smallest of its factors' z-scores). "
       << "<b>Memberships</b>, the X-Y plot of set-theoretic methods: the outcome's membership (up) against the "
       << "block's (across; for a combination the smallest of its factors'), with the block's consistency and "
       << "coverage. Cases above the diagonal have more of the outcome than of the condition and stand against "
       << "<b>NECESSARY</b>; cases below it stand against <b>SUFFICIENT</b>. The area of a point is proportional "
       << "to the case's weight; point at a case to see it. Open a block to draw its plots.";
  if (drawn < run_.case_count) {
    out_ << " <strong>The plots show " << with_thousands(drawn) << " of the " << with_thousands(run_.case_count)
         << " cases</strong>, evenly spaced in case order, to keep the page light; the table uses every case.";
  }
  out_ << "</p>\n<fieldset id=\"filter\">\n<legend>Show the blocks that contain every ticked factor</legend>\n";
  for (int j = 1; j <= run_.factor_count; ++j) {
    const char letter = factor_letter(j);
    const std::string name = factor_name(run_, j);
    out_ << "<label><input type=\"checkbox\" value=\"" << letter << "\"> " << letter;
    if (!name.empty()) out_ << " = " << html(name);
    out_ << "</label>\n";
  }
  out_ << "<label>of <select id=\"size\"><option value=\"all\" selected>any number of factors</option>";
  const int largest = run_.factor_count < max_combination_size ? run_.factor_count : max_combination_size;
  for (int k = 1; k <= largest; ++k) {
    out_ << "<option value=\"" << k << "\">" << k << (k == 1 ? " factor" : " factors") << "</option>";
  }
  out_ << "</select></label>\n<output id=\"shown\"></output>\n</fieldset>\n"
       << "<div class=\"pager\"></div>\n<div id=\"plot-list\"></div>\n</section>\n";
}

void PageWriter::table() {
  out_ << "<section id=\"table\">\n<h2>Goodness-of-fit and partition statistics</h2>\n"
       << "<p class=\"about\"><span class=\"fit key\">compatible</span>: the cases against the hypothesis lie no "
       << "farther from it than the measurement error explains (P at or above the level); "
       << "<span class=\"rej key\">rejected</span>: P below the level. A row's <b>critical MER</b> is the smallest "
       << "measurement error factor at which it is compatible at the chosen level, rounded up (none: no measurement "
       << "error makes it compatible). <span class=\"perfect key\">no case against</span>: a relation without "
       << "exception, fully consistent. <span class=\"tie key\">decided by ties</span>: every case against lies on "
       << "the diagonal within rounding; the row says nothing either way. In a comparison row "
       << "<span class=\"closer key\">combination closer</span> marks a P below the level: the combination lies "
       << "markedly closer to the outcome than its constituent.</p>\n"
       << "<noscript><p class=\"notice\">The table and the plots are drawn by the page's script, which this browser "
       << "does not run. The report (<code>morvit.out</code>) holds the table, and <code>--table-csv FILE</code> "
       << "writes it as CSV.</p></noscript>\n<div class=\"pager\"></div>\n<div class=\"table-scroll\">\n"
       << "<table class=\"fit-table\">\n<thead><tr><th scope=\"col\">factor(s)</th><th scope=\"col\">columns</th>"
       << "<th scope=\"col\">hypothesis</th><th scope=\"col\">SSD</th><th scope=\"col\">DF</th>"
       << "<th scope=\"col\">MSD</th><th scope=\"col\">F</th><th scope=\"col\">P</th>"
       << "<th scope=\"col\">critical MER</th><th scope=\"col\">cases against</th>"
       << "<th scope=\"col\">reading</th></tr></thead>\n</table>\n</div>\n</section>\n";
}

// One block: its label, whether it is contradictory, its fit measures, its cases on either
// side of the diagonal and on it, and its rows, each with the numbers behind the report's
// (the page edits them as the report does) and what the run found beside them.
void PageWriter::block_data(const BlockRange& block) {
  const RecordedRow& first = run_.rows[block.first];
  const RecordedRow* hypothesis = nullptr;  // fit and counts are the same on its hypothesis rows
  for (std::size_t i = block.first; i < block.end && hypothesis == nullptr; ++i) {
    const RowKind kind = run_.rows[i].kind;
    if (kind != RowKind::baseline && kind != RowKind::comparison) hypothesis = &run_.rows[i];
  }
  out_ << "{\"block\":" << json_string(first.block)
       << ",\"contradictory\":" << (contradictory(first.block, run_.names) ? "true" : "false");
  if (hypothesis != nullptr) {
    const FitMeasures& fit = hypothesis->fit;
    out_ << ",\"fit\":{\"cons_suf\":" << json_number(fit.cons_suf) << ",\"cov_suf\":" << json_number(fit.cov_suf)
         << ",\"pri\":" << json_number(fit.pri) << ",\"cons_nec\":" << json_number(fit.cons_nec)
         << ",\"cov_nec\":" << json_number(fit.cov_nec) << ",\"ron\":" << json_number(fit.ron)
         << ",\"coincidence\":" << json_number(fit.coincidence) << '}';
    const DiagonalCounts& counts = hypothesis->counts;
    if (counts.above >= 0) {
      out_ << ",\"counts\":{\"above\":" << counts.above << ",\"below\":" << counts.below;
      if (counts.on >= 0) out_ << ",\"on\":" << counts.on;
      out_ << '}';
    }
  }
  out_ << ",\"rows\":[";
  for (std::size_t i = block.first; i < block.end; ++i) {
    const RecordedRow& row = run_.rows[i];
    out_ << (i == block.first ? "" : ",\n") << "{\"kind\":\"" << kind_name(row.kind) << '"';
    if (row.kind == RowKind::comparison) out_ << ",\"hypothesis\":" << json_string(row.hypothesis);
    if (!row.printed) {
      out_ << ",\"omitted\":true";
      if (row.cases_against >= 0) out_ << ",\"against\":" << row.cases_against;
      out_ << '}';
      continue;
    }
    if (row.kind != RowKind::comparison) {
      out_ << ",\"ssd\":" << json_number(row.ssd) << ",\"df\":" << row.df << ",\"msd\":" << json_number(row.msd);
    }
    if (row.kind != RowKind::baseline) out_ << ",\"f\":" << json_number(row.f) << ",\"p\":" << json_number(row.p);
    if (row.kind != RowKind::baseline && row.kind != RowKind::comparison) {
      if (row.dfn != static_cast<double>(row.df)) out_ << ",\"dfn\":" << json_number(row.dfn);
      // A combination's SSD as summed, where it differs from the SSD the report prints.
      if (row.summed_ssd == row.summed_ssd && row.summed_ssd != row.ssd) {
        out_ << ",\"sum\":" << json_number(row.summed_ssd);
      }
      if (!row.critical_mer.empty()) {
        out_ << ",\"critical\":[";
        for (std::size_t k = 0; k < row.critical_mer.size(); ++k) {
          out_ << (k == 0 ? "" : ",") << json_number(row.critical_mer[k]);
        }
        out_ << ']';
      }
      if (row.cases_against >= 0) out_ << ",\"against\":" << row.cases_against;
      if (row.decided_by_ties) out_ << ",\"ties\":true";
    }
    out_ << '}';
  }
  out_ << "]}";
}

void PageWriter::data() {
  const int drawn = drawn_cases(run_);
  std::vector<int> picked;
  for (int j = 0; j < drawn; ++j) {
    picked.push_back(static_cast<int>(static_cast<long long>(j) * run_.case_count / drawn));
  }
  const bool named = run_.case_names.size() == static_cast<std::size_t>(run_.case_count);
  const std::vector<double> levels = offered_levels(run_);
  const ConventionalReading conventional;
  out_ << "<script type=\"application/json\" id=\"morvit-data\">{\"outcome\":"
       << json_string(run_.names.shown_outcome()) << ",\"factors\":[";
  for (int j = 1; j <= run_.factor_count; ++j) out_ << (j == 1 ? "" : ",") << json_string(factor_name(run_, j));
  out_ << "],\n\"run\":{\"mer\":" << json_number(run_.measurement_error)
       << ",\"expected_msd\":" << json_number(run_.expected_msd) << ",\"dfd\":" << run_.denominator_df
       << ",\"level\":" << json_number(run_.level) << "},\"levels\":[";
  for (std::size_t k = 0; k < levels.size(); ++k) out_ << (k == 0 ? "" : ",") << json_number(levels[k]);
  out_ << "],\"conventional\":{\"necessity\":" << json_number(conventional.necessity)
       << ",\"sufficiency\":" << json_number(conventional.sufficiency)
       << "},\"findings\":{\"holding\":" << findings_holding_shown << ",\"closest\":" << findings_closest_shown
       << "},\"page\":" << blocks_a_page << ",\n\"cases\":" << run_.case_count << ",\"case\":[";
  for (std::size_t k = 0; k < picked.size(); ++k) out_ << (k == 0 ? "" : ",") << picked[k] + 1;
  out_ << "],\"names\":";
  if (named) {
    out_ << '[';
    for (std::size_t k = 0; k < picked.size(); ++k) {
      out_ << (k == 0 ? "" : ",") << json_string(run_.case_names[static_cast<std::size_t>(picked[k])]);
    }
    out_ << ']';
  } else {
    out_ << "null";
  }
  out_ << ",\"w\":[";
  for (std::size_t k = 0; k < picked.size(); ++k) {
    out_ << (k == 0 ? "" : ",") << json_number(run_.w[static_cast<std::size_t>(picked[k])]);
  }
  for (const char* const what : {"x", "z"}) {
    out_ << "],\n\"" << what << "\":[";
    for (int column = 0; column <= run_.factor_count; ++column) {
      out_ << (column == 0 ? "[" : "],\n[");
      for (std::size_t k = 0; k < picked.size(); ++k) {
        const double value = what[0] == 'x' ? run_.score(column, picked[k]) : run_.z_score(column, picked[k]);
        out_ << (k == 0 ? "" : ",") << json_number(value);
      }
    }
    out_ << ']';
  }
  out_ << "],\n\"blocks\":[";
  for (std::size_t k = 0; k < blocks_.size(); ++k) {
    out_ << (k == 0 ? "" : ",\n");
    block_data(blocks_[k]);
  }
  out_ << "]}</script>\n";
}

// The numbers module as base64 in an element that is never run; the page compiles it.
void PageWriter::numbers_module() {
  if (!carries_module()) return;
  out_ << "<script type=\"application/wasm+base64\" id=\"morvit-numbers\">" << base64_text(page_numbers_wasm())
       << "</script>\n";
}

void PageWriter::write() {
  head();
  warnings();
  if (!run_.reached_table) {
    comments();
    out_ << "<section id=\"summary\">\n<p class=\"notice\">The run ended without a table: it did not reach "
         << "<code>FIN</code>, or an error ended it first. The report file (<code>morvit.out</code>, or the file "
         << "that an <code>OUT</code> command named) holds the message.</p>\n</section>\n</main>\n";
    write_scripts(out_);
    out_ << "</body>\n</html>\n";
    return;
  }
  blocks_ = blocks_of(run_);
  controls();
  findings();
  comments();
  summary();
  plots();
  table();
  out_ << "<div id=\"tip\" role=\"tooltip\" hidden></div>\n</main>\n";
  data();
  numbers_module();
  write_scripts(out_);
  out_ << "</body>\n</html>\n";
}

}  // namespace

void write_html_page(std::ostream& out, const RunRecord& run) { PageWriter(out, run).write(); }

}  // namespace morvit
