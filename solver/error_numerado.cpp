#include "solver/error_numerado.h"

ErrorNumerado::ErrorNumerado(NumeroError numero, std::int32_t ecuacion)
    : std::runtime_error(TextoDe(numero)), m_numero(numero), m_ecuacion(ecuacion) {}

const char* ErrorNumerado::TextoDe(NumeroError numero) noexcept {
    switch (numero) {
    case NumeroError::Desbordamiento:
        return "Error de Desbordamiento";
    case NumeroError::DivisionEntreCero:
        return "División entre cero";
    case NumeroError::TiposIncompatibles:
        return "No coinciden los tipos";
    }
    return "Error desconocido";
}
