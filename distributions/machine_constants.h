#pragma once

// Machine constants of the IEEE double arithmetic that the incomplete beta
// and gamma routines are tuned for (DCDFLIB ipmpar, spmpar, exparg).

namespace morvit {

// Integer machine constants, IEEE arithmetic with 32-bit integers:
//   1 base of integer arithmetic (2)      6 smallest exponent, single (-125)
//   2 integer digits, sign excluded (31)  7 largest exponent, single (128)
//   3 largest integer (2147483647)        8 mantissa digits, double (53)
//   4 floating-point base (2)             9 smallest exponent, double (-1021)
//   5 mantissa digits, single (24)       10 largest exponent, double (1024)
// Any other i returns 0.
int ipmpar(int i);

// i <= 1: relative machine precision 2^-52; i = 2: smallest normal double
// 2^-1022; i >= 3: largest double (1 - 2^-53) 2^1024.
double spmpar(int i);

// l = 0: the largest w for which exp(w) is finite (709.7756150662599);
// otherwise the most negative w for which exp(w) is a normal number
// (-708.3893345680835). Both are 0.99999 times the exact bound.
double exparg(int l);

}  // namespace morvit
