#pragma once

#include <span>
#include <string_view>

namespace morvit {

// The parts of the HTML page that do not depend on the run: the scripts and page.css of this
// folder, embedded byte for byte at build time (embed_page_assets.cmake), with the hashes
// that the page's Content-Security-Policy allows them by. The hashes are computed by CMake
// from the same bytes, so they always match what the page holds.
struct PageAsset {
  std::string_view name;  // the file's name in this folder
  std::string_view text;  // its bytes
  std::string_view hash;  // "sha256-BASE64" of them, as a CSP source expression wants
};

// The page's scripts in the order the page runs them:
//   page_logic.js   what the page reads from the run's data, without the document: the
//                   report's editing of numbers, the page's address, F and P at a MER,
//                   the readings of the rows, critical MERs and the findings (Node runs
//                   it for the tests as it is);
//   page_plots.js   the X-Y plots: drawing, labels, the tooltip, saving as SVG;
//   page_table.js   everything else: errors and policy refusals recorded on the html
//                   element, the controls, the findings, the summary, the table and its
//                   pages, the numbers module; sets data-state="ready" at the end.
std::span<const PageAsset> page_scripts();

// The page's style sheet.
PageAsset page_style();

// page_numbers.wasm, byte for byte: a WebAssembly module without imports that forms F, P and
// the critical measurement error of a hypothesis row as the run does (web/page_numbers.cpp).
// Empty when the build had no emcc to make it (cmake/PageNumbers.cmake).
std::string_view page_numbers_wasm();

}  // namespace morvit
