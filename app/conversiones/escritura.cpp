// Numbers written as the program shows them: at most 15 significant digits,
// in the locale's decimal form.

#include "app/conversiones/conversiones.h"
#include "app/conversiones/formato_numerico.h"

#include <QVarLengthArray>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <map>
#include <optional>

namespace {

// A finite, non-zero value rounded to 15 significant digits: its digits,
// without trailing zeros, and the decimal exponent of the first one.
struct Cifras15 {
    bool negativo = false;
    char digitos[15] = {};
    int cuantas = 0;
    int exponente = 0;
};

// The exact rounding, for the values the quick one below leaves.
Cifras15 RedondearExacto(double valor) {
    // "-d.dddddddddddddde+XXX": the value already rounded, so a carry
    // (0.9999999999999999 → 1) is reflected in the exponent.
    char cientifico[32];
    const auto r = std::to_chars(cientifico, cientifico + sizeof cientifico, valor,
                                 std::chars_format::scientific, 14);
    Cifras15 c;
    const char* p = cientifico;
    c.negativo = *p == '-';
    if (c.negativo)
        ++p;
    for (; *p != 'e'; ++p)
        if (*p != '.')
            c.digitos[c.cuantas++] = *p;
    std::from_chars(p + 1 + (p[1] == '+'), r.ptr, c.exponente);
    return c;
}

// Powers of ten exact in the extended type: 5^27 still fits its 64-bit mantissa.
constexpr int kMayorPotenciaExacta = 27;
constexpr auto kPotencias = [] {
    std::array<long double, kMayorPotenciaExacta + 1> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i)
        p[i] = p[i - 1] * 10;
    return p;
}();

// The value times 10^k, to within half a unit of the extended type.
long double Escalar(long double valor, int k) {
    return k >= 0 ? valor * kPotencias[std::size_t(k)] : valor / kPotencias[std::size_t(-k)];
}

// The quick rounding, much cheaper than the exact one's formatting: the value
// scaled to a 15-digit integer in extended precision and rounded there.
// Exact unless the scaled value lies within the scaling's error of a half
// (then, or out of the exactly scaled range, or where long double is no wider
// than double, std::nullopt).
std::optional<Cifras15> RedondearRapido(double valor) {
    constexpr int kBitsExtendido = std::numeric_limits<long double>::digits;
    if constexpr (kBitsExtendido <= std::numeric_limits<double>::digits)
        return std::nullopt;
    int exponenteBinario = 0;
    std::frexp(valor, &exponenteBinario);
    // The decimal exponent of the first digit, or one less: 78913 / 2^18 is
    // log10(2) to within 1e-7, and C++20 shifts a negative value down.
    int exponente = ((exponenteBinario - 1) * 78913) >> 18;
    const long double absoluto = std::fabs(static_cast<long double>(valor));
    long double escalado = 0;
    for (int intento = 0; intento < 2; ++intento) {
        if (std::abs(14 - exponente) > kMayorPotenciaExacta)
            return std::nullopt;
        escalado = Escalar(absoluto, 14 - exponente);
        if (escalado < kPotencias[15])
            break;
        ++exponente;
    }
    // Rounded to an integer by the addition itself, where the spacing of
    // long doubles is 1: no change of the x87 control word, as floorl and
    // casts make, which costs more than all the rest.
    const long double desplazamiento = std::ldexp(1.0L, kBitsExtendido - 1);
    const long double entero = (escalado + desplazamiento) - desplazamiento;
    const long double resto = escalado - entero; // exact below 2^50
    const long double margen = escalado * 4 * std::numeric_limits<long double>::epsilon();
    if (std::fabs(resto) >= 0.5L - margen || escalado < kPotencias[14] ||
        escalado >= kPotencias[15])
        return std::nullopt;
    // Below 2^50, so exact as a double, whose conversion needs no x87.
    auto cifras = static_cast<std::uint64_t>(static_cast<double>(entero));
    if (cifras == 1'000'000'000'000'000) { // 9.999999999999999 → 10
        cifras /= 10;
        ++exponente;
    }
    Cifras15 c;
    c.negativo = std::signbit(valor);
    c.exponente = exponente;
    c.cuantas = 15;
    for (int i = 14; i >= 0; --i, cifras /= 10)
        c.digitos[i] = char('0' + cifras % 10);
    return c;
}

