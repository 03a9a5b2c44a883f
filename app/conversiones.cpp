#include "app/conversiones.h"

#include "solver/error_numerado.h"

#include <QStringView>
#include <QVarLengthArray>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <system_error>

namespace {

[[noreturn]] void Fallar(NumeroError numero) {
    throw ErrorNumerado(numero);
}

// What reading and writing numbers needs from a locale. QLocale hands these
// out as freshly built strings, and the results screen formats tens of
// thousands of values in a row, so they are worked out once per locale.
struct FormatoNumerico {
    QLocale locale;
    QString decimal;
    QString grupo; // empty when the locale does not group digits
    QString menos;
    QString mas;
    QString exponente;
    char16_t cero = u'0';
    int grupoPrimario = 0;   // digits in the rightmost group
    int grupoSecundario = 0; // digits in each group to its left
};

FormatoNumerico CalcularFormato(const QLocale& locale) {
    FormatoNumerico f;
    f.locale = locale;
    f.decimal = locale.decimalPoint();
    f.menos = locale.negativeSign();
    f.mas = locale.positiveSign();
    f.exponente = locale.exponential();
    const QString cero = locale.zeroDigit();
    if (cero.size() == 1)
        f.cero = cero.front().unicode();

    if (!(locale.numberOptions() & QLocale::RejectGroupSeparator)) {
        // The grouping sizes are not public; the locale shows them when it
        // writes a long enough number (en_IN writes 1,23,45,67,890).
        QLocale agrupado(locale);
        agrupado.setNumberOptions(QLocale::DefaultNumberOptions);
        const QString grupo = agrupado.groupSeparator();
        const QStringList partes = agrupado.toString(1234567890LL).split(grupo);
        if (!grupo.isEmpty() && partes.size() >= 3) {
            f.grupo = grupo;
            f.grupoPrimario = int(partes.at(partes.size() - 1).size());
            f.grupoSecundario = int(partes.at(partes.size() - 2).size());
        }
    }
    return f;
}

const FormatoNumerico& FormatoDe(const QLocale& locale) {
    thread_local std::optional<FormatoNumerico> ultimo;
    if (!ultimo || ultimo->locale != locale)
        ultimo = CalcularFormato(locale);
    return *ultimo;
}

// A cursor over the text being read.
class Lector {
public:
    Lector(QStringView texto, const FormatoNumerico& formato) : m_texto(texto), m_f(formato) {}

    bool fin() const { return m_pos >= m_texto.size(); }

    int digito() const {
        if (fin())
            return -1;
        const char16_t c = m_texto[m_pos].unicode();
        if (c >= u'0' && c <= u'9')
            return c - u'0';
        if (m_f.cero != u'0' && c >= m_f.cero && c <= m_f.cero + 9)
            return c - m_f.cero;
        return -1;
    }

    void avanzar() { ++m_pos; }

    bool tomar(QStringView s) {
        if (s.isEmpty() || !m_texto.sliced(m_pos).startsWith(s))
            return false;
        m_pos += s.size();
        return true;
    }

    bool tomarCaracter(char16_t c) {
        if (fin() || m_texto[m_pos].unicode() != c)
            return false;
        ++m_pos;
        return true;
    }

    // Locales that group with a no-break space are typed with a plain one.
    bool tomarGrupo() {
        if (m_f.grupo.isEmpty())
            return false;
        if (tomar(m_f.grupo))
            return true;
        if (m_f.grupo.size() == 1 && m_f.grupo.front().isSpace())
            return tomarCaracter(u' ');
        return false;
    }

    // +1, -1, or 0 when there is no sign.
    int tomarSigno() {
        if (tomar(m_f.menos) || tomarCaracter(u'-') || tomarCaracter(u'\u2212'))
            return -1;
        if (tomar(m_f.mas) || tomarCaracter(u'+'))
            return +1;
        return 0;
    }

    bool tomarExponente() {
        return tomarCaracter(u'e') || tomarCaracter(u'E') || tomar(m_f.exponente);
    }

private:
    QStringView m_texto;
    const FormatoNumerico& m_f;
    qsizetype m_pos = 0;
};

// Far beyond any exponent that still means something; keeps the arithmetic
// on absurd inputs ("1e99999999999999999999") from overflowing.
constexpr std::int64_t kExponenteTope = 1'000'000'000;

} // namespace

