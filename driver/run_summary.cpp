#include "driver/run_summary.h"

#include "recordio/format.h"
#include "recordio/formatted_writer.h"
#include "recordio/free_form_writer.h"

namespace morvit {

void write_run_summary(RunContext& run, std::int32_t df, double msd) {
  static const Format rule("(1X,77(1H-))");
  static const Format count_line("(1X,A32,I10)");
  static const Format value_line("(1X,A32,F10.6)");
  RecordSink& report = run.report;
  write_formatted(report, rule, {});
  write_free_form(report, {" "});
  write_formatted(report, count_line, {"NUMBER OF CASES:                ", run.settings.case_count});
  write_formatted(report, count_line, {"NUMBER OF FACTORS:              ", run.settings.factor_count});
  write_formatted(report, count_line, {"DENOMINATOR DEGREES OF FREEDOM: ", df});
  write_formatted(report, value_line, {"MEASUREMENT ERROR FACTOR:       ", run.settings.measurement_error});
  write_formatted(report, value_line, {"EXPECTED MEAN SQUARE DISTANCE:  ", msd});
  write_formatted(report, value_line, {"DAMPING FACTOR FOR Z SCORES:    ", run.settings.damping_factor});
  write_free_form(report, {" "});
  write_formatted(report, rule, {});
  write_free_form(report, {" "});
}

}  // namespace morvit