Cifras15 Redondear(double valor) {
    std::optional<Cifras15> rapido = RedondearRapido(valor);
    Cifras15 c = rapido ? *rapido : RedondearExacto(valor);
    while (c.cuantas > 1 && c.digitos[c.cuantas - 1] == '0')
        --c.cuantas;
    return c;
}

class Escritor {
public:
    explicit Escritor(const QString& decimal) : m_decimal(decimal) {}

    void Poner(char c) { m_salida.append(char16_t(c)); }
    void PonerDecimal() {
        for (QChar c : m_decimal)
            m_salida.append(c.unicode());
    }
    void PonerCifras(const Cifras15& c, int desde, int hasta) {
        for (int i = desde; i < hasta; ++i)
            Poner(i < c.cuantas ? c.digitos[i] : '0');
    }
    QStringView Vista() const { return QStringView(m_salida.constData(), m_salida.size()); }
    QString Texto() const { return Vista().toString(); }

private:
    const QString& m_decimal;
    QVarLengthArray<char16_t, 48> m_salida;
};

// "1,5E+20", "1E-05": two exponent digits at least.
void PonerCientifico(Escritor& e, const Cifras15& c) {
    e.PonerCifras(c, 0, 1);
    if (c.cuantas > 1) {
        e.PonerDecimal();
        e.PonerCifras(c, 1, c.cuantas);
    }
    e.Poner('E');
    e.Poner(c.exponente < 0 ? '-' : '+');
    const int magnitud = std::abs(c.exponente);
    if (magnitud < 10)
        e.Poner('0');
    char cifras[8];
    const auto r = std::to_chars(cifras, cifras + sizeof cifras, magnitud);
    for (const char* q = cifras; q != r.ptr; ++q)
        e.Poner(*q);
}

// "123,45", "1000", "0,0012".
void PonerFijo(Escritor& e, const Cifras15& c) {
    if (c.exponente >= 0) {
        e.PonerCifras(c, 0, c.exponente + 1);
        if (c.cuantas > c.exponente + 1) {
            e.PonerDecimal();
            e.PonerCifras(c, c.exponente + 1, c.cuantas);
        }
        return;
    }
    e.Poner('0');
    e.PonerDecimal();
    for (int i = -1; i > c.exponente; --i)
        e.Poner('0');
    e.PonerCifras(c, 0, c.cuantas);
}

// A finite value.
void Escribir(Escritor& escritor, double valor) {
    if (valor == 0.0) {
        escritor.Poner('0');
        return;
    }
    const Cifras15 cifras = Redondear(valor);
    if (cifras.negativo)
        escritor.Poner('-');
    if (cifras.exponente >= 15 || cifras.exponente < -4)
        PonerCientifico(escritor, cifras);
    else
        PonerFijo(escritor, cifras);
}

} // namespace

QString DobleATexto(double valor, const QLocale& locale) {
    if (valor == 0.0)
        return QStringLiteral("0");
    if (!std::isfinite(valor))
        return locale.toString(valor);
    Escritor escritor(FormatoDe(locale).decimal);
    Escribir(escritor, valor);
    return escritor.Texto();
}

QStringList EnterosDesdeUno(std::int32_t n, QStringView prefijo) {
    thread_local std::map<QString, QStringList> hechos; // by prefix
    QStringList& textos = hechos[prefijo.toString()];
    if (textos.size() < n)
        textos = EnterosATexto(1, n, prefijo);
    return textos.size() == n ? textos : textos.first(std::max(n, 0));
}

QString EnteroATexto(std::int64_t valor) {
    return QString::number(valor);
}

// Each string is allocated once at its final size, where QString::number and
// appending to it allocate twice.
QStringList EnterosATexto(std::int32_t primero, std::int32_t ultimo, QStringView prefijo) {
    QStringList textos;
    textos.reserve(std::max<qsizetype>(qsizetype(ultimo) - primero + 1, 0));
    for (std::int64_t valor = primero; valor <= ultimo; ++valor) {
        char cifras[24];
        const auto r = std::to_chars(cifras, cifras + sizeof cifras, valor);
        const auto largo = r.ptr - cifras;
        QString texto(prefijo.size() + largo, Qt::Uninitialized);
        QChar* p = std::copy(prefijo.begin(), prefijo.end(), texto.data());
        for (const char* c = cifras; c != r.ptr; ++c)
            *p++ = QChar(char16_t(*c));
        textos << std::move(texto);
    }
    return textos;
}
