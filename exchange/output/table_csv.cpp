#include "exchange/output/table_csv.h"

#include "exchange/output/csv_fields.h"

namespace morvit {

void write_table_csv(std::ostream& out, const RunRecord& run) {
  out << "block,names,hypothesis,SSD,DF,MSD,F,P,omitted\n";
  for (const RecordedRow& row : run.rows) {
    write_csv_text(out, row.block);
    out << ',';
    write_csv_text(out, block_names(row.block, run.names));
    out << ',';
    write_csv_text(out, row.hypothesis);
    out << ',' << csv_number(row.ssd) << ',';
    if (row.kind != RowKind::comparison) out << row.df;
    out << ',' << csv_number(row.msd) << ',' << csv_number(row.f) << ',' << csv_number(row.p);
    out << (row.printed ? ",FALSE\n" : ",TRUE\n");
  }
}

}  // namespace morvit
