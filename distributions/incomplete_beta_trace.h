#pragma once

// bratio with a record of the evaluation methods that it used, so that tests
// can tell which of the seven methods a set of arguments reaches.

namespace morvit {

// The number of calls of each evaluation method during one bratio call.
struct MethodTrace {
  int bpser = 0;
  int bup = 0;
  int bfrac = 0;
  int bgrat = 0;
  int basym = 0;
  int apser = 0;
  int fpser = 0;
};

// bratio; when trace is not null, every method call is counted into it
// (the counts are added to what trace already holds).
void bratio_traced(double a, double b, double x, double y, double& w, double& w1, int& ierr, MethodTrace* trace);

}  // namespace morvit
