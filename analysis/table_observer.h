#pragma once

#include <cstdint>
#include <limits>
#include <string_view>

namespace morvit {

// What a row of the statistics table stands for.
enum class RowKind { baseline, necessary, sufficient, nec_and_suff, comparison };

// One row of the statistics table with the values it was edited from, at full precision.
// Fields that the row prints as hyphens hold NaN (and df 0). A row that the table leaves
// out (its partition has no weight, or its combination no distance) is passed on too,
// with printed false: ssd and df as far as they were formed, msd, f and p NaN.
struct TableRow {
  std::string_view block;  // "NONE", a factor letter or a combination's letters
  RowKind kind = RowKind::baseline;
  std::string_view hypothesis;  // "NULL ASSOC", "NECESSARY", ..., or a comparison label "A v AB"
  double ssd = 0.0;
  std::int32_t df = 0;
  double msd = 0.0;
  double f = 0.0;
  double p = 0.0;
  bool printed = true;
  // The numerator degrees of freedom that P was computed with: the partition weight itself
  // for a single factor, the rounded DF for a combination, the combination's NEC AND SUFF
  // DF for a comparison row; NaN where no P was computed (the baseline, rows left out).
  double dfn = std::numeric_limits<double>::quiet_NaN();
  // The SSD as the table summed it. A combination row prints its SSD recomputed from F
  // (ssd); F at another measurement error is formed from this one, as a run with that
  // MER forms it. NaN where no F was computed.
  double summed_ssd = std::numeric_limits<double>::quiet_NaN();
};

// Receives every row of the table in the order of the table, as it is written.
class TableObserver {
 public:
  virtual ~TableObserver() = default;
  virtual void row(const TableRow& row) = 0;
};

}  // namespace morvit
