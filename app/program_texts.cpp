#include "app/program_texts.h"

#include "analysis/partition_sweep.h"

namespace morvit {

std::string usage_text() {
  return "Usage: morvit [OPTION]... COMMAND-FILE\n"
         "       morvit --make-command-file DATA.csv --outcome NAME --factors NAME,... [OPTION]...\n"
         "Try 'morvit --help' for more information.\n";
}

std::string help_text() {
  return "Usage: morvit [OPTION]... COMMAND-FILE\n"
         "       morvit --make-command-file DATA.csv --outcome NAME --factors NAME,... [OPTION]...\n"
         "\n"
         "Tests whether conditions are necessary, sufficient or both for an outcome, from the\n"
         "fuzzy-set memberships in COMMAND-FILE, and writes the report to morvit.out in the\n"
         "working directory (or to the file that an OUT command names). A COMMAND-FILE\n"
         "of - is read from standard input.\n"
         "\n"
         "Options (before the command-file name):\n"
         "  -h, --help           print this help and exit\n"
         "      --version        print the version and how the program was built, and exit\n"
         "  -q, --quiet          print no warnings on standard error\n"
         "      --strict         end with status 3 when the report counts errors or the\n"
         "                       run met warnings, or the command file cannot be opened\n"
         "      --table-csv FILE also write every row of the table to FILE as CSV\n"
         "      --cases-csv FILE also write every case's scores and z-scores to FILE as CSV\n"
         "      --html FILE      also write the report as an HTML page with X-Y plots to FILE\n"
         "      --names LIST     the column names behind the factor letters, comma-separated:\n"
         "                       one for each factor, in letter order (not the outcome's)\n"
         "      --level P        the level of P of the critical measurement error in the\n"
         "                       table CSV (0 < P < 1; default 0.05)\n"
         "  --                   end of options: the next argument is the command file\n"
         "\n"
         "Making a command file from a CSV file (written to standard output or to -o FILE):\n"
         "      --make-command-file DATA.csv  the CSV file with a header row\n"
         "      --outcome NAME       the column of the outcome\n"
         "      --factors N1,N2,...  the columns of the factors (at most 10)\n"
         "      --calibrate NAME=E,C,I  calibrate a column's raw values by the direct method:\n"
         "                           exclusion, crossover and inclusion thresholds\n"
         "                           (E > C > I: a decreasing set, with a warning); once\n"
         "                           for each column\n"
         "      --set NAME=EXPR      a set made of columns (after calibration) and earlier\n"
         "                           sets, for --outcome and --factors: ~X is 1 - x, X*Y\n"
         "                           the smaller, X+Y the larger membership, (...) groups;\n"
         "                           ~ binds tightest, then *, then +; once for each set\n"
         "      --weights NAME       the column of the case weights\n"
         "      --cases NAME         the column of the case names\n"
         "      --mer X              measurement error factor (0 to 999.999999)\n"
         "      --dam X              damping factor for the z-scores (0 to below 0.5)\n"
         "      --title TEXT         a comment line at the top\n"
         "      --separator C        the field separator (default: detected)\n"
         "      --encoding E         utf-8 or windows-1252 (default: UTF-8, and text that\n"
         "                           is not UTF-8 as Windows-1252, with a warning)\n"
         "      --drop-missing       leave out cases with a missing value\n"
         "  -o FILE                  write the command file to FILE, and beside it FILE.cases\n"
         "                           with the case names and the CSV file's identity\n"
         "  ~NAME in --outcome or --factors: the negation of the set, 1 minus the membership\n"
         "\n"
         "Exit status:\n"
         "  0  the run reached its end (also after an error reported in morvit.out)\n"
         "  1  the run was interrupted or terminated\n"
         "  2  a fatal stop (a report file that cannot be opened or written, a character that\n"
         "     a command's numeric field does not allow, no memory), a usage error, or an\n"
         "     output beside the report that could not be written: outputs are replaced\n"
         "     only where you could write them, and all of them or none (the old files stay)\n"
         "  3  with --strict: the run reached its end with errors or warnings, or its\n"
         "     command file cannot be opened\n"
         "\n"
         "Documentation: man morvit; docs/command-file.md and docs/reading-the-report.md;\n"
         "docs/data-exchange.md: CSV files in (calibration, negation, derived sets), CSV\n"
         "and HTML out\n"
         "(all installed under share/doc/morvit).\n";
}

std::string version_text() {
  return std::string("MORVIT, version 1.00\n") +
         "Licence: MIT (see the file LICENSE).\n"
         "Built with " MORVIT_COMPILER " for " MORVIT_SYSTEM "; analysis: " +
         sweep_variant_name() + ".\n";
}

}  // namespace morvit
