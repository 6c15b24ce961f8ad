#pragma once

#include <Rcpp.h>

#include <string>
#include <vector>

// How a column of an output CSV becomes an R vector.
enum class ColumnKind { number, text, logical };

// Reads a CSV file that a run wrote (the table CSV, the cases CSV) into a data frame, with
// the project's own CSV reader. Numbers are read exactly, as the double nearest to their
// text (R's own reader may miss it by a unit in the last place for texts of 15 digits and
// more, and the shortest texts of the outputs have up to 17): the shortest text of a
// double gives that very double. "Inf" and "-Inf" are infinities; an empty field is NA in
// every kind of column. `kinds` gives the kind of the first columns; the others are numbers.
Rcpp::List read_exchange_csv(const std::string& path, const std::vector<ColumnKind>& kinds);

// The whole file as it is; an empty text when it cannot be read.
std::string read_text_file(const std::string& path);

// An R string of `text`: marked as UTF-8 when it is valid UTF-8, as native text otherwise.
SEXP r_string(const std::string& text);
