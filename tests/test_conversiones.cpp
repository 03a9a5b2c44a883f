// Exact values, error numbers, the sign of zero, locales other than the two
// the screens are tested under, and the thresholds of the written form: what
// the fuzzers and the hostile-input catalogue cannot tell apart.

#include "app/conversiones/conversiones.h"
#include "solver/error_numerado.h"

#include <QTest>
#include <cfloat>
#include <cmath>

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
        QCOMPARE(valor, esperado);
        QCOMPARE(std::signbit(valor), std::signbit(esperado));
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
};

QTEST_APPLESS_MAIN(TestConversiones)
#include "test_conversiones.moc"
