#include "solver/resolver_sistema.h"

#include "solver/error_numerado.h"

#include <cfenv>
#include <cmath>
#include <cstddef>
#include <memory>
#include <stdexcept>

namespace {

constexpr int kFallos = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

// Gives the solve flags of its own, in non-stop mode: the caller's stale flags
// must not pass for a failure of the solve, nor be lost; a failure is reported
// by the exception, not by flags left behind.
class EntornoPropio {
public:
    EntornoPropio() noexcept { std::feholdexcept(&m_llamador); }
    ~EntornoPropio() { std::fesetenv(&m_llamador); }
    EntornoPropio(const EntornoPropio&) = delete;
    EntornoPropio& operator=(const EntornoPropio&) = delete;

private:
    std::fenv_t m_llamador;
};

void Validar(std::int32_t n, const std::vector<double>& A, const std::vector<double>& B,
             const std::vector<double>& C, const std::vector<double>& D,
             const std::vector<double>& Solucion) {
    if (n < 1)
        throw std::invalid_argument("ResolverSistema: n debe ser al menos 1");
    for (const std::vector<double>* v : {&A, &B, &C, &D}) {
        if (v->size() < static_cast<std::size_t>(n))
            throw std::invalid_argument("ResolverSistema: un vector tiene menos de n elementos");
        // Re-dimensioning Solucion would wipe the coefficients before they are read.
        if (v == &Solucion)
            throw std::invalid_argument("ResolverSistema: Solucion es un vector de coeficientes");
    }
}

struct SinRevision {
    void operator()(double&, std::int32_t) const noexcept {}
};

// GCC has no FENV_ACCESS: it treats arithmetic as free of side effects and may
// move it across the status read in either direction. Two empty asm statements
// pin it. The first claims to read and rewrite the stored result in memory, so
// the statement is complete before it; both clobber memory, so the status read
// (an opaque call) stays between them, and every operand of the next statement
// (vector elements, and m, which lives in memory once the asm takes its
// address) is loaded again after the second.
struct ConRevision {
    void operator()(double& resultado, std::int32_t ecuacion) const {
        asm volatile("" : "+m"(resultado) : : "memory");
        const int fallos = std::fetestexcept(kFallos);
        asm volatile("" : : : "memory");
        if (fallos == 0)
            return;
        // A statement cannot raise both kinds: the division is always its last
        // operation, and an infinite or NaN dividend raises nothing. Should it
        // ever happen, overflow wins.
        throw ErrorNumerado((fallos & (FE_INVALID | FE_OVERFLOW)) != 0
                                ? NumeroError::Desbordamiento
                                : NumeroError::DivisionEntreCero,
                            ecuacion);
    }
};

// The statements of the elimination, in their order and with their order of
// operations, so that both ways of checking compute the same bits. Index i
// holds equation i + 1. Beta and Gamma are left uninitialised: every element
// is written before it is read.
template <class Revisar>
void Eliminar(std::int32_t n, const double* A, const double* B, const double* C, const double* D,
              double* x, Revisar revisar) {
    const auto tam = static_cast<std::size_t>(n);
    const auto Beta = std::make_unique_for_overwrite<double[]>(tam);
    const auto Gamma = std::make_unique_for_overwrite<double[]>(tam);

    Beta[0] = B[0];
    Gamma[0] = D[0];
    for (std::int32_t i = 1; i < n; ++i) {
        double m = A[i] / Beta[i - 1];
        revisar(m, i + 1);
        Beta[i] = B[i] - m * C[i - 1];
        revisar(Beta[i], i + 1);
        Gamma[i] = D[i] - m * Gamma[i - 1];
        revisar(Gamma[i], i + 1);
    }
    // A Solucion element receives its value only once the value passed its
    // check: after a failure the failing element is still zero.
    double xk = Gamma[n - 1] / Beta[n - 1];
    revisar(xk, n);
    x[n - 1] = xk;
    for (std::int32_t k = n - 2; k >= 0; --k) {
        xk = (Gamma[k] - C[k] * x[k + 1]) / Beta[k];
        revisar(xk, k + 1);
        x[k] = xk;
    }
}

} // namespace

void ResolverSistema(std::int32_t n, const std::vector<double>& A, const std::vector<double>& B,
                     const std::vector<double>& C, const std::vector<double>& D,
                     std::vector<double>& Solucion) {
    Validar(n, A, B, C, D, Solucion);
    Solucion.assign(static_cast<std::size_t>(n), 0.0);
    // Unchecked pass, then one look at the status. The look cannot move: every
    // result ends up in a Solucion element, and the caller's memory can be
    // neither loaded before nor stored after an opaque call.
    const auto pasadaLimpia = [&] {
        Eliminar(n, A.data(), B.data(), C.data(), D.data(), Solucion.data(), SinRevision{});
        // A product of two NaNs takes the payload of whichever operand the
        // compiler put first, and the two passes order them differently. A NaN
        // anywhere reaches Solucion(1), so the replay settles those as well.
        return std::fetestexcept(kFallos) == 0 && !std::isnan(Solucion[0]);
    };
    bool limpia = false;
    // Saving and restoring the environment costs more than a small solve, so
    // the usual case, a caller without failure flags, skips it.
    if (std::fetestexcept(kFallos) == 0) {
        limpia = pasadaLimpia();
        if (!limpia)
            std::feclearexcept(kFallos); // ours, not the caller's
    } else {
        EntornoPropio entorno;
        limpia = pasadaLimpia();
    }
    // Replay from the start to find where it failed, and leave Solucion exactly
    // as a statement-by-statement solve would.
    if (!limpia)
        ResolverSistemaPasoAPaso(n, A, B, C, D, Solucion);
}

void ResolverSistemaPasoAPaso(std::int32_t n, const std::vector<double>& A,
                              const std::vector<double>& B, const std::vector<double>& C,
                              const std::vector<double>& D, std::vector<double>& Solucion) {
    Validar(n, A, B, C, D, Solucion);
    Solucion.assign(static_cast<std::size_t>(n), 0.0);
    EntornoPropio entorno;
    Eliminar(n, A.data(), B.data(), C.data(), D.data(), Solucion.data(), ConRevision{});
}
