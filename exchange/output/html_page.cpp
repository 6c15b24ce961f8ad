#include "exchange/output/html_page.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <string_view>

#include "exchange/output/page_assets.h"
#include "driver/diagnostics.h"
#include "exchange/number_text.h"
#include "recordio/field_editing.h"

namespace morvit {
namespace {

// The level of P below which the page first calls a hypothesis rejected; the reader can
// choose another on the page.
constexpr double first_level = 0.05;

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
// '<' too, so that no "</script" can end the data early.
std::string json_string(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || c == '<') {
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

std::string factor_name(const RunRecord& run, int factor) {
  return run.names.factors[static_cast<std::size_t>(factor - 1)];
}

// Why the report leaves a row out.
std::string_view omission(RowKind kind) {
  switch (kind) {
    case RowKind::necessary: return "left out of the report: no case has its outcome above the membership";
    case RowKind::sufficient: return "left out of the report: no case has its outcome below the membership";
    case RowKind::nec_and_suff: return "left out of the report: the total weight is not above 0";
    case RowKind::comparison: return "left out of the report: the combination lies at distance 0";
    case RowKind::baseline: break;
  }
  return "left out of the report";
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
  void comments();
  void summary();
  void reading_and_filter();
  void table();
  void row(const RecordedRow& row, bool first_of_block, std::size_t block_rows);
  void plots();
  void plot_data();

  std::ostream& out_;
  const RunRecord& run_;
  std::vector<BlockRange> blocks_;
};

void PageWriter::head() {
  const std::string name = std::filesystem::path(run_.command_file).filename().string();
  out_ << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
       << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
       << "<meta http-equiv=\"Content-Security-Policy\" content=\"" << content_security_policy() << "\">\n"
       << "<title>MORVIT: " << html(name) << "</title>\n"
       << "<style>" << page_style() << "</style>\n</head>\n<body>\n"
       << "<header>\n<h1>MORVIT 1.00: <span class=\"file\">" << html(name) << "</span></h1>\n";
  if (run_.reached_table) {
    out_ << "<nav><a href=\"#summary\">Summary</a> <a href=\"#plots\">X-Y plots</a> <a href=\"#table\">Table</a></nav>\n";
  }
  out_ << "</header>\n<main>\n";
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
    out_ << "<tr><td>" << static_cast<char>('A' + j - 1) << "</td><td>"
         << (name.empty() ? std::string("(not named)") : html(name)) << "</td></tr>\n";
  }
  out_ << "</table>\n</div>\n</section>\n";
}

void PageWriter::reading_and_filter() {
  out_ << "<section id=\"controls\">\n<p class=\"reading\"><label>Level of P: <select id=\"alpha\">"
       << "<option value=\"0.01\">0.01</option><option value=\"0.05\" selected>0.05</option>"
       << "<option value=\"0.1\">0.10</option></select></label> "
       << "<span class=\"fit key\">compatible</span>: P at or above the level, the cases against the hypothesis "
       << "lie no farther from it than the measurement error explains; "
       << "<span class=\"rej key\">rejected</span>: P below the level. "
       << "In a comparison row <span class=\"closer key\">combination closer</span> marks a P below the level: "
       << "the combination lies markedly closer to the outcome than its constituent.</p>\n";
  out_ << "<fieldset id=\"filter\">\n<legend>Show the blocks that contain every ticked factor</legend>\n";
  for (int j = 1; j <= run_.factor_count; ++j) {
    const char letter = static_cast<char>('A' + j - 1);
    const std::string name = factor_name(run_, j);
    out_ << "<label><input type=\"checkbox\" value=\"" << letter << "\"> " << letter;
    if (!name.empty()) out_ << ' ' << html(name);
    out_ << "</label>\n";
  }
  out_ << "<label>of <select id=\"size\"><option value=\"all\" selected>any number of factors</option>";
  const int largest = run_.factor_count < 6 ? run_.factor_count : 6;
  for (int k = 1; k <= largest; ++k) {
    out_ << "<option value=\"" << k << "\">" << k << (k == 1 ? " factor" : " factors") << "</option>";
  }
  out_ << "</select></label>\n<output id=\"shown\"></output>\n</fieldset>\n</section>\n";
}

void PageWriter::row(const RecordedRow& row, bool first_of_block, std::size_t block_rows) {
  const bool comparison = row.kind == RowKind::comparison;
  const bool baseline = row.kind == RowKind::baseline;
  std::string classes = comparison ? "cmp" : baseline ? "base" : "h";
  std::string verdict;
  const bool has_p = row.printed && !baseline && !std::isnan(row.p);
  if (!row.printed) {
    classes = "om";
  } else if (has_p && comparison) {
    const bool closer = row.p < first_level;
    classes += closer ? " closer" : "";
    verdict = closer ? "combination closer" : "not markedly";
  } else if (has_p) {
    const bool fit = row.p >= first_level;
    classes += fit ? " fit" : " rej";
    verdict = fit ? "compatible" : "rejected";
  }
  out_ << "<tr class=\"" << classes << '"';
  if (has_p) out_ << " data-p=\"" << number_text(row.p) << '"';
  out_ << "><th>";
  if (first_of_block && !baseline) {
    out_ << "<a href=\"#p-" << row.block << "\">" << row.block << "</a>";
  } else {
    out_ << row.block;
  }
  if (first_of_block) {
    out_ << "<td class=\"nm\" rowspan=\"" << block_rows << "\">" << html(block_names(row.block, run_.names));
  }
  out_ << "<td class=\"hy\">" << html(row.hypothesis);
  if (!row.printed) {
    out_ << "<td colspan=\"5\" class=\"note\">" << omission(row.kind) << "<td class=\"v\">\n";
    return;
  }
  if (comparison) {
    out_ << "<td>-----<td>-----<td>-----";
  } else {
    out_ << "<td>" << fixed(row.ssd, 4) << "<td>" << row.df << "<td>" << fixed(row.msd, 4);
  }
  if (baseline) {
    out_ << "<td>-----<td>-----";
  } else {
    out_ << "<td>" << fixed(row.f, 4) << "<td>" << fixed(row.p, 4);
  }
  out_ << "<td class=\"v\">" << verdict << '\n';
}

void PageWriter::table() {
  out_ << "<section id=\"table\">\n<h2>Goodness-of-fit and partition statistics</h2>\n"
       << "<table class=\"fit-table\">\n<thead><tr><th scope=\"col\">factor(s)</th><th scope=\"col\">columns</th>"
       << "<th scope=\"col\">hypothesis</th><th scope=\"col\">SSD</th><th scope=\"col\">DF</th>"
       << "<th scope=\"col\">MSD</th><th scope=\"col\">F</th><th scope=\"col\">P</th>"
       << "<th scope=\"col\">reading</th></tr></thead>\n";
  for (const BlockRange& block : blocks_) {
    const std::string& label = run_.rows[block.first].block;
    out_ << "<tbody id=\"t-" << label << "\" data-block=\"" << label << "\">\n";
    for (std::size_t i = block.first; i < block.end; ++i) row(run_.rows[i], i == block.first, block.end - block.first);
    out_ << "</tbody>\n";
  }
  out_ << "</table>\n</section>\n";
}

void PageWriter::plots() {
  const int drawn = run_.case_count < plotted_cases_at_most ? run_.case_count : plotted_cases_at_most;
  out_ << "<section id=\"plots\">\n<h2>X-Y plots of the factors and combinations</h2>\n<p class=\"about\">For each factor and combination: the "
       << "outcome's z-score (up) against the membership's z-score (across; for a combination the smallest of "
       << "its factors' z-scores). Cases above the diagonal have more of the outcome than of the condition and "
       << "stand against <b>NECESSARY</b>; cases below it stand against <b>SUFFICIENT</b>. The area of a point "
       << "is proportional to the case's weight; hover over a point for the case. Open a block to draw its "
       << "plot.";
  if (drawn < run_.case_count) {
    out_ << " <strong>The plots show " << with_thousands(drawn) << " of the " << with_thousands(run_.case_count)
         << " cases</strong>, evenly spaced in case order, to keep the page light; the table uses every case.";
  }
  out_ << "</p>\n";
  for (const BlockRange& block : blocks_) {
    const std::string& label = run_.rows[block.first].block;
    if (label == "NONE") continue;
    out_ << "<details id=\"p-" << label << "\" data-block=\"" << label << '"' << (label.size() == 1 ? " open" : "")
         << "><summary><b>" << label << "</b> " << html(block_names(label, run_.names)) << " <span class=\"brief\">";
    const char* separator = "";
    for (std::size_t i = block.first; i < block.end; ++i) {
      const RecordedRow& row = run_.rows[i];
      if (row.kind == RowKind::comparison || !row.printed) continue;
      out_ << separator << html(row.hypothesis) << " P " << fixed(row.p, 4);
      separator = " \xC2\xB7 ";
    }
    out_ << "</span></summary><div class=\"plot\"></div></details>\n";
  }
  out_ << "</section>\n";
}

void PageWriter::plot_data() {
  const int drawn = run_.case_count < plotted_cases_at_most ? run_.case_count : plotted_cases_at_most;
  std::vector<int> picked;
  for (int j = 0; j < drawn; ++j) {
    picked.push_back(static_cast<int>(static_cast<long long>(j) * run_.case_count / drawn));
  }
  const bool named = run_.case_names.size() == static_cast<std::size_t>(run_.case_count);
  out_ << "<script type=\"application/json\" id=\"morvit-data\">{\"outcome\":" << json_string(run_.names.outcome)
       << ",\"factors\":[";
  for (int j = 1; j <= run_.factor_count; ++j) out_ << (j == 1 ? "" : ",") << json_string(factor_name(run_, j));
  out_ << "],\"cases\":" << run_.case_count << ",\"case\":[";
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
  out_ << "]}</script>\n";
}

void PageWriter::write() {
  head();
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
  reading_and_filter();
  plots();
  table();
  out_ << "</main>\n";
  plot_data();
  write_script(out_);
  out_ << "</body>\n</html>\n";
}

}  // namespace

void write_html_page(std::ostream& out, const RunRecord& run) { PageWriter(out, run).write(); }

}  // namespace morvit
