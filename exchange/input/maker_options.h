#pragma once

#include <optional>
#include <string>
#include <vector>

namespace morvit {

// --calibrate NAME=E,C,I as given: the column and the text of its thresholds, which the
// maker reads and checks (its messages name the column).
struct CalibrateOption {
  std::string column;
  std::string thresholds;
};

// --set NAME=EXPRESSION as given: a set made of columns and earlier sets
// (exchange/input/set_expression.h), which the maker reads against the header.
struct SetOption {
  std::string name;
  std::string expression;
};

// How the bytes of the CSV file are read as text.
enum class TextEncoding {
  detected,      // UTF-8, or Windows-1252 (with a warning) when the text is not valid UTF-8
  utf8,          // --encoding utf-8: text that is not valid UTF-8 is refused
  windows_1252,  // --encoding windows-1252
};

// What `morvit --make-command-file` is asked to do.
struct MakerOptions {
  std::string data_file;                           // the CSV file; "-" for standard input
  std::string outcome;                             // --outcome NAME; ~NAME for the negation
  std::vector<std::string> factors;                // --factors N1,N2,...; ~NAME for the negation
  std::vector<CalibrateOption> calibrations;       // --calibrate NAME=E,C,I, in the order given
  std::vector<SetOption> sets;                     // --set NAME=EXPRESSION, in the order given
  std::string weights;                             // --weights NAME (empty: every weight 1)
  std::string cases;                               // --cases NAME (empty: no case names)
  std::optional<double> mer;                       // --mer X
  std::optional<double> dam;                       // --dam X
  std::string title;                               // --title TEXT
  char separator = 0;                              // --separator C; 0: detected from the header line
  bool drop_missing = false;                       // --drop-missing
  TextEncoding encoding = TextEncoding::detected;  // --encoding
  std::string output;                              // -o FILE (empty: standard output)
};

}  // namespace morvit
