#pragma once

#include <string_view>

namespace morvit {

// The parts of the HTML page that do not depend on the run.

// A script for the head of the page: records every script error in the attribute
// data-script-errors of the html element, where a test (or a reader with the browser's
// inspector) finds it.
std::string_view page_error_recorder();

// The page's style sheet.
std::string_view page_style();

// The page's script: the level of P, the filter by factor, and the X-Y plots drawn from
// the embedded data when a block is opened. When it has set everything up it sets
// data-state="ready" and data-plots (the number of plots drawn) on the html element.
std::string_view page_script();

}  // namespace morvit
