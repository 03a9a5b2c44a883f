// TextoADoble against Qt's own reading, QLocale::toDouble, under es_ES and
// en_US. Where both read a number it must be the same double, bit for bit;
// where only one does, the text must fall under one of the differences we
// chose, listed in DiferenciaDeliberada. (Qt's reading is kept out of the
// program for its speed: bench_conversiones.)

#include "tests/fuzz/fuzz_comun.h"

#include <QRegularExpression>
#include <cfloat>
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
        (!qtLee && nuestra.error == 0 && (v == DBL_MAX || (v == 0 && texto.contains(significativa)))))
        return "out of range";
    return nullptr;
}

void Comparar(const QString& texto, const QLocale& locale) {
    const fuzz::Lectura nuestra = fuzz::Leer([&] { return TextoADoble(texto, locale); }, texto);
    bool qtLee = false;
    const double qt = locale.toDouble(texto, &qtLee);
    const bool iguales = nuestra.error == 0 && qtLee
                             ? std::memcmp(&nuestra.valor, &qt, sizeof qt) == 0
                             : (nuestra.error != 0) == !qtLee;
    VERIFICAR(iguales || DiferenciaDeliberada(texto, locale, nuestra, qtLee, qt),
              locale.name() + u':' + texto);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tam) {
    const QString texto = fuzz::Texto(datos, tam);
    Comparar(texto, fuzz::kEs);
    Comparar(texto, fuzz::kEn);
    return 0;
}
