#include <cmath>

#include "distributions/elementary_functions.h"
#include "distributions/gamma_support.h"
#include "distributions/stirling_constants.h"

namespace morvit {

double gamln1(double a) {
  constexpr double p0 = 0.577215664901533e+00;
  constexpr double p1 = 0.844203922187225e+00;
  constexpr double p2 = -0.168860593646662e+00;
  constexpr double p3 = -0.780427615533591e+00;
  constexpr double p4 = -0.402055799310489e+00;
  constexpr double p5 = -0.673562214325671e-01;
  constexpr double p6 = -0.271935708322958e-02;
  constexpr double q1 = 0.288743195473681e+01;
  constexpr double q2 = 0.312755088914843e+01;
  constexpr double q3 = 0.156875193295039e+01;
  constexpr double q4 = 0.361951990101499e+00;
  constexpr double q5 = 0.325038868253937e-01;
  constexpr double q6 = 0.667465618796164e-03;
  constexpr double r0 = 0.422784335098467e+00;
  constexpr double r1 = 0.848044614534529e+00;
  constexpr double r2 = 0.565221050691933e+00;
  constexpr double r3 = 0.156513060486551e+00;
  constexpr double r4 = 0.170502484022650e-01;
  constexpr double r5 = 0.497958207639485e-03;
  constexpr double s1 = 0.124313399877507e+01;
  constexpr double s2 = 0.548042109832463e+00;
  constexpr double s3 = 0.101552187439830e+00;
  constexpr double s4 = 0.713309612391000e-02;
  constexpr double s5 = 0.116165475989616e-03;

  if (a < 0.6) {
    const double w = ((((((p6 * a + p5) * a + p4) * a + p3) * a + p2) * a + p1) * a + p0) /
                     ((((((q6 * a + q5) * a + q4) * a + q3) * a + q2) * a + q1) * a + 1.0);
    return -a * w;
  }
  const double x = (a - 0.5) - 0.5;
  const double w = (((((r5 * x + r4) * x + r3) * x + r2) * x + r1) * x + r0) /
                   (((((s5 * x + s4) * x + s3) * x + s2) * x + s1) * x + 1.0);
  return x * w;
}

double gam1(double a) {
  constexpr double p[7] = {0.577215664901533e+00,
                           -0.409078193005776e+00,
                           -0.230975380857675e+00,
                           0.597275330452234e-01,
                           0.766968181649490e-02,
                           -0.514889771323592e-02,
                           0.589597428611429e-03};
  // q[0] = 1 is part of the published table; the denominator uses the
  // literal 1 as its constant term.
  constexpr double q[5] = {0.100000000000000e+01,
                           0.427569613095214e+00,
                           0.158451672430138e+00,
                           0.261132021441447e-01,
                           0.423244297896961e-02};
  constexpr double r[9] = {-0.422784335098468e+00,
                           -0.771330383816272e+00,
                           -0.244757765222226e+00,
                           0.118378989872749e+00,
                           0.930357293360349e-03,
                           -0.118290993445146e-01,
                           0.223047661158249e-02,
                           0.266505979058923e-03,
                           -0.132674909766242e-03};
  constexpr double s1 = 0.273076135303957e+00;
  constexpr double s2 = 0.559398236957378e-01;

  double t = a;
  const double d = a - 0.5;
  if (d > 0.0) {
    t = d - 0.5;
  }
  if (t == 0.0) {
    return 0.0;
  }
  if (t > 0.0) {
    const double top = (((((p[6] * t + p[5]) * t + p[4]) * t + p[3]) * t + p[2]) * t + p[1]) * t + p[0];
    const double bot = (((q[4] * t + q[3]) * t + q[2]) * t + q[1]) * t + 1.0;
    const double w = top / bot;
    if (d > 0.0) {
      return (t / a) * ((w - 0.5) - 0.5);
    }
    return a * w;
  }
  const double top =
      (((((((r[8] * t + r[7]) * t + r[6]) * t + r[5]) * t + r[4]) * t + r[3]) * t + r[2]) * t + r[1]) * t + r[0];
  const double bot = (s2 * t + s1) * t + 1.0;
  const double w = top / bot;
  if (d > 0.0) {
    return t * w / a;
  }
  return a * ((w + 0.5) + 0.5);
}

double reciprocal_gamma_of_one_plus(double s) {
  if (s <= 1.0) {
    return 1.0 + gam1(s);
  }
  return (1.0 + gam1(s - 1.0)) / s;
}

double gamln(double a) {
  constexpr double d = 0.418938533204673e+00;  // 0.5 (ln(2 pi) - 1)
  using stirling::c0, stirling::c1, stirling::c2, stirling::c3, stirling::c4, stirling::c5;

  if (a <= 0.8) {
    return gamln1(a) - std::log(a);
  }
  if (a <= 2.25) {
    return gamln1((a - 0.5) - 0.5);
  }
  if (a < 10.0) {
    // Gamma(a) = (a - 1)(a - 2)...(t) Gamma(t), stepping t down into (1.25, 2.25].
    const int n = static_cast<int>(a - 1.25);
    double t = a;
    double w = 1.0;
    for (int i = 0; i < n; ++i) {
      t -= 1.0;
      w = t * w;
    }
    return gamln1(t - 1.0) + std::log(w);
  }
  // Stirling's series.
  const double t = std::pow(1.0 / a, 2.0);
  const double w = (((((c5 * t + c4) * t + c3) * t + c2) * t + c1) * t + c0) / a;
  return (d + w) + (a - 0.5) * (std::log(a) - 1.0);
}

double gsumln(double a, double b) {
  const double x = a + b - 2.0;
  if (x <= 0.25) {
    return gamln1(1.0 + x);
  }
  if (x <= 1.25) {
    return gamln1(x) + alnrel(x);
  }
  return gamln1(x - 1.0) + std::log(x * (1.0 + x));
}

}  // namespace morvit
