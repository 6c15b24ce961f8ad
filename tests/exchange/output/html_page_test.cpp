#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "exchange/output/html_page.h"
#include "exchange/output/page_assets.h"

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
  made.msd = 0.5;
  made.f = 2.25;
  made.p = p;
  if (kind != RowKind::baseline && kind != RowKind::comparison) made.cases_against = 1;
  return made;
}

// A run as the numbers of the run record give it after the run, with every field that the
// page shows beside the table filled: three cases, A = WEALTH and B = ~WEALTH (so AB holds a
// factor with its negation), critical MERs at three levels, a perfect row, a row decided by
// ties, a row without critical MERs (read by its P), fit measures and a warning.
RunRecord filled_run() {
  RunRecord run;
  run.command_file = "dir/run.cmd";
  run.comments = {"OUTCOME = Y", "A = WEALTH", "B = ~WEALTH"};
  run.names.outcome = "Y";
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

std::string page_of(const RunRecord& run) {
  std::ostringstream out;
  write_html_page(out, run);
  return out.str();
}

struct PageCase {
  const char* name;
  std::function<void(RunRecord&)> change;
  std::vector<std::string> present;
  std::vector<std::string> absent;
};

TEST(HtmlPage, ShowsWhatTheRunRecordHolds) {
  const std::string policy = std::string("script-src '") + std::string(page_script_hash()) + "'; style-src '" +
                             std::string(page_style_hash()) + "'";
  const std::string script = "<script>" + std::string(page_script()) + "</script>";
  const std::vector<PageCase> cases = {
      {"filled",
       [](RunRecord&) {},
       {policy, script, "default-src 'none'",
        // the warnings at the top, as text
        "<section id=\"warnings\">",
        "<li>run.cmd:5:9: warning: membership &lt;7&gt; is outside 0 to 1 &amp; &quot;kept&quot;</li>",
        // the MER control at the run's MER as the report prints it, the levels of the record
        "<input id=\"mer\" type=\"number\" step=\"0.01\" min=\"0\" value=\"0.05\">",
        "<option value=\"0.01\">0.01</option><option value=\"0.05\" selected>0.05</option>"
        "<option value=\"0.1\">0.1</option>",
        // the data: the run's MER to the last bit, critical MERs (NaN as null), cases
        // against, ties, fit measures, the contradictory block
        "\"mer\":0.05000000074505806", "\"levels\":[0.01,0.05,0.1]",
        "[1,\"NECESSARY\",1,\"1.5000\",3,\"0.5000\",\"2.2500\",\"0.2000\",0.2,[0.01,0.03,0.04],1,0]",
        "[3,\"NEC AND SUFF\",1,\"1.5000\",3,\"0.5000\",\"2.2500\",\"0.0000\",1e-09,[null,null,null],1,0]",
        "[1,\"NECESSARY\",0,\"\",0,\"\",\"\",\"\",null,[],0,0]", "[0,0,0],2,1]",
        "{\"b\":\"A\",\"c\":0,\"f\":[0.9,0.6,0.8,0.7,0.85,0.95,0.5]", "{\"b\":\"AB\",\"c\":1,",
        "{\"b\":\"NONE\",\"c\":0,\"f\":[null,null,null,null,null,null,null]",
        "[4,\"A v AB\",1,\"-----\",0,\"-----\",\"2.2500\",\"0.0100\",0.01,[],-1,0]",
        "\"names\":[\"North\",\"South\",\"East\"]", "<noscript>", "--table-csv"},
       {"style=\"", "onload", "unsafe-inline"}},
      {"no warnings",
       [](RunRecord& run) { run.warnings.clear(); },
       {"<input id=\"mer\""},
       {"<section id=\"warnings\">"}},
      {"fields at their defaults: the levels of the page, no critical MERs, n/a measures",
       [](RunRecord& run) {
         run.levels.clear();
         for (RecordedRow& made : run.rows) {
           made.critical_mer.clear();
           made.cases_against = -1;
           made.decided_by_ties = false;
           made.fit = no_fit_measures();
         }
       },
       {"\"levels\":[0.01,0.05,0.1]", "[1,\"NECESSARY\",1,\"1.5000\",3,\"0.5000\",\"2.2500\",\"0.2000\",0.2,[],-1,0]",
        "{\"b\":\"A\",\"c\":0,\"f\":[null,null,null,null,null,null,null]"},
       {}},
      {"a level of its own: offered and chosen",
       [](RunRecord& run) {
         run.levels = {0.01, 0.02, 0.05, 0.1};
         run.level = 0.02;
       },
       {"<option value=\"0.02\" selected>0.02</option>", "\"levels\":[0.01,0.02,0.05,0.1]"},
       {"<option value=\"0.05\" selected>"}},
      {"names with a tilde that are no negation of each other",
       [](RunRecord& run) { run.names.factors[1] = "~WEALTHY"; },
       {"{\"b\":\"AB\",\"c\":0,"},
       {"\"c\":1"}},
      {"a negation named first",
       [](RunRecord& run) {
         run.names.factors[0] = "~WEALTH";
         run.names.factors[1] = "WEALTH";
       },
       {"{\"b\":\"AB\",\"c\":1,", "{\"b\":\"A\",\"c\":0,"},
       {}},
      {"without a table: the comments, the warnings and the script, no data",
       [](RunRecord& run) { run.reached_table = false; },
       {"The run ended without a table", script, policy, "A = WEALTH", "membership &lt;7&gt;"},
       {"id=\"morvit-data\"", "id=\"mer\""}},
  };
  for (const PageCase& test : cases) {
    RunRecord run = filled_run();
    test.change(run);
    const std::string page = page_of(run);
    for (const std::string& text : test.present) {
      EXPECT_NE(page.find(text), std::string::npos) << test.name << ": no " << text;
    }
    for (const std::string& text : test.absent) {
      EXPECT_EQ(page.find(text), std::string::npos) << test.name << ": " << text;
    }
  }
}

// The embedded script and style are the files of the tree, byte for byte, and hold nothing
// that would end their element early.
TEST(HtmlPage, EmbedsTheScriptAndStyleFilesAsTheyAre) {
  for (const auto& [file, embedded, end] :
       {std::tuple{"page.js", page_script(), "</script"}, std::tuple{"page.css", page_style(), "</style"}}) {
    std::ifstream in(std::string(MORVIT_SOURCE_DIR) + "/exchange/output/" + file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(text.empty()) << file;
    EXPECT_EQ(std::string(embedded), text) << file;
    EXPECT_EQ(text.find(end), std::string::npos) << file;
    EXPECT_EQ(text.find("<!--"), std::string::npos) << file;
  }
  EXPECT_TRUE(page_script_hash().starts_with("sha256-"));
  EXPECT_EQ(page_script_hash().size(), 7U + 44U);
  EXPECT_EQ(page_style_hash().size(), 7U + 44U);
}

// Writes the page of filled_run(), to the file MORVIT_RECORD_PAGE names when it is set: the
// test that loads it in Chromium (tests/exchange/output/check_html_page.py) asks for it.
TEST(HtmlPage, WritesThePageOfAFilledRecordWhenAsked) {
  const char* path = std::getenv("MORVIT_RECORD_PAGE");
  std::ofstream file;
  std::ostringstream text;
  if (path != nullptr) file.open(path, std::ios::binary);
  std::ostream& out = path != nullptr ? static_cast<std::ostream&>(file) : text;
  write_html_page(out, filled_run());
  out.flush();
  EXPECT_TRUE(out.good());
  if (path == nullptr) {
    EXPECT_NE(text.str().find("data-state"), std::string::npos);
  }
}

}  // namespace
}  // namespace morvit
