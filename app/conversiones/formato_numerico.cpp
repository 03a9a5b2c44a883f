#include "app/conversiones/formato_numerico.h"

#include <QStringList>
#include <optional>

namespace {

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

} // namespace

const FormatoNumerico& FormatoDe(const QLocale& locale) {
    thread_local std::optional<FormatoNumerico> ultimo;
    if (!ultimo || ultimo->locale != locale)
        ultimo = CalcularFormato(locale);
    return *ultimo;
}
