#include "exchange/output/table_csv.h"

#include <initializer_list>

#include "exchange/output/csv_fields.h"
#include "exchange/output/row_assessment.h"

namespace morvit {

void write_table_csv(std::ostream& out, const RunRecord& run) {
  out << "block,names,hypothesis,SSD,DF,MSD,F,P,omitted,"
         "cases_against,critical_mer,cons_suf,cov_suf,pri,cons_nec,cov_nec,ron,coincidence\n";
  for (const RecordedRow& row : run.rows) {
    write_csv_text(out, row.block);
    out << ',';
    write_csv_text(out, block_names(row.block, run.names));
    out << ',';
    write_csv_text(out, row.hypothesis);
    out << ',' << csv_number(row.ssd) << ',';
    if (row.kind != RowKind::comparison) out << row.df;
    out << ',' << csv_number(row.msd) << ',' << csv_number(row.f) << ',' << csv_number(row.p);
    out << (row.printed ? ",FALSE," : ",TRUE,");
    if (row.cases_against >= 0) out << row.cases_against;
    out << ',' << csv_number(critical_mer_at_level(row, run));
    const FitMeasures& fit = row.fit;
    for (const double measure :
         {fit.cons_suf, fit.cov_suf, fit.pri, fit.cons_nec, fit.cov_nec, fit.ron, fit.coincidence}) {
      out << ',' << csv_number(measure);
    }
    out << '\n';
  }
}

}  // namespace morvit
