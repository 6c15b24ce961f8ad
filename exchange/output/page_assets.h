#pragma once

#include <string_view>

namespace morvit {

// The parts of the HTML page that do not depend on the run: page.js and page.css of this
// folder, embedded byte for byte at build time (embed_page_assets.cmake), with the hashes
// that the page's Content-Security-Policy allows them by. The hashes are computed by CMake
// from the same bytes, so they always match what the page holds.

// The page's script: records script errors and policy violations in attributes of the html
// element (data-script-errors, data-csp-violations), then builds the page's interactive
// parts from the embedded data and sets data-state="ready".
std::string_view page_script();

// The page's style sheet.
std::string_view page_style();

// "sha256-BASE64" of the script and of the style sheet, as a CSP source expression wants.
std::string_view page_script_hash();
std::string_view page_style_hash();

// page_numbers.wasm, byte for byte: a WebAssembly module without imports that forms F, P and
// the critical measurement error of a hypothesis row as the run does (web/page_numbers.cpp).
// Empty when the build had no emcc to make it (cmake/PageNumbers.cmake).
std::string_view page_numbers_wasm();

}  // namespace morvit