double TextoADoble(const QString& texto, const QLocale& locale) {
    const FormatoNumerico& f = FormatoDe(locale);

    // The common case first: numbers as the program writes them and as most
    // are typed, an optional '-', ASCII digits and at most one decimal
    // separator, with no blanks, grouping or exponent. The reader below would
    // build the very same text for std::from_chars, so the result is the
    // same; it only saves the cursor's checks on every character. Anything
    // else, and anything std::from_chars does not take whole, goes on to it.
    if (f.decimal.size() == 1 && texto.size() <= 40) {
        const char16_t decimal = f.decimal.front().unicode();
        char c[48];
        int k = 0;
        int digitos = 0;
        bool conDecimal = false;
        qsizetype i = 0;
        if (!texto.isEmpty() && texto.front() == u'-') {
            c[k++] = '-';
            i = 1;
        }
        for (; i < texto.size(); ++i) {
            const char16_t u = texto.at(i).unicode();
            if (u >= u'0' && u <= u'9') {
                c[k++] = char(u);
                ++digitos;
            } else if (u == decimal && !conDecimal) {
                c[k++] = '.';
                conDecimal = true;
            } else {
                break;
            }
        }
        if (i == texto.size() && digitos > 0) {
            double valor = 0.0;
            const auto r = std::from_chars(c, c + k, valor);
            if (r.ec == std::errc() && r.ptr == c + k)
                return valor;
        }
    }

    Lector lector(QStringView(texto).trimmed(), f);
    if (lector.fin())
        Fallar(NumeroError::TiposIncompatibles);

    // The number is rewritten in the form std::from_chars reads, which is
    // independent of the C library's locale.
    QVarLengthArray<char, 64> c;
    const bool negativo = lector.tomarSigno() < 0;
    if (negativo)
        c.append('-');

    // Integer part. With separators, the groups g0 g1 ... gk must read as the
    // locale writes them: gk of the primary size, g1 ... gk-1 of the
    // secondary size, g0 no longer than its right neighbour and not a lone
    // leading zero (so "0.001" under es_ES is refused, not read as 1).
    int digitosEnteros = 0;
    int significativosEnteros = 0; // after the leading zeros
    int separadores = 0;
    int grupo = 0;       // digits in the group being read
    int primerGrupo = 0; // g0
    bool empiezaEnCero = false;
    for (;;) {
        if (const int d = lector.digito(); d >= 0) {
            if (digitosEnteros == 0)
                empiezaEnCero = d == 0;
            if (d != 0 || significativosEnteros > 0)
                ++significativosEnteros;
            c.append(char('0' + d));
            ++digitosEnteros;
            ++grupo;
            lector.avanzar();
        } else if (lector.tomarGrupo()) {
            if (separadores == 0)
                primerGrupo = grupo;
            else if (grupo != f.grupoSecundario)
                Fallar(NumeroError::TiposIncompatibles);
            ++separadores;
            grupo = 0;
        } else {
            break;
        }
    }
    if (separadores > 0) {
        const int tope = separadores == 1 ? f.grupoPrimario : f.grupoSecundario;
        if (grupo != f.grupoPrimario || primerGrupo < 1 || primerGrupo > tope || empiezaEnCero)
            Fallar(NumeroError::TiposIncompatibles);
    }

    // Fraction.
    int digitosFraccion = 0;
    int cerosFraccion = 0; // leading zeros of the fraction, while nothing else was seen
    if (lector.tomar(f.decimal)) {
        c.append('.');
        for (int d; (d = lector.digito()) >= 0; lector.avanzar()) {
            c.append(char('0' + d));
            if (d == 0 && cerosFraccion == digitosFraccion)
                ++cerosFraccion;
            ++digitosFraccion;
        }
    }
    if (digitosEnteros + digitosFraccion == 0)
        Fallar(NumeroError::TiposIncompatibles);

    // Exponent.
    std::int64_t exponente = 0;
    if (lector.tomarExponente()) {
        const bool exponenteNegativo = lector.tomarSigno() < 0;
        if (lector.digito() < 0)
            Fallar(NumeroError::TiposIncompatibles);
        for (int d; (d = lector.digito()) >= 0; lector.avanzar())
            exponente = std::min(exponente * 10 + d, kExponenteTope);
        if (exponenteNegativo)
            exponente = -exponente;
        char e[16];
        const auto r = std::to_chars(e, e + sizeof e, exponente);
        c.append('e');
        c.append(e, r.ptr - e);
    }
    if (!lector.fin())
        Fallar(NumeroError::TiposIncompatibles);

    double valor = 0.0;
    const auto r = std::from_chars(c.data(), c.data() + c.size(), valor);
    if (r.ec == std::errc::result_out_of_range) {
        // Too large or too small: the decimal position of the leading
        // significant digit tells which.
        const std::int64_t orden = significativosEnteros > 0 ? significativosEnteros - 1 + exponente
                                                             : -(cerosFraccion + 1) + exponente;
        if (orden > 0) {
            // The doubles nearest the largest one are written
            // 1,79769313486232E+308, just above it: that text, and anything up
            // to it, reads as the largest double, so what the program writes
            // it can always read back.
            long double ancho = 0;
            const auto ra = std::from_chars(c.data(), c.data() + c.size(), ancho);
            if (ra.ec == std::errc() && std::fabs(ancho) <= 1.79769313486232e308L)
                return negativo ? -std::numeric_limits<double>::max()
                                : std::numeric_limits<double>::max();
            Fallar(NumeroError::Desbordamiento);
        }
        return negativo ? -0.0 : 0.0;
    }
    if (r.ec != std::errc() || r.ptr != c.data() + c.size())
        Fallar(NumeroError::TiposIncompatibles);
    return valor;
}

