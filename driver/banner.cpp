#include "driver/banner.h"

#include "recordio/format.h"
#include "recordio/formatted_writer.h"
#include "system/platform.h"

namespace morvit {

Stamp read_stamp() {
  const platform::LocalTime now = platform::local_time();
  return {now.month, now.day, now.year, now.hour, now.minute, now.second};
}

void write_banner(RecordSink& sink, const Stamp& stamp) {
  static const Format banner(
      "(/,1X,A51,/,1X,A,/,1X,A,/,1X,A,/,1X,A,/,"
      "1X,23HSYSTEM DATE AND TIME:  ,I2.2,1H-,I2.2,1H-,I4,4X,I2.2,1H:,I2.2,1H:,I2.2,/)");
  write_formatted(sink,
                  banner,
                  {"MORVIT, VERSION 1.00                               ",
                   "FUZZY-SET ANALYSIS OF NECESSARY AND SUFFICIENT CONDITIONS",
                   "GOODNESS-OF-FIT AND PARTITION STATISTICS ON NORMAL SCORES",
                   "WHEN CITING RESULTS, PLEASE NAME THE PROGRAM AND ITS VERSION",
                   " ",
                   stamp.month,
                   stamp.day,
                   stamp.year,
                   stamp.hour,
                   stamp.minute,
                   stamp.second});
}

void write_trailer(RecordSink& sink, const Stamp& stamp, int error_count) {
  constexpr int warning_count = 0;
  static const Format trailer(
      "(/,1X,79(1H-),/,1X,18HMORVIT FINISHED ON,2X,I2.2,1H-,I2.2,1H-,I4,2X,2HAT,2X,I2.2,1H:,I2.2,1H:,I2.2,/,/,"
      "1X,27HNUMBER OF ERRORS DETECTED =,1X,I6,/,1X,27HNUMBER OF WARNINGS ISSUED =,1X,I6,/,1X,79(1H-))");
  write_formatted(
      sink,
      trailer,
      {stamp.month, stamp.day, stamp.year, stamp.hour, stamp.minute, stamp.second, error_count, warning_count});
}

}  // namespace morvit
