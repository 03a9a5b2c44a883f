// Any text read as a double and as a 16-bit integer, under a decimal comma
// (es_ES) and a decimal point (en_US). Besides what the sanitizers catch, an
// input fails on a failure other than type mismatch or overflow, a value not
// finite, not written as C's "%.15G" with the locale's separator or not read
// back from that within 15 digits, an integer not the double rounded half to
// even; or when blanks around, a minus before a digit, or the locale for a
// text without "," or ".", do what they should not.

#include "tests/fuzz/fuzz_comun.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

bool Igual(const fuzz::Lectura& a, const fuzz::Lectura& b) {
    return a.error == b.error && std::memcmp(&a.valor, &b.valor, sizeof(double)) == 0;
}

QString FormaNormal(double v, const QLocale& locale) {
    char c[32];
    const auto r = std::to_chars(c, c + sizeof c, v, std::chars_format::general, 15);
    return v == 0
               ? QStringLiteral("0")
               : QString::fromLatin1(c, r.ptr - c).toUpper().replace(u'.', locale.decimalPoint());
}

fuzz::Lectura Comprobar(const QString& texto, const QLocale& locale) {
    const auto leer = [&](const QString& t) {
        return fuzz::Leer([&] { return TextoADoble(t, locale); }, t);
    };
    const fuzz::Lectura doble = leer(texto);
    const fuzz::Lectura entero =
        fuzz::Leer([&] { return double(TextoAEntero16(texto, locale)); }, texto);
    if (doble.error == 0) {
        const double v = doble.valor;
        const QString escrito = DobleATexto(v, locale);
        const fuzz::Lectura releido = leer(escrito);
        VERIFICAR(std::isfinite(v) && escrito == FormaNormal(v, locale), texto + u'|' + escrito);
        VERIFICAR(releido.error == 0 &&
                      std::fabs(v - releido.valor) <= 5.2e-15 * std::fabs(v) + DBL_TRUE_MIN &&
                      (std::fabs(v) < DBL_MIN || DobleATexto(releido.valor, locale) == escrito),
                  texto + u'|' + escrito);
        // The default rounding mode rounds halves to even.
        const double n = std::nearbyint(v);
        VERIFICAR(n < -32768 || n > 32767 ? entero.error == int(NumeroError::Desbordamiento)
                                          : entero.error == 0 && entero.valor == n,
                  texto);
    } else {
        VERIFICAR(entero.error == doble.error &&
                      (doble.error == int(NumeroError::Desbordamiento) ||
                       doble.error == int(NumeroError::TiposIncompatibles)),
                  texto);
    }
    VERIFICAR(Igual(leer(" \t" + texto + "  "), doble), texto);
    const QString recortado = texto.trimmed();
    if (!recortado.isEmpty() && recortado.front() >= u'0' && recortado.front() <= u'9')
        VERIFICAR(Igual(leer(u'-' + recortado), {doble.error ? 0 : -doble.valor, doble.error}),
                  texto);
    return doble;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tam) {
    const QString texto = fuzz::Texto(datos, tam);
    const fuzz::Lectura es = Comprobar(texto, fuzz::kEs);
    const fuzz::Lectura en = Comprobar(texto, fuzz::kEn);
    if (!texto.contains(u',') && !texto.contains(u'.'))
        VERIFICAR(Igual(es, en), texto);
    return 0;
}
