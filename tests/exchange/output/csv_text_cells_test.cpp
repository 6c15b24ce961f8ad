#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "exchange/output/cases_csv.h"
#include "exchange/output/table_csv.h"

// Text that a spreadsheet would run as a formula (a name beginning with =, +, -, @, a tab or a
// carriage return) is written with an apostrophe in front, in both CSV files; numbers never
// are, negative ones included.
namespace morvit {
namespace {

TEST(CsvTextCells, FormulasBecomeTextAndNumbersStayNumbers) {
  RunRecord run;
  run.factor_count = 1;
  run.case_count = 3;
  run.names.outcome = "+Y";
  run.names.factors[0] = "=HYPERLINK(\"http://x\",\"a\")";
  run.case_names = {"@SUM(1)", "-2", "\tx,\r"};
  run.x = {-0.5, 0.25, 1.5, 0.1, 0.2, 0.3};
  run.z = {-1, 0, 1, -2, 0.5, 2};
  run.w = {1, -1, 2};
  std::ostringstream cases;
  write_cases_csv(cases, run);
  EXPECT_EQ(cases.str(),
            "case,name,weight,'+Y,'+Y_z,\"'=HYPERLINK(\"\"http://x\"\",\"\"a\"\")\",\"'=HYPERLINK(\"\"http://"
            "x\"\",\"\"a\"\")_z\"\n"
            "1,'@SUM(1),1,-0.5,-1,0.1,-2\n"
            "2,'-2,-1,0.25,0,0.2,0.5\n"
            "3,\"'\tx,\r\",2,1.5,1,0.3,2\n");
  RecordedRow row;
  row.block = "A";
  row.kind = RowKind::necessary;
  row.hypothesis = "NECESSARY";
  row.ssd = -0.5;
  row.df = 1;
  run.rows = {row};
  std::ostringstream table;
  write_table_csv(table, run);
  EXPECT_NE(table.str().find("\nA,\"'=HYPERLINK(\"\"http://x\"\",\"\"a\"\")\",NECESSARY,-0.5,1,"), std::string::npos)
      << table.str();
}

}  // namespace
}  // namespace morvit
