// Numbers read from what the user typed, in the locale's decimal form.

#include "app/conversiones/conversiones.h"
#include "app/conversiones/formato_numerico.h"
#include "solver/error_numerado.h"

#include <QStringView>
#include <QVarLengthArray>
#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <system_error>

namespace {

[[noreturn]] void Fallar(NumeroError numero) {
    throw ErrorNumerado(numero);
}

// Far beyond any exponent that still means something; keeps the arithmetic
// on absurd inputs ("1e99999999999999999999") from overflowing.
constexpr std::int64_t kExponenteTope = 1'000'000'000;

// The powers of ten that a double holds exactly.
constexpr auto kPotenciasExactas = [] {
    std::array<double, 23> potencias{};
    potencias[0] = 1;
    for (std::size_t i = 1; i < potencias.size(); ++i)
        potencias[i] = potencias[i - 1] * 10;
    return potencias;
}();

// The simplest form of a number, and the most common by far: an optional
// '-', ASCII digits and at most one decimal separator, with no blanks,
// grouping or exponent, as the grid shows numbers and most are typed.
// While the digits make an integer below 2^53, a double holds it exactly,
// and one division by an exact power of ten rounds it correctly: the same
// double std::from_chars gives, without its parsing. That covers 15
// significant digits; a whole system pasted reads 131 064 of them, so the
// loop only sorts and accumulates. std::nullopt for anything else, or for
// more digits than this reads exactly.
std::optional<double> LeerExacto(QStringView texto, char16_t decimal) {
    const char16_t* p = texto.utf16();
    const char16_t* const fin = p + texto.size();
    const bool negativo = p != fin && *p == u'-';
    p += negativo;
    const char16_t* const inicio = p;
    const char16_t* separador = nullptr;
    std::uint64_t entero = 0; // wraps past 19 digits, and is then not used
    for (; p != fin; ++p) {
        if (const auto d = std::uint32_t(*p) - std::uint32_t(u'0'); d <= 9)
            entero = entero * 10 + d;
        else if (*p == decimal && separador == nullptr)
            separador = p;
        else
            return std::nullopt;
    }
    const auto digitos = (fin - inicio) - (separador != nullptr);
    const auto decimales = separador == nullptr ? 0 : fin - separador - 1;
    if (digitos == 0 || digitos > 19 || entero >= (std::uint64_t(1) << 53) ||
        std::size_t(decimales) >= kPotenciasExactas.size() || FLT_EVAL_METHOD != 0)
        return std::nullopt;
    const double valor = double(entero) / kPotenciasExactas[std::size_t(decimales)];
    return negativo ? -valor : valor;
}

// The common case, and numbers of the same form with more digits than
// LeerExacto reads, which std::from_chars reads. Anything else, and anything
// std::from_chars does not take whole, is left to the full reading.
std::optional<double> LeerFormaSencilla(QStringView texto, const FormatoNumerico& f) {
    if (f.decimal.size() != 1)
        return std::nullopt;
    const char16_t decimal = f.decimal.front().unicode();
    if (const auto valor = LeerExacto(texto, decimal))
        return valor;
    const char16_t* const inicio = texto.utf16();
    char c[48];
    if (texto.size() > qsizetype(sizeof c))
        return std::nullopt;
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const char16_t u = inicio[i];
        if ((u < u'0' || u > u'9') && u != u'-' && u != decimal)
            return std::nullopt;
        c[i] = u == decimal ? '.' : char(u);
    }
    double valor = 0.0;
    const auto r = std::from_chars(c, c + texto.size(), valor);
    if (r.ec != std::errc() || r.ptr != c + texto.size())
        return std::nullopt;
    return valor;
}

// The full reading, one part of the number after another. The text is
// rewritten in the form std::from_chars reads, which does not depend on the
// C library's locale; what is noted on the way tells an overflow from an
// underflow when std::from_chars finds the value out of range.
class Lectura {
public:
    Lectura(QStringView texto, const FormatoNumerico& formato) : m_texto(texto), m_f(formato) {}

