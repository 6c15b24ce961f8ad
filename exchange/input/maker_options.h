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

// What `morvit --make-command-file` is asked to do.
struct MakerOptions {
  std::string data_file;             // the CSV file; "-" for standard input
  std::string outcome;               // --outcome NAME; ~NAME for the negation
  std::vector<std::string> factors;  // --factors N1,N2,...; ~NAME for the negation
  std::vector<CalibrateOption> calibrations;  // --calibrate NAME=E,C,I, in the order given
  std::string weights;               // --weights NAME (empty: every weight 1)
  std::string cases;                 // --cases NAME (empty: no case names)
  std::optional<double> mer;         // --mer X
  std::optional<double> dam;         // --dam X
  std::string title;                 // --title TEXT
  char separator = 0;                // --separator C; 0: detected from the header line
  bool drop_missing = false;         // --drop-missing
  std::string output;                // -o FILE (empty: standard output)
};

}  // namespace morvit