std::int16_t TextoAEntero16(const QString& texto, const QLocale& locale) {
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

QString DobleATexto(double valor, const QLocale& locale) {
    if (valor == 0.0)
        return QStringLiteral("0");
    if (!std::isfinite(valor))
        return locale.toString(valor);

    // "-d.dddddddddddddde+XXX": the value already rounded to 15 significant
    // digits, so a carry (0.9999999999999999 → 1) is reflected in the exponent.
    char cientifico[32];
    const auto r = std::to_chars(cientifico, cientifico + sizeof cientifico, valor,
                                 std::chars_format::scientific, 14);
    const char* p = cientifico;
    const bool negativo = *p == '-';
    if (negativo)
        ++p;
    char digitos[15];
    int n = 0;
    for (; *p != 'e'; ++p)
        if (*p != '.')
            digitos[n++] = *p;
    int exponente = 0;
    std::from_chars(p + 1 + (p[1] == '+'), r.ptr, exponente);
    while (n > 1 && digitos[n - 1] == '0')
        --n;

    const QString& decimal = FormatoDe(locale).decimal;
    QVarLengthArray<char16_t, 48> salida;
    auto poner = [&](char ch) { salida.append(char16_t(ch)); };
    auto ponerDecimal = [&] {
        for (QChar ch : decimal)
            salida.append(ch.unicode());
    };
    if (negativo)
        poner('-');

    if (exponente >= 15 || exponente < -4) {
        poner(digitos[0]);
        if (n > 1) {
            ponerDecimal();
            for (int i = 1; i < n; ++i)
                poner(digitos[i]);
        }
        poner('E');
        poner(exponente < 0 ? '-' : '+');
        const int magnitud = std::abs(exponente);
        if (magnitud < 10)
            poner('0');
        char e[8];
        const auto re = std::to_chars(e, e + sizeof e, magnitud);
        for (const char* q = e; q != re.ptr; ++q)
            poner(*q);
    } else if (exponente >= 0) {
        for (int i = 0; i <= exponente; ++i)
            poner(i < n ? digitos[i] : '0');
        if (n > exponente + 1) {
            ponerDecimal();
            for (int i = exponente + 1; i < n; ++i)
                poner(digitos[i]);
        }
    } else {
        poner('0');
        ponerDecimal();
        for (int i = -1; i > exponente; --i)
            poner('0');
        for (int i = 0; i < n; ++i)
            poner(digitos[i]);
    }
    return QString(reinterpret_cast<const QChar*>(salida.constData()), salida.size());
}

QString EnteroATexto(std::int64_t valor) {
    return QString::number(valor);
}
