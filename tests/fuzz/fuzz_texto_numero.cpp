// Any text read as a double and as a 16-bit integer, under a decimal comma
// (es_ES) and a decimal point (en_US). Besides what the sanitizers catch, an
// input fails when:
// - a conversion raises anything but ErrorNumerado, or a number other than
//   type mismatch and overflow, or accepts a value that is not finite;
// - the text form of an accepted value is not in normal form, does not read
//   back to the value within 15 significant digits, or (for normal doubles)
//   reads back to a value written differently;
// - the integer reading is not the double reading rounded half to even, with
//   overflow exactly outside -32768 … 32767, and the same failure otherwise;
// - blanks around the text change the outcome, or a minus sign put before a
//   text that starts with a digit does more than negate it;
// - a text with neither "," nor "." reads differently under the two locales.

#include "tests/fuzz/fuzz_comun.h"

#include <cfenv>
#include <cstring>

namespace {

using fuzz::Lectura;

constexpr int kTipos = int(NumeroError::TiposIncompatibles);
constexpr int kDesborde = int(NumeroError::Desbordamiento);

bool Igual(const Lectura& a, const Lectura& b) {
    if (a.error != b.error || a.valor.has_value() != b.valor.has_value())
        return false;
    return !a.valor || std::memcmp(&*a.valor, &*b.valor, sizeof(double)) == 0;
}

Lectura Negada(Lectura r) {
    if (r.valor)
        r.valor = -*r.valor;
    return r;
}

Lectura Comprobar(const QString& texto, const QLocale& locale) {
    const Lectura doble = fuzz::LeerDoble(texto, locale);
    if (doble.valor) {
        const double v = *doble.valor;
        VERIFICAR(std::isfinite(v), texto);
        const QString escrito = DobleATexto(v, locale);
        VERIFICAR(fuzz::EnFormaNormal(escrito, locale), texto + u'|' + escrito);
        const Lectura releido = fuzz::LeerDoble(escrito, locale);
        VERIFICAR(releido.valor.has_value(), texto + u'|' + escrito);
        if (releido.valor) {
            VERIFICAR(fuzz::Cerca(v, *releido.valor), texto + u'|' + escrito);
            if (std::fabs(v) >= DBL_MIN)
                VERIFICAR(DobleATexto(*releido.valor, locale) == escrito, texto + u'|' + escrito);
        }
    } else {
        VERIFICAR(doble.error == kTipos || doble.error == kDesborde, texto);
    }

    const Lectura entero = fuzz::Leer([&] { return double(TextoAEntero16(texto, locale)); }, texto);
    if (!doble.valor) {
        VERIFICAR(entero.error == doble.error, texto);
    } else {
        // The default rounding mode rounds halves to even.
        const double esperado = std::nearbyint(*doble.valor);
        if (esperado >= -32768.0 && esperado <= 32767.0)
            VERIFICAR(entero.valor && *entero.valor == esperado, texto);
        else
            VERIFICAR(entero.error == kDesborde, texto);
    }

    VERIFICAR(Igual(fuzz::LeerDoble(QStringLiteral(" \t") + texto + QStringLiteral("  "), locale), doble),
              texto);
    const QString recortado = texto.trimmed();
    if (!recortado.isEmpty() && recortado.front().isDigit() && recortado.front().unicode() < 128)
        VERIFICAR(Igual(fuzz::LeerDoble(u'-' + recortado, locale), Negada(doble)), texto);
    return doble;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::fesetround(FE_TONEAREST);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tam) {
    fuzz::Entrada entrada(datos, tam);
    const QString texto = entrada.Resto();
    const Lectura es = Comprobar(texto, fuzz::Es());
    const Lectura en = Comprobar(texto, fuzz::En());
    if (!texto.contains(u',') && !texto.contains(u'.'))
        VERIFICAR(Igual(es, en), texto);
    return 0;
}
