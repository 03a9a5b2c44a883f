// Any text read as a double and as a 16-bit integer, under a decimal comma
// (es_ES) and a decimal point (en_US), against Qt's own reading,
// QLocale::toDouble. Where both read a number it must be the same double, bit
// for bit; where only one does, the text must fall under one of the
// differences we chose, listed in DiferenciaDeliberada. (Qt's reading is kept
// out of the program for its speed: bench_conversiones.) Besides, a failure
// must be a type mismatch or an overflow, the same for the integer; a number
// read must be written as C's "%.15G" with the locale's separator and read
// back from that within 15 digits, and as an integer be the double rounded
// half to even.

#include "tests/fuzz/fuzz_comun.h"

#include <QRegularExpression>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

// Why the two readings may part, or nullptr when they must not.
const char* DiferenciaDeliberada(const QString& texto, const QLocale& locale,
                                 const fuzz::Lectura& nuestra, bool qtLee, double qt) {
    // Digit grouping: we take a separator only where the locale would write
    // one, so that under es_ES "2.5" (a decimal point typed by habit) is
    // refused rather than read as 25; Qt has rules of its own ("1.234" is
    // refused under es_ES).
    if (texto.contains(locale.groupSeparator()))
        return "grouping";
    // inf and nan: Qt reads them; a coefficient must be a finite number.
    if (qtLee && !std::isfinite(qt))
        return "inf, nan";
    // Out of range: Qt refuses what lies beyond the doubles. We read a
    // magnitude too small as zero, and anything up to the text the program
    // writes for the largest double as that double, so that what the program
    // writes it can read back.
    static const QRegularExpression significativa(QStringLiteral("[1-9]"));
    const double v = std::fabs(nuestra.valor);
    if (nuestra.error == int(NumeroError::Desbordamiento) ||
        (!qtLee && nuestra.error == 0 &&
         (v == DBL_MAX || (v == 0 && texto.contains(significativa)))))
        return "out of range";
    return nullptr;
}

QString FormaNormal(double v, const QLocale& locale) {
    char c[32];
    const auto r = std::to_chars(c, c + sizeof c, v, std::chars_format::general, 15);
    return v == 0
               ? QStringLiteral("0")
               : QString::fromLatin1(c, r.ptr - c).toUpper().replace(u'.', locale.decimalPoint());
}

void Comprobar(const QString& texto, const QLocale& locale) {
    const auto leer = [&](const QString& t) {
        return fuzz::Leer([&] { return TextoADoble(t, locale); }, t);
    };
    const fuzz::Lectura nuestra = leer(texto);
    bool qtLee = false;
    const double qt = locale.toDouble(texto, &qtLee);
    const bool iguales = nuestra.error == 0 && qtLee
                             ? std::memcmp(&nuestra.valor, &qt, sizeof qt) == 0
                             : (nuestra.error != 0) == !qtLee;
    VERIFICAR(iguales || DiferenciaDeliberada(texto, locale, nuestra, qtLee, qt),
              locale.name() + u':' + texto);

    const fuzz::Lectura entero =
        fuzz::Leer([&] { return double(TextoAEntero16(texto, locale)); }, texto);
    if (nuestra.error != 0) {
        VERIFICAR(entero.error == nuestra.error &&
                      (nuestra.error == int(NumeroError::Desbordamiento) ||
                       nuestra.error == int(NumeroError::TiposIncompatibles)),
                  texto);
        return;
    }
    const double v = nuestra.valor;
    const QString escrito = DobleATexto(v, locale);
    const fuzz::Lectura releido = leer(escrito);
    VERIFICAR(std::isfinite(v) && escrito == FormaNormal(v, locale), texto + u'|' + escrito);
    VERIFICAR(releido.error == 0 &&
                  std::fabs(v - releido.valor) <= 5.2e-15 * std::fabs(v) + DBL_TRUE_MIN &&
                  (std::fabs(v) < DBL_MIN || DobleATexto(releido.valor, locale) == escrito),
              texto + u'|' + escrito);
    const double n = std::nearbyint(v); // the default rounding mode: halves to even
    VERIFICAR(n < -32768 || n > 32767 ? entero.error == int(NumeroError::Desbordamiento)
                                      : entero.error == 0 && entero.valor == n,
              texto);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tam) {
    const QString texto = fuzz::Texto(datos, tam);
    Comprobar(texto, fuzz::kEs);
    Comprobar(texto, fuzz::kEn);
    return 0;
}
