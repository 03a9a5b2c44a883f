#pragma once
// The numerical core: Thomas elimination (forward sweep, back substitution, no
// pivoting) of the tridiagonal system
//   A(i)·x(i−1) + B(i)·x(i) + C(i)·x(i+1) = D(i),  i = 1 … n.
// Element i−1 of each vector holds index i; A(1) and C(n) are never read.

#include <cstdint>
#include <vector>

// Re-dimensions Solucion to n zeros, then solves. Every arithmetic statement is
// checked for invalid operation, division by zero and overflow; the first one
// that raises any of them ends the solve with ErrorNumerado:
//   DivisionEntreCero  a finite non-zero value divided by zero;
//   Desbordamiento     overflow or invalid operation (0/0, ∞−∞, a signalling NaN).
// ecuacion() is i for the statements of forward step i and k for the statement
// that computes Solucion(k). After a failure Solucion holds what the earlier
// statements stored and zeros elsewhere. Underflow and inexact results are not
// failures; quiet NaNs and infinities already in the data raise nothing and so
// pass through. On return, normal or not, the caller's floating-point flags
// are still raised, and no failure flag the caller had not raised is (inexact
// and underflow may be, as by any arithmetic). Expects floating-point traps
// off, the default.
// Throws std::invalid_argument, leaving Solucion untouched, if n < 1, a
// coefficient vector holds fewer than n elements, or Solucion is one of them.
void ResolverSistema(std::int32_t n, const std::vector<double>& A, const std::vector<double>& B,
                     const std::vector<double>& C, const std::vector<double>& D,
                     std::vector<double>& Solucion);

// The same contract and bit-identical results, reached by reading the status
// after every statement instead of once at the end, and slower for it. Works
// with traps on as well.
// ResolverSistema falls back on it to locate a failure; tests and benchmarks
// use it as the reference. The program itself has no reason to call it.
void ResolverSistemaPasoAPaso(std::int32_t n, const std::vector<double>& A,
                              const std::vector<double>& B, const std::vector<double>& C,
                              const std::vector<double>& D, std::vector<double>& Solucion);
