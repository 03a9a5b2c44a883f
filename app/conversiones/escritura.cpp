// Numbers written as the program shows them: at most 15 significant digits,
// in the locale's decimal form.

#include "app/conversiones/conversiones.h"
#include "app/conversiones/formato_numerico.h"

#include <QVarLengthArray>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

// A finite, non-zero value rounded to 15 significant digits: its digits,
// without trailing zeros, and the decimal exponent of the first one.
struct Cifras15 {
    bool negativo = false;
    char digitos[15] = {};
    int cuantas = 0;
    int exponente = 0;
};

Cifras15 Redondear(double valor) {
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
    QString Texto() const {
        return QString(reinterpret_cast<const QChar*>(m_salida.constData()), m_salida.size());
    }

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

} // namespace

QString DobleATexto(double valor, const QLocale& locale) {
    if (valor == 0.0)
        return QStringLiteral("0");
    if (!std::isfinite(valor))
        return locale.toString(valor);
    const Cifras15 cifras = Redondear(valor);
    Escritor escritor(FormatoDe(locale).decimal);
    if (cifras.negativo)
        escritor.Poner('-');
    if (cifras.exponente >= 15 || cifras.exponente < -4)
        PonerCientifico(escritor, cifras);
    else
        PonerFijo(escritor, cifras);
    return escritor.Texto();
}

QString EnteroATexto(std::int64_t valor) {
    return QString::number(valor);
}
