// Exact values, error numbers, the sign of zero, locales other than the two
// the screens are tested under, and the thresholds of the written form: what
// the fuzzers and the hostile-input catalogue cannot tell apart.

#include "app/conversiones/conversiones.h"
#include "solver/error_numerado.h"

#include <QRandomGenerator>
#include <QTest>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

const QLocale kEs(QLocale::Spanish, QLocale::Spain);
const QLocale kEn(QLocale::English, QLocale::UnitedStates);
constexpr int kDesborde = int(NumeroError::Desbordamiento);

// 0 when the call succeeds, otherwise the number of the error it raised.
template <typename F> int ErrorDe(F&& llamada) {
    try {
        llamada();
        return 0;
    } catch (const ErrorNumerado& e) {
        return e.valor();
    }
}

} // namespace

class TestConversiones : public QObject {
    Q_OBJECT

private slots:
    void textoADoble_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<double>("esperado");
        QTest::addColumn<int>("error");
        QTest::newRow("es millones y decimales") << kEs << "12.345.678,5" << 12345678.5 << 0;
        QTest::newRow("en miles") << kEn << "1,234,567.25" << 1234567.25 << 0;
        QTest::newRow("fr espacio tecleado")
            << QLocale(QLocale::French, QLocale::France) << "1 234,5" << 1234.5 << 0;
        QTest::newRow("de_CH apostrofo tecleado")
            << QLocale(QLocale::German, QLocale::Switzerland) << "1'234.5" << 1234.5 << 0;
        QTest::newRow("en_IN grupos de dos")
            << QLocale(QLocale::English, QLocale::India) << "12,34,567" << 1234567.0 << 0;
        // Its digits make an integer past 2^53, which a double no longer
        // holds exactly: the quick reading must not round twice.
        QTest::newRow("17 cifras") << kEs << "483822778,01338157" << 483822778.01338157 << 0;
        QTest::newRow("menor que el minimo, con signo") << kEs << "-1e-999" << -0.0 << 0;
        // What the program writes for the largest double lies just above it.
        QTest::newRow("maximo escrito") << kEs << "-1,79769313486232E+308" << -DBL_MAX << 0;
        QTest::newRow("sobre el maximo escrito")
            << kEn << "1.79769313486233e308" << 0.0 << kDesborde;
    }
    void textoADoble() {
        QFETCH(QLocale, locale);
        QFETCH(QString, texto);
        QFETCH(double, esperado);
        QFETCH(int, error);
        double valor = 0.0;
        QCOMPARE(ErrorDe([&] { valor = TextoADoble(texto, locale); }), error);
        // To the last bit, the sign of zero included.
        QCOMPARE(std::bit_cast<quint64>(valor), std::bit_cast<quint64>(esperado));
    }

    void dobleATexto_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<double>("valor");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("un tercio") << kEs << 1.0 / 3.0 << "0,333333333333333";
        QTest::newRow("umbral grande") << kEs << 1e15 << "1E+15";
        QTest::newRow("acarreo al umbral") << kEn << 999999999999999.9 << "1E+15";
        QTest::newRow("maximo") << kEs << DBL_MAX << "1,79769313486232E+308";
    }
    void dobleATexto() {
        QFETCH(QLocale, locale);
        QFETCH(double, valor);
        QFETCH(QString, esperado);
        QCOMPARE(DobleATexto(valor, locale), esperado);
        // A checked cell holds this text and is read again by the solve.
        QCOMPARE(DobleATexto(TextoADoble(esperado, locale), locale), esperado);
    }

    // Where rounding to 15 digits is hardest: values on either side of a
    // half in the 16th digit, powers of ten and their neighbours, across the
    // exponents where the written form changes and beyond. C's own rounding
    // ("%.15G") is the reference.
    void redondeoJuntoALaMitad() {
        const auto referencia = [](double v) {
            char c[32];
            const auto r = std::to_chars(c, c + sizeof c, v, std::chars_format::general, 15);
            return QString::fromLatin1(c, r.ptr - c).toUpper();
        };
        for (int exponente = -30; exponente <= 60; ++exponente)
            for (const char* cifras : {"1234567890123455", "9999999999999995", "1000000000000005",
                                       "1", "5000000000000005"}) {
                const std::string texto = std::string(cifras) + 'e' + std::to_string(exponente);
                const double v = std::strtod(texto.c_str(), nullptr);
                for (const double w : {v, std::nextafter(v, 0.0), std::nextafter(v, 1e300), -v})
                    QCOMPARE(DobleATexto(w, kEn), referencia(w));
            }
    }
};

QTEST_APPLESS_MAIN(TestConversiones)
#include "test_conversiones.moc"
