#include "exchange/output/html_page.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <string_view>

#include "driver/diagnostics.h"
#include "exchange/cell_text.h"
#include "exchange/output/page_assets.h"
#include "exchange/output/row_assessment.h"
#include "recordio/field_editing.h"
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

// A string for the embedded JSON: quotes, backslashes and control characters escaped, and
// '<' and '>' too, so that no "</script" or "<!--" can end or change the data block.
std::string json_string(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || c == '<' || c == '>' || c == '&') {
      constexpr char hex[] = "0123456789abcdef";
      out += "\\u00";
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string json_number(double value) { return std::isfinite(value) ? number_text(value) : "null"; }

// A number as the report edits it (fixed point, `decimals` decimals, "inf" and "nan" for
// divisions by zero), without the report's field width.
std::string fixed(double value, int decimals) {
  std::string text;
  edit_fixed(text, value, 40, decimals);
  return std::string(trimmed(text));
}

// A value for the reader to edit: at most 6 decimals, as the report prints it, without
// trailing zeros ("0.05" for the single-precision MER 0.0500000007).
std::string short_decimal(double value) {
  std::string text = fixed(value, 6);
  if (text.find('.') == std::string::npos || !std::isfinite(value)) return text;
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
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

std::string factor_name(const RunRecord& run, int factor) {
  return run.names.factors[static_cast<std::size_t>(factor - 1)];
}

// A block that holds a factor together with its negation (names N and ~N, compared as
// given) is contradictory by construction.
bool contradictory(std::string_view block, const RunRecord& run) {
  if (block == "NONE") return false;
  for (const char a : block) {
    for (const char b : block) {
      const std::string& first = run.names.factors[static_cast<std::size_t>(factor_of_letter(a) - 1)];
      const std::string& second = run.names.factors[static_cast<std::size_t>(factor_of_letter(b) - 1)];
      if (!second.empty() && first.size() == second.size() + 1 && first[0] == '~' &&
          std::string_view(first).substr(1) == second) {
        return true;
      }
    }
  }
  return false;
}

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

// The page loads nothing and runs nothing but its own script and style sheet, allowed by
// their hashes: a text of the run that slipped through as markup could not run a script.
// Blob URLs are for the SVG files the page offers to save, data: images for the same.
std::string content_security_policy() {
  return "default-src 'none'; script-src '" + std::string(page_script_hash()) + "'; style-src '" +
         std::string(page_style_hash()) + "'; img-src data: blob:; base-uri 'none'; form-action 'none'";
}

// The page's script; it must be the element's whole content for its hash to match.
void write_script(std::ostream& out) { out << "<script>" << page_script() << "</script>\n"; }

class PageWriter {
 public:
  PageWriter(std::ostream& out, const RunRecord& run) : out_(out), run_(run) {}
  void write();

 private:
  void head();
  void warnings();
  void comments();
  void summary();
  void controls();
  void plots();
  void table();
  void data();
  void block_data(const BlockRange& block);

  std::ostream& out_;
  const RunRecord& run_;
  std::vector<BlockRange> blocks_;
};

void PageWriter::head() {
  const std::string name = std::filesystem::path(run_.command_file).filename().string();
  out_ << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
       << "<meta http-equiv=\"Content-Security-Policy\" content=\"" << content_security_policy() << "\">\n"
       << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
       << "<title>MORVIT: " << html(name) << "</title>\n"
       << "<style>" << page_style() << "</style>\n</head>\n<body>\n"
       << "<header>\n<h1>MORVIT 1.00: <span class=\"file\">" << html(name) << "</span></h1>\n";
  if (run_.reached_table) {
    out_ << "<nav><a href=\"#summary\">Summary</a> <a href=\"#plots\">X-Y plots</a> <a href=\"#table\">Table</a></nav>\n";
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

void PageWriter::summary() {
  out_ << "<section id=\"summary\">\n<h2>Run summary</h2>\n<div class=\"side\">\n<table class=\"summary\">\n"
       << "<tr><th scope=\"row\">Number of cases</th><td>" << with_thousands(run_.case_count) << "</td></tr>\n"
       << "<tr><th scope=\"row\">Number of factors</th><td>" << run_.factor_count << "</td></tr>\n"
       << "<tr><th scope=\"row\">Denominator degrees of freedom</th><td>" << run_.denominator_df << "</td></tr>\n"
       << "<tr><th scope=\"row\">Measurement error factor (MER)</th><td>" << fixed(run_.measurement_error, 6)
       << "</td></tr>\n"
       << "<tr><th scope=\"row\">Expected mean square distance</th><td>" << fixed(run_.expected_msd, 6)
       << "</td></tr>\n"
       << "<tr><th scope=\"row\">Damping factor for z-scores (DAM)</th><td>" << fixed(run_.damping_factor, 6)
       << "</td></tr>\n</table>\n";
  out_ << "<table class=\"legend\">\n<caption>Columns</caption>\n<tr><th scope=\"col\">letter</th>"
       << "<th scope=\"col\">column</th></tr>\n<tr><td>outcome</td><td>"
       << (run_.names.outcome.empty() ? std::string("(not named)") : html(run_.names.outcome)) << "</td></tr>\n";
  for (int j = 1; j <= run_.factor_count; ++j) {
    const std::string name = factor_name(run_, j);
    out_ << "<tr><td>" << factor_letter(j) << "</td><td>"
         << (name.empty() ? std::string("(not named)") : html(name)) << "</td></tr>\n";
  }
  out_ << "</table>\n</div>\n</section>\n";
}

void PageWriter::controls() {
  const std::vector<double> levels = offered_levels(run_);
  bool level_offered = false;
  for (const double level : levels) level_offered = level_offered || level == run_.level;
  const double chosen = level_offered ? run_.level : levels.front();
  out_ << "<section id=\"controls\">\n<p class=\"reading\"><label>Level of P: <select id=\"alpha\">";
  for (const double level : levels) {
    out_ << "<option value=\"" << number_text(level) << '"' << (level == chosen ? " selected" : "") << '>'
         << number_text(level) << "</option>";
  }
  out_ << "</select></label> <label>Measurement error factor (MER): <input id=\"mer\" type=\"number\" "
       << "step=\"0.01\" min=\"0\" value=\"" << short_decimal(run_.measurement_error) << "\"></label> "
       << "<label><input id=\"labels\" type=\"checkbox\"> label the points with the cases' names</label></p>\n"
       << "<p class=\"reading\"><span class=\"fit key\">compatible</span>: the cases against the hypothesis lie no "
       << "farther from it than the measurement error explains (P at or above the level); "
       << "<span class=\"rej key\">rejected</span>: P below the level. A row's <b>critical MER</b> is the smallest "
       << "measurement error factor at which it is compatible at the chosen level (none: no measurement error "
       << "makes it compatible); change the MER to see which rows a larger or smaller error allows. "
       << "<span class=\"perfect key\">no case against</span>: a relation without exception, fully consistent. "
       << "<span class=\"tie key\">decided by ties</span>: every case against lies on the diagonal within "
       << "rounding; the row says nothing either way. "
       << "In a comparison row <span class=\"closer key\">combination closer</span> marks a P below the level: "
       << "the combination lies markedly closer to the outcome than its constituent.</p>\n";
  out_ << "<fieldset id=\"filter\">\n<legend>Show the blocks that contain every ticked factor</legend>\n";
  for (int j = 1; j <= run_.factor_count; ++j) {
    const char letter = factor_letter(j);
    const std::string name = factor_name(run_, j);
    out_ << "<label><input type=\"checkbox\" value=\"" << letter << "\"> " << letter;
    if (!name.empty()) out_ << ' ' << html(name);
    out_ << "</label>\n";
  }
  out_ << "<label>of <select id=\"size\"><option value=\"all\" selected>any number of factors</option>";
  const int largest = run_.factor_count < max_combination_size ? run_.factor_count : max_combination_size;
  for (int k = 1; k <= largest; ++k) {
    out_ << "<option value=\"" << k << "\">" << k << (k == 1 ? " factor" : " factors") << "</option>";
  }
  out_ << "</select></label>\n<output id=\"shown\"></output>\n</fieldset>\n</section>\n";
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
  out_ << "</p>\n<div class=\"pager\"></div>\n<div id=\"plot-list\"></div>\n</section>\n";
}

void PageWriter::table() {
  out_ << "<section id=\"table\">\n<h2>Goodness-of-fit and partition statistics</h2>\n"
       << "<noscript><p class=\"notice\">The table and the plots are drawn by the page's script, which this browser "
       << "does not run. The report (<code>morvit.out</code>) holds the table, and <code>--table-csv FILE</code> "
       << "writes it as CSV.</p></noscript>\n<div class=\"pager\"></div>\n"
       << "<table class=\"fit-table\">\n<thead><tr><th scope=\"col\">factor(s)</th><th scope=\"col\">columns</th>"
       << "<th scope=\"col\">hypothesis</th><th scope=\"col\">SSD</th><th scope=\"col\">DF</th>"
       << "<th scope=\"col\">MSD</th><th scope=\"col\">F</th><th scope=\"col\">P</th>"
       << "<th scope=\"col\">critical MER</th><th scope=\"col\">cases against</th>"
       << "<th scope=\"col\">reading</th></tr></thead>\n</table>\n</section>\n";
}

// One block: its label, whether it is contradictory, its fit measures and its rows. A row
// is [kind, hypothesis, printed, SSD, DF, MSD, F, P (the report's texts), P, critical
// MERs, cases against, decided by ties].
void PageWriter::block_data(const BlockRange& block) {
  const RecordedRow& first = run_.rows[block.first];
  FitMeasures fit = no_fit_measures();  // the same on every hypothesis row of the block
  for (std::size_t i = block.first; i < block.end; ++i) {
    const RowKind kind = run_.rows[i].kind;
    if (kind != RowKind::baseline && kind != RowKind::comparison) {
      fit = run_.rows[i].fit;
      break;
    }
  }
  out_ << "{\"b\":" << json_string(first.block) << ",\"c\":" << (contradictory(first.block, run_) ? 1 : 0)
       << ",\"f\":[" << json_number(fit.cons_suf) << ',' << json_number(fit.cov_suf) << ','
       << json_number(fit.cons_nec) << ',' << json_number(fit.cov_nec) << ',' << json_number(fit.pri) << ','
       << json_number(fit.ron) << ',' << json_number(fit.coincidence) << "],\"r\":[";
  for (std::size_t i = block.first; i < block.end; ++i) {
    const RecordedRow& row = run_.rows[i];
    const bool comparison = row.kind == RowKind::comparison;
    const bool baseline = row.kind == RowKind::baseline;
    out_ << (i == block.first ? "[" : ",\n[") << static_cast<int>(row.kind) << ',' << json_string(row.hypothesis)
         << ',' << (row.printed ? 1 : 0) << ',';
    if (!row.printed) {
      out_ << "\"\",0,\"\",\"\",\"\"";
    } else {
      out_ << (comparison ? "\"-----\"" : json_string(fixed(row.ssd, 4))) << ',' << (comparison ? 0 : row.df) << ','
           << (comparison ? "\"-----\"" : json_string(fixed(row.msd, 4))) << ','
           << (baseline ? "\"-----\"" : json_string(fixed(row.f, 4))) << ','
           << (baseline ? "\"-----\"" : json_string(fixed(row.p, 4)));
    }
    out_ << ',' << (row.printed && !baseline ? json_number(row.p) : "null") << ",[";
    for (std::size_t k = 0; k < row.critical_mer.size(); ++k) {
      out_ << (k == 0 ? "" : ",") << json_number(row.critical_mer[k]);
    }
    out_ << "]," << row.cases_against << ',' << (row.decided_by_ties ? 1 : 0) << ']';
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
  out_ << "<script type=\"application/json\" id=\"morvit-data\">{\"outcome\":" << json_string(run_.names.outcome)
       << ",\"factors\":[";
  for (int j = 1; j <= run_.factor_count; ++j) out_ << (j == 1 ? "" : ",") << json_string(factor_name(run_, j));
  out_ << "],\"mer\":" << json_number(run_.measurement_error) << ",\"levels\":[";
  for (std::size_t k = 0; k < levels.size(); ++k) out_ << (k == 0 ? "" : ",") << json_number(levels[k]);
  out_ << "],\"page\":" << blocks_a_page << ",\"cases\":" << run_.case_count << ",\"case\":[";
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

void PageWriter::write() {
  head();
  warnings();
  comments();
  if (!run_.reached_table) {
    out_ << "<section id=\"summary\">\n<p class=\"notice\">The run ended without a table: it did not reach "
         << "<code>FIN</code>, or an error ended it first. The report file (<code>morvit.out</code>, or the file "
         << "that an <code>OUT</code> command named) holds the message.</p>\n</section>\n</main>\n";
    write_script(out_);
    out_ << "</body>\n</html>\n";
    return;
  }
  blocks_ = blocks_of(run_);
  summary();
  controls();
  plots();
  table();
  out_ << "<div id=\"tip\" role=\"tooltip\" hidden></div>\n</main>\n";
  data();
  write_script(out_);
  out_ << "</body>\n</html>\n";
}

}  // namespace

void write_html_page(std::ostream& out, const RunRecord& run) { PageWriter(out, run).write(); }

}  // namespace morvit
