#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "exchange/output/cases_csv.h"

// The cases CSV heads each column with the name behind it where the run knows one, and
// with its letter (or "outcome") where it does not, or where the name would head two
// columns alike (small and capital letters taken as one).
namespace morvit {
namespace {

struct HeaderCase {
  const char* what;
  std::string outcome;
  std::vector<std::string> factors;  // names of A, B, ... ("" for a letter)
  std::string want;                  // the header after "case,name,weight,"
};

TEST(CasesCsvHeader, NamesWhereKnownAndDistinctLettersElsewhere) {
  const HeaderCase cases[] = {
      {"no names", "", {"", ""}, "outcome,outcome_z,A,A_z,B,B_z"},
      {"every name", "SURVIVED", {"DEVELOPED", "URBAN"}, "SURVIVED,SURVIVED_z,DEVELOPED,DEVELOPED_z,URBAN,URBAN_z"},
      {"some names", "", {"", "URBAN", ""}, "outcome,outcome_z,A,A_z,URBAN,URBAN_z,C,C_z"},
      {"two factors of one name", "Y", {"GDP", "gdp", "X"}, "Y,Y_z,A,A_z,B,B_z,X,X_z"},
      {"a name like another's z-score", "Y", {"X_Z", "X"}, "Y,Y_z,A,A_z,B,B_z"},
      {"a name like a fixed column", "WEIGHT", {"Name", "CASE2"}, "outcome,outcome_z,A,A_z,CASE2,CASE2_z"},
      {"a name like a letter that gives way", "Y", {"P", "P", "A"}, "Y,Y_z,A,A_z,B,B_z,C,C_z"},
      {"a name like the outcome's fallback", "", {"OUTCOME"}, "outcome,outcome_z,A,A_z"},
      {"names with commas stay whole", "", {"A, B"}, "outcome,outcome_z,\"A, B\",\"A, B_z\""},
  };
  for (const HeaderCase& c : cases) {
    RunRecord run;
    run.factor_count = static_cast<int>(c.factors.size());
    run.names.outcome = c.outcome;
    for (std::size_t j = 0; j < c.factors.size(); ++j) run.names.factors[j] = c.factors[j];
    std::ostringstream out;
    write_cases_csv(out, run);
    EXPECT_EQ(out.str(), "case,name,weight," + c.want + "\n") << c.what;
  }
}

}  // namespace
}  // namespace morvit
