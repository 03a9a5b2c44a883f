#pragma once
// The simplest form of a number, and the most common by far: an optional
// '-', ASCII digits and at most one decimal separator, with no blanks,
// grouping or exponent. It is how the program writes numbers in the grid,
// and how most are typed.
//
// While the digits make an integer below 2^53, a double holds it exactly, and
// one division by an exact power of ten rounds it correctly: the same double
// std::from_chars gives, without its parsing. That covers 15 significant
// digits, all that the grid shows; a whole system pasted reads 131 064 of
// them, so the loop only sorts and accumulates. Files are left to
// std::from_chars: other programs write 17 digits, and a scan that finds
// too many would be wasted.

#include <array>
#include <cfloat>
#include <cstdint>
#include <optional>

// The powers of ten that a double holds exactly.
inline constexpr auto kPotenciasExactas = [] {
    std::array<double, 23> potencias{};
    potencias[0] = 1;
    for (std::size_t i = 1; i < potencias.size(); ++i)
        potencias[i] = potencias[i - 1] * 10;
    return potencias;
}();

template <typename Caracter> struct DecimalLeido {
    double valor;
    const Caracter* fin; // the first character after the number
};

// The number at the start of [p, fin), read up to the first character that
// cannot continue it. std::nullopt when there is no digit there, or when the
// form holds a number that this reading cannot give exactly (too many digits
// or decimals): std::from_chars reads those.
template <typename Caracter>
std::optional<DecimalLeido<Caracter>> LeerDecimalSencillo(const Caracter* p, const Caracter* fin,
                                                          Caracter decimal) {
    const bool negativo = p != fin && *p == Caracter('-');
    p += negativo;
    const Caracter* const inicio = p;
    const Caracter* separador = nullptr;
    std::uint64_t entero = 0; // wraps past 19 digits, and is then not used
    for (; p != fin; ++p) {
        if (const auto d = static_cast<std::uint32_t>(*p) - std::uint32_t('0'); d <= 9)
            entero = entero * 10 + d;
        else if (*p == decimal && separador == nullptr)
            separador = p;
        else
            break;
    }
    const auto digitos = (p - inicio) - (separador != nullptr);
    const auto decimales = separador == nullptr ? 0 : p - separador - 1;
    if (digitos == 0 || digitos > 19 || entero >= (std::uint64_t(1) << 53) ||
        std::size_t(decimales) >= kPotenciasExactas.size() || FLT_EVAL_METHOD != 0)
        return std::nullopt;
    const double valor = double(entero) / kPotenciasExactas[std::size_t(decimales)];
    return DecimalLeido<Caracter>{negativo ? -valor : valor, p};
}
