#pragma once
// Shared by the fuzz targets: how an input becomes text and choices, how a
// broken invariant stops the run, and the Qt application the screen targets
// need. A target is one LLVMFuzzerTestOneInput, linked either with libFuzzer
// or with replay_main.cpp, which feeds it the saved corpus.

#include "app/conversiones.h"
#include "solver/error_numerado.h"

#include <QApplication>
#include <QByteArray>
#include <QLocale>
#include <QRegularExpression>
#include <QString>

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fuzz {

inline const QLocale& Es() {
    static const QLocale l(QLocale::Spanish, QLocale::Spain);
    return l;
}
inline const QLocale& En() {
    static const QLocale l(QLocale::English, QLocale::UnitedStates);
    return l;
}

// Prints what broke and on which text (non-ASCII and control characters as
// \uXXXX), then aborts: libFuzzer saves the input, the replay test fails.
[[noreturn]] inline void Fallo(const char* que, const QString& texto, const char* archivo, int linea) {
    QByteArray legible;
    for (const QChar c : texto.left(400)) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f && c != u'\\')
            legible += char(c.unicode());
        else
            legible += QByteArray("\\u") + QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
    }
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n  text: \"%s\"%s\n", archivo, linea, que,
                 legible.constData(), texto.size() > 400 ? "..." : "");
    std::abort();
}

// Reads an input front to back: a few choice bytes, then the rest as text.
class Entrada {
public:
    Entrada(const std::uint8_t* datos, std::size_t tam) : m_datos(datos), m_tam(tam) {}
    std::uint8_t Byte() { return m_pos < m_tam ? m_datos[m_pos++] : 0; }
    std::int32_t Entero16() {
        const int alto = Byte();
        return std::int16_t(std::uint16_t(alto << 8 | Byte()));
    }
    // Up to the next 0 byte (consumed) or the end.
    QString TextoHastaCero() {
        const std::size_t inicio = m_pos;
        while (m_pos < m_tam && m_datos[m_pos] != 0)
            ++m_pos;
        const QString t = QString::fromUtf8(reinterpret_cast<const char*>(m_datos + inicio),
                                            qsizetype(m_pos - inicio));
        if (m_pos < m_tam)
            ++m_pos;
        return t;
    }
    QString Resto() {
        const QString t = QString::fromUtf8(reinterpret_cast<const char*>(m_datos + m_pos),
                                            qsizetype(m_tam - m_pos));
        m_pos = m_tam;
        return t;
    }
    bool Fin() const { return m_pos >= m_tam; }

private:
    const std::uint8_t* m_datos;
    std::size_t m_tam;
    std::size_t m_pos = 0;
};

// The outcome of reading a text: a value, or the number of the failure.
struct Lectura {
    std::optional<double> valor;
    int error = 0;
};

// Anything but ErrorNumerado escaping a conversion is itself a failure.
template <typename F> Lectura Leer(F&& conversion, const QString& texto) {
    Lectura r;
    try {
        r.valor = conversion();
    } catch (const ErrorNumerado& e) {
        r.error = e.valor();
    } catch (...) {
        Fallo("a conversion raised something other than ErrorNumerado", texto, __FILE__, __LINE__);
    }
    return r;
}

inline Lectura LeerDoble(const QString& texto, const QLocale& locale) {
    return Leer([&] { return TextoADoble(texto, locale); }, texto);
}

// The written form of a double: ASCII digits and minus, the locale's decimal
// separator, no grouping, at most 15 significant digits, no trailing zeros
// in the fraction, a one-digit mantissa with a signed exponent of at least
// two digits in exponent form; zero is "0".
inline bool EnFormaNormal(const QString& texto, const QLocale& locale) {
    if (texto == QLatin1String("0"))
        return true;
    const QString d = QRegularExpression::escape(locale.decimalPoint());
    static thread_local QString decimalPrevio;
    static thread_local QRegularExpression fija, exponencial;
    if (d != decimalPrevio) {
        decimalPrevio = d;
        fija.setPattern(QStringLiteral("^-?(0|[1-9][0-9]*)(%1[0-9]*[1-9])?$").arg(d));
        exponencial.setPattern(QStringLiteral("^-?[1-9](%1[0-9]*[1-9])?E[-+][0-9]{2,3}$").arg(d));
    }
    if (!fija.match(texto).hasMatch() && !exponencial.match(texto).hasMatch())
        return false;
    int significativas = 0;
    bool empezado = false;
    for (const QChar c : texto) {
        if (c == u'E')
            break;
        if (!c.isDigit())
            continue;
        empezado = empezado || c != u'0';
        significativas += empezado ? 1 : 0;
    }
    return significativas <= 15;
}

// Two readings agree to 15 significant digits (and to the last subnormal
// step, where a double holds fewer digits than that).
inline bool Cerca(double a, double b) {
    return std::fabs(a - b) <= 5.2e-15 * std::fabs(a) + std::numeric_limits<double>::denorm_min();
}

// The screens need a QApplication on the offscreen platform; the program's
// own arguments stay away from libFuzzer's.
inline void IniciarQt() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char nombre[] = "veltrana_fuzz";
    static char* argv[] = {nombre, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

} // namespace fuzz

#define VERIFICAR(cond, texto)                                                                     \
    do {                                                                                           \
        if (!(cond))                                                                               \
            ::fuzz::Fallo(#cond, (texto), __FILE__, __LINE__);                                     \
    } while (false)