    double Leer() {
        if (Fin())
            Fallar(NumeroError::TiposIncompatibles);
        LeerSigno();
        LeerParteEntera();
        LeerFraccion();
        if (m_digitosEnteros + m_digitosFraccion == 0)
            Fallar(NumeroError::TiposIncompatibles);
        LeerExponente();
        if (!Fin())
            Fallar(NumeroError::TiposIncompatibles);
        return Convertir();
    }

private:
    // --- the cursor ---
    bool Fin() const { return m_pos >= m_texto.size(); }

    int Digito() const {
        if (Fin())
            return -1;
        const char16_t c = m_texto[m_pos].unicode();
        if (c >= u'0' && c <= u'9')
            return c - u'0';
        if (m_f.cero != u'0' && c >= m_f.cero && c <= m_f.cero + 9)
            return c - m_f.cero;
        return -1;
    }

    bool Tomar(QStringView s) {
        if (s.isEmpty() || !m_texto.sliced(m_pos).startsWith(s))
            return false;
        m_pos += s.size();
        return true;
    }

    bool TomarCaracter(char16_t c) {
        if (Fin() || m_texto[m_pos].unicode() != c)
            return false;
        ++m_pos;
        return true;
    }

    // Locales that group with a no-break space are typed with a plain one,
    // and those that group with a typographic apostrophe (de_CH: 1’234)
    // with the keyboard's.
    bool TomarGrupo() {
        if (m_f.grupo.isEmpty())
            return false;
        if (Tomar(m_f.grupo))
            return true;
        if (m_f.grupo == QStringView(u"\u2019"))
            return TomarCaracter(u'\'');
        return m_f.grupo.size() == 1 && m_f.grupo.front().isSpace() && TomarCaracter(u' ');
    }

    // True for a minus sign; a plus sign, or none, is false.
    bool TomarSignoNegativo() {
        if (Tomar(m_f.menos) || TomarCaracter(u'-') || TomarCaracter(u'\u2212'))
            return true;
        if (!Tomar(m_f.mas))
            TomarCaracter(u'+');
        return false;
    }

    // --- the parts of a number ---
    void LeerSigno() {
        m_negativo = TomarSignoNegativo();
        if (m_negativo)
            m_c.append('-');
    }

    // With separators, the groups g0 g1 … gk must read as the locale writes
    // them: gk of the primary size, g1 … gk-1 of the secondary size, g0 no
    // longer than its right neighbour and not a lone leading zero (so
    // "0.001" under es_ES is refused, not read as 1).
    void LeerParteEntera() {
        int separadores = 0;
        int grupo = 0;       // digits in the group being read
        int primerGrupo = 0; // g0
        bool empiezaEnCero = false;
        for (;;) {
            if (const int d = Digito(); d >= 0) {
                if (m_digitosEnteros == 0)
                    empiezaEnCero = d == 0;
                if (d != 0 || m_significativosEnteros > 0)
                    ++m_significativosEnteros;
                m_c.append(char('0' + d));
                ++m_digitosEnteros;
                ++grupo;
                ++m_pos;
            } else if (TomarGrupo()) {
                if (separadores == 0)
                    primerGrupo = grupo;
                else if (grupo != m_f.grupoSecundario)
                    Fallar(NumeroError::TiposIncompatibles);
                ++separadores;
                grupo = 0;
            } else {
                break;
            }
        }
        if (separadores == 0)
            return;
        const int tope = separadores == 1 ? m_f.grupoPrimario : m_f.grupoSecundario;
        if (grupo != m_f.grupoPrimario || primerGrupo < 1 || primerGrupo > tope || empiezaEnCero)
            Fallar(NumeroError::TiposIncompatibles);
    }

