#pragma once
// The one error type Veltrana raises: a numbered failure with its Spanish text.
// The numbers are the classic run-time error numbers, so a failure reads the
// same in a message box, a log or the help document.

#include <cstdint>
#include <stdexcept>
#include <string>

enum class NumeroError : int {
    Desbordamiento = 6,      // overflow, also invalid operations such as 0/0
    DivisionEntreCero = 11,  // a finite non-zero value divided by zero
    TiposIncompatibles = 13, // text that is not a number
};

class ErrorNumerado : public std::runtime_error {
public:
    // ecuacion: the 1-based equation at which a solve stopped; 0 when the
    // failure does not belong to a solve.
    explicit ErrorNumerado(NumeroError numero, std::int32_t ecuacion = 0);

    NumeroError numero() const noexcept { return m_numero; }
    int valor() const noexcept { return static_cast<int>(m_numero); }
    std::int32_t ecuacion() const noexcept { return m_ecuacion; }
    // The Spanish text of the failure, without the equation.
    const char* texto() const noexcept { return TextoDe(m_numero); }

    static const char* TextoDe(NumeroError numero) noexcept;

private:
    NumeroError m_numero;
    std::int32_t m_ecuacion;
};
