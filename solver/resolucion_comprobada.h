#pragma once
// The solve the program runs: the elimination of ResolverSistema, its answer
// checked against the system, and Gaussian elimination with partial
// pivoting (LAPACK) where the elimination without pivoting falls short. Every
// answer comes with how far it can be trusted.

#include "solver/error_numerado.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

enum class Metodo { SinPivoteo, PivoteoParcial };

// Why a system gets no answer.
enum class Rechazo {
    Ninguno,
    Singular,       // a pivot of the pivoted elimination is exactly zero
    CasiSingular,   // singular to working precision: the error bound leaves no
                    // digit of the answer to trust, or no answer passes the check
    Desbordamiento, // the computation leaves the range of the doubles
};

// Why a system was refused, for the user (UTF-8); empty for Ninguno.
const char* TextoDelRechazo(Rechazo rechazo);

struct InformeResolucion {
    Rechazo rechazo = Rechazo::Ninguno;
    Metodo metodo = Metodo::SinPivoteo;
    // Why the elimination without pivoting did not do: the failure that
    // stopped it, at that equation, or else its answer's backward error.
    std::optional<NumeroError> falloSinPivoteo;
    std::int32_t ecuacionDelFallo = 0;
    double errorSinPivoteo = 0;
    // Of the answer given: its componentwise relative backward error
    // (ErrorHaciaAtras), and a bound on its error, ‖Solucion − x‖∞ ≤
    // cotaError · ‖Solucion‖∞ with x the exact solution (LAPACK's estimate
    // of the bound of its dgtrfs).
    double errorHaciaAtras = 0;
    double cotaError = 0;

    // The significant digits of the largest unknown that the bound
    // guarantees, 0 to 15 (the program shows at most 15).
    int CifrasConfiables() const;
};

// The elimination's answer is taken when its backward error is at most this
// (see resolucion_comprobada.cpp for the choice).
extern const double kErrorHaciaAtrasAceptable;

// Oettli–Prager: the largest over i of |D(i) − A(i)x(i−1) − B(i)x(i) −
// C(i)x(i+1)| / (|A(i)x(i−1)| + |B(i)x(i)| + |C(i)x(i+1)| + |D(i)|), a row
// whose terms are all zero counting 0. The smallest relative change of the
// coefficients that makes x an exact solution.
double ErrorHaciaAtras(std::int32_t n, const std::vector<double>& A, const std::vector<double>& B,
                       const std::vector<double>& C, const std::vector<double>& D,
                       const std::vector<double>& x);

// Solves as ResolverSistema does and keeps that answer, bit for bit, when its
// backward error is acceptable; otherwise, or when the elimination stops,
// answers by partial pivoting if that answer passes the same check. A
// refused system leaves Solucion with n zeros. Same arguments, and same
// std::invalid_argument, as ResolverSistema; no ErrorNumerado escapes.
//
// The error bound of an answer takes several solves with the factors. It is
// worked out on another thread while mientrasSeAcota, when given, runs on
// this one with the answer the bound is for: the caller's own work on the
// answer (writing it out, say) costs no extra time. The answer given is the
// last one passed to it.
InformeResolucion
ResolverComprobado(std::int32_t n, const std::vector<double>& A, const std::vector<double>& B,
                   const std::vector<double>& C, const std::vector<double>& D,
                   std::vector<double>& Solucion,
                   const std::function<void(const std::vector<double>&)>& mientrasSeAcota = {});