    void LeerFraccion() {
        if (!Tomar(m_f.decimal))
            return;
        m_c.append('.');
        for (int d; (d = Digito()) >= 0; ++m_pos) {
            m_c.append(char('0' + d));
            if (d == 0 && m_cerosFraccion == m_digitosFraccion)
                ++m_cerosFraccion;
            ++m_digitosFraccion;
        }
    }

    void LeerExponente() {
        if (!TomarCaracter(u'e') && !TomarCaracter(u'E') && !Tomar(m_f.exponente))
            return;
        const bool negativo = TomarSignoNegativo();
        if (Digito() < 0)
            Fallar(NumeroError::TiposIncompatibles);
        for (int d; (d = Digito()) >= 0; ++m_pos)
            m_exponente = std::min(m_exponente * 10 + d, kExponenteTope);
        if (negativo)
            m_exponente = -m_exponente;
        char e[16];
        const auto r = std::to_chars(e, e + sizeof e, m_exponente);
        m_c.append('e');
        m_c.append(e, r.ptr - e);
    }

    double Convertir() const {
        double valor = 0.0;
        const auto r = std::from_chars(m_c.data(), m_c.data() + m_c.size(), valor);
        if (r.ec == std::errc::result_out_of_range)
            return FueraDeRango();
        if (r.ec != std::errc() || r.ptr != m_c.data() + m_c.size())
            Fallar(NumeroError::TiposIncompatibles);
        return valor;
    }

    // Too large or too small: the decimal position of the leading significant
    // digit tells which. Too small reads as zero of the same sign.
    double FueraDeRango() const {
        const std::int64_t orden = m_significativosEnteros > 0
                                       ? m_significativosEnteros - 1 + m_exponente
                                       : -(m_cerosFraccion + 1) + m_exponente;
        if (orden <= 0)
            return m_negativo ? -0.0 : 0.0;
        // The doubles nearest the largest one are written 1,79769313486232E+308,
        // just above it: that text, and anything up to it, reads as the
        // largest double, so what the program writes it can always read back.
        long double ancho = 0;
        const auto r = std::from_chars(m_c.data(), m_c.data() + m_c.size(), ancho);
        if (r.ec != std::errc() || std::fabs(ancho) > 1.79769313486232e308L)
            Fallar(NumeroError::Desbordamiento);
        return m_negativo ? -std::numeric_limits<double>::max() : std::numeric_limits<double>::max();
    }

    QStringView m_texto;
    const FormatoNumerico& m_f;
    qsizetype m_pos = 0;

    QVarLengthArray<char, 64> m_c; // the number as std::from_chars reads it
    bool m_negativo = false;
    int m_digitosEnteros = 0;
    int m_significativosEnteros = 0; // after the leading zeros
    int m_digitosFraccion = 0;
    int m_cerosFraccion = 0; // leading zeros of the fraction, while nothing else was seen
    std::int64_t m_exponente = 0;
};

double Leer(QStringView texto, const FormatoNumerico& formato) {
    if (const std::optional<double> valor = LeerFormaSencilla(texto, formato))
        return *valor;
    return Lectura(texto.trimmed(), formato).Leer();
}

} // namespace

double TextoADoble(QStringView texto, const QLocale& locale) {
    return Leer(texto, FormatoDe(locale));
}

LectorDeNumeros::LectorDeNumeros(const QLocale& locale) : m_formato(FormatoDe(locale)) {}

double LectorDeNumeros::operator()(QStringView texto) const {
    return Leer(texto, m_formato);
}

std::int16_t TextoAEntero16(QStringView texto, const QLocale& locale) {
    const double valor = TextoADoble(texto, locale);
    // Halves to even, done by hand so that it does not depend on the
    // floating-point rounding mode. valor - piso is exact for any double.
    double entero = std::floor(valor);
    const double resto = valor - entero;
    if (resto > 0.5 || (resto == 0.5 && std::fmod(entero, 2.0) != 0.0))
        entero += 1.0;
    if (entero < -32768.0 || entero > 32767.0)
        Fallar(NumeroError::Desbordamiento);
    return static_cast<std::int16_t>(entero);
}
