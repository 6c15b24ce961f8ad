#include "exchange/output/html_page.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "exchange/output/page_assets.h"
#include "record_page/filled_run.h"

namespace morvit {
namespace {

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

// What the page holds as HTML (the data it hands its script are checked by meaning in
// check_html_page.py, which reads them as JSON).
TEST(HtmlPage, ShowsWhatTheRunRecordHolds) {
  std::string policy = "script-src";
  std::vector<std::string> scripts;
  for (const PageAsset& script : page_scripts()) {
    policy += " '" + std::string(script.hash) + "'";
    scripts.push_back("<script>" + std::string(script.text) + "</script>");
  }
  if (!page_numbers_wasm().empty()) policy += " 'wasm-unsafe-eval'";
  policy += "; style-src '" + std::string(page_style().hash) + "'";
  std::vector<std::string> filled = {
      policy,
      "default-src 'none'",
      // the warnings at the top, as text
      "<li>run.cmd:5:9: warning: membership &lt;7&gt; is outside 0 to 1 &amp; &quot;kept&quot;</li>",
      // the MER control at the run's MER as the report prints it, the levels of the record
      "<input id=\"mer\" type=\"number\" step=\"0.01\" min=\"0\" value=\"0.05\">",
      "<option value=\"0.01\">0.01</option><option value=\"0.05\" selected>0.05</option><option "
      "value=\"0.1\">0.1</option>",
      // the conventional thresholds, the filter's letters beside their names
      "id=\"cons-nec\" type=\"number\" step=\"0.05\" min=\"0\" max=\"1\" value=\"0.9\"",
      "value=\"0.8\"",
      "value=\"B\"> B = ~WEALTH</label>",
      "<noscript>",
      "--table-csv"};
  filled.insert(filled.end(), scripts.begin(), scripts.end());
  const std::vector<PageCase> cases = {
      {"filled", [](RunRecord&) {}, filled, {"style=\"", "onload", "unsafe-inline", " 'unsafe-eval'"}},
      {"no warnings",
       [](RunRecord& run) { run.warnings.clear(); },
       {"<input id=\"mer\""},
       {"<section id=\"warnings\">"}},
      {"a level of its own: offered and chosen",
       [](RunRecord& run) {
         run.levels = {0.01, 0.02, 0.05, 0.1};
         run.level = 0.02;
       },
       {"<option value=\"0.02\" selected>0.02</option>"},
       {"<option value=\"0.05\" selected>"}},
      {"without a table: the comments, the warnings and the scripts, no data",
       [](RunRecord& run) { run.reached_table = false; },
       {"The run ended without a table", scripts.front(), scripts.back(), "A = WEALTH", "membership &lt;7&gt;"},
       {"id=\"morvit-data\"", "id=\"mer\"", "id=\"findings\"", "id=\"morvit-numbers\"", "wasm-unsafe-eval"}},
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
  // The answer first: the controls, the findings, then the comments, the summary, the
  // plots and the table.
  const std::string page = page_of(filled_run());
  std::size_t last = 0;
  for (const char* section : {"id=\"controls\"",
                              "id=\"findings\"",
                              "id=\"comments\"",
                              "id=\"summary\"",
                              "id=\"plots\"",
                              "id=\"table\"",
                              "id=\"morvit-data\""}) {
    const std::size_t at = page.find(section);
    EXPECT_TRUE(at != std::string::npos && at > last) << section;
    last = at;
  }
}

// The embedded scripts and style are the files of the tree, byte for byte, and hold nothing
// that would end their element early.
TEST(HtmlPage, EmbedsTheScriptAndStyleFilesAsTheyAre) {
  std::vector<PageAsset> assets(page_scripts().begin(), page_scripts().end());
  assets.push_back(page_style());
  EXPECT_EQ(assets.size(), 4U);
  for (const PageAsset& asset : assets) {
    std::ifstream in(std::string(MORVIT_SOURCE_DIR) + "/exchange/output/" + std::string(asset.name), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(text.empty()) << asset.name;
    EXPECT_EQ(std::string(asset.text), text) << asset.name;
    EXPECT_EQ(text.find(asset.name.ends_with(".css") ? "</style" : "</script"), std::string::npos) << asset.name;
    EXPECT_EQ(text.find("<!--"), std::string::npos) << asset.name;
  }
}

}  // namespace
}  // namespace morvit
