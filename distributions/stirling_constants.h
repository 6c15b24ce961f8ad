#pragma once

// Coefficients of the Stirling remainder series
// del(a) = (c0 + c1 t + c2 t^2 + c3 t^3 + c4 t^4 + c5 t^5) / a, t = (1 / a)^2,
// shared by gamln, algdiv and bcorr (each published routine carries the same copy).
namespace morvit::stirling {

inline constexpr double c0 = 0.833333333333333e-01;
inline constexpr double c1 = -0.277777777760991e-02;
inline constexpr double c2 = 0.793650666825390e-03;
inline constexpr double c3 = -0.595202931351870e-03;
inline constexpr double c4 = 0.837308034031215e-03;
inline constexpr double c5 = -0.165322962780713e-02;

}  // namespace morvit::stirling
