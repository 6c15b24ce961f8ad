#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/morvit_process.h"

// The names as the user wrote them, from the CSV file through the side file to the CSVs.
namespace morvit {
namespace {

using testing::run_morvit;
using testing::WorkDir;
using Args = std::vector<std::string>;

// The CSVs show the names as the CSV file spells them (the report keeps its capitals), where
// the comments still give those names; --names gives them as listed.
TEST(NamesAsWritten, ReachTheTableAndTheCasesCsv) {
  const std::string lower = "jsr,HorG,supranat,C\n0.5,0.25,0.7,0.1\n0.9,0.8,0.3,0.6\n0.2,0.3,0.3,0.95\n";
  struct Case {
    std::string what;
    std::string csv;
    Args maker;
    std::string edit_from, edit_to;       // a change to the made command file
    Args run;                             // options of the run
    std::vector<std::string> table_rows;  // beginnings of lines of the table CSV
    std::string cases_header;
  };
  const std::vector<Case> cases = {
      {"small letters",
       lower,
       {"--outcome", "jsr", "--factors", "HorG,supranat,~c"},
       "",
       "",
       {},
       {"A,HorG,NECESSARY,", "AB,HorG*supranat,SUFFICIENT,", "C,~C,NECESSARY,"},
       "case,name,weight,jsr,jsr_z,HorG,HorG_z,supranat,supranat_z,~C,~C_z"},
      {"a comment edited after making",
       lower,
       {"--outcome", "jsr", "--factors", "HorG,supranat"},
       "A = HorG",
       "A = Wealth",
       {},
       {"AB,WEALTH*supranat,SUFFICIENT,"},
       "case,name,weight,jsr,jsr_z,WEALTH,WEALTH_z,supranat,supranat_z"},
      {"--names",
       lower,
       {"--outcome", "jsr", "--factors", "HorG,supranat"},
       "",
       "",
       {"--names", "Horg, Supra"},
       {"AB,Horg*Supra,SUFFICIENT,"},
       "case,name,weight,jsr,jsr_z,Horg,Horg_z,Supra,Supra_z"},
      {"one-letter columns",
       "y,C,P,N,R\n0.5,0.1,0.2,0.3,0.4\n0.9,0.8,0.3,0.6,0.7\n",
       {"--outcome", "y", "--factors", "C,P,N,R"},
       "",
       "",
       {},
       {"C,N,NECESSARY,", "AC,C*N,A v AC,"},
       "case,name,weight,y,y_z,C,C_z,P,P_z,N,N_z,R,R_z"},
      {"Windows-1252 names",
       "Land;Demokratie;\xC4hnlich\n\xD6sterreich;0,2;0,8\nSchweiz;0,9;0,95\n",
       {"--outcome", "demokratie", "--factors", "\xC3\x84hnlich", "--cases", "land"},
       "",
       "",
       {},
       {"A,\xC3\x84hnlich,NECESSARY,"},
       "case,name,weight,Demokratie,Demokratie_z,\xC3\x84hnlich,\xC3\x84hnlich_z\n1,\xC3\x96sterreich,"},
  };
  for (const Case& c : cases) {
    WorkDir dir;
    dir.write("data.csv", c.csv);
    Args maker = {"--make-command-file", "data.csv", "-o", "run.cmd"};
    maker.insert(maker.end(), c.maker.begin(), c.maker.end());
    ASSERT_EQ(run_morvit(dir, maker).status, 0) << c.what;
    if (!c.edit_from.empty()) {
      std::string text = dir.read("run.cmd");
      text.replace(text.find(c.edit_from), c.edit_from.size(), c.edit_to);
      dir.write("run.cmd", text);
    }
    Args run = {"--table-csv", "t.csv", "--cases-csv", "c.csv"};
    run.insert(run.end(), c.run.begin(), c.run.end());
    run.push_back("run.cmd");
    const auto result = run_morvit(dir, run);
    EXPECT_EQ(result.status, 0) << c.what;
    EXPECT_EQ(result.err, "") << c.what;
    const std::string table = dir.read("t.csv");
    for (const std::string& row : c.table_rows)
      EXPECT_NE(table.find("\n" + row), std::string::npos) << c.what << ": " << row;
    EXPECT_TRUE(dir.read("c.csv").starts_with(c.cases_header)) << c.what << "\n" << dir.read("c.csv");
    // The report shows the comments in capitals, whatever the CSVs show.
    const std::string report = dir.read("morvit.out");
    EXPECT_EQ(report.find("supranat"), std::string::npos) << c.what;
  }
}

}  // namespace
}  // namespace morvit
