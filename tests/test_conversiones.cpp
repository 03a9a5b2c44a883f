#include "app/conversiones.h"
#include "solver/error_numerado.h"

#include <QTest>
#include <cmath>
#include <limits>

namespace {

const QLocale kEs(QLocale::Spanish, QLocale::Spain);
const QLocale kEn(QLocale::English, QLocale::UnitedStates);

// 0 when the call succeeds, otherwise the number of the error it raised.
template <typename F> int ErrorDe(F&& llamada) {
    try {
        llamada();
        return 0;
    } catch (const ErrorNumerado& e) {
        return e.valor();
    }
}

constexpr int kTipos = int(NumeroError::TiposIncompatibles);
constexpr int kDesborde = int(NumeroError::Desbordamiento);

} // namespace

class TestConversiones : public QObject {
    Q_OBJECT

private slots:
    void textoADoble_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<double>("esperado");

        QTest::newRow("es coma decimal") << kEs << "2,5" << 2.5;
        QTest::newRow("en punto decimal") << kEn << "2.5" << 2.5;
        QTest::newRow("es blancos y ceros a la izquierda") << kEs << "  007 \t" << 7.0;
        QTest::newRow("es signo menos") << kEs << "-0,25" << -0.25;
        QTest::newRow("es exponente") << kEs << "1E2" << 100.0;
        QTest::newRow("en exponente negativo") << kEn << "1e-3" << 0.001;
        QTest::newRow("es miles") << kEs << "1.234" << 1234.0;
        QTest::newRow("es millones y decimales") << kEs << "12.345.678,5" << 12345678.5;
        QTest::newRow("en miles") << kEn << "1,234,567.25" << 1234567.25;
        QTest::newRow("fr espacio tecleado")
            << QLocale(QLocale::French, QLocale::France) << "1 234,5" << 1234.5;
        QTest::newRow("en_IN grupos de dos")
            << QLocale(QLocale::English, QLocale::India) << "12,34,567" << 1234567.0;
        QTest::newRow("es menor que el minimo") << kEs << "-1e-999" << -0.0;
        QTest::newRow("en subnormal")
            << kEn << "4.9e-324" << std::numeric_limits<double>::denorm_min();
    }

    void textoADoble() {
        QFETCH(QLocale, locale);
        QFETCH(QString, texto);
        QFETCH(double, esperado);
        const double valor = TextoADoble(texto, locale);
        QCOMPARE(valor, esperado);
        QCOMPARE(std::signbit(valor), std::signbit(esperado));
    }

    void textoADobleRechazado_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<int>("error");

        QTest::newRow("vacio") << kEs << "" << kTipos;
        QTest::newRow("solo blancos") << kEs << "   " << kTipos;
        QTest::newRow("letras") << kEs << "abc" << kTipos;
        QTest::newRow("inf") << kEn << "inf" << kTipos;
        QTest::newRow("exponente sin cifras") << kEs << "1e" << kTipos;
        QTest::newRow("doble signo") << kEs << "--1" << kTipos;
        QTest::newRow("signo y blanco") << kEs << "- 1" << kTipos;
        QTest::newRow("es punto por habito") << kEs << "2.5" << kTipos;
        QTest::newRow("es cero agrupado") << kEs << "0.001" << kTipos;
        QTest::newRow("es grupo corto") << kEs << "12.34" << kTipos;
        QTest::newRow("es grupo en fraccion") << kEs << "1,234.5" << kTipos;
        QTest::newRow("en coma por habito") << kEn << "2,5" << kTipos;
        QTest::newRow("texto detras") << kEn << "12abc" << kTipos;
        QTest::newRow("desborde") << kEs << "1e999" << kDesborde;
        QTest::newRow("exponente absurdo") << kEn << "1e99999999999999999999" << kDesborde;
    }

    void textoADobleRechazado() {
        QFETCH(QLocale, locale);
        QFETCH(QString, texto);
        QFETCH(int, error);
        QCOMPARE(ErrorDe([&] { TextoADoble(texto, locale); }), error);
    }

    void textoAEntero16_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<int>("esperado");
        QTest::addColumn<int>("error");

        QTest::newRow("es mitad a par abajo") << kEs << "4,5" << 4 << 0;
        QTest::newRow("es mitad a par arriba") << kEs << "5,5" << 6 << 0;
        QTest::newRow("en mitad a par") << kEn << "4.5" << 4 << 0;
        QTest::newRow("negativo mitad") << kEn << "-2.5" << -2 << 0;
        QTest::newRow("maximo") << kEs << "32767" << 32767 << 0;
        QTest::newRow("minimo redondeado") << kEn << "-32768.5" << -32768 << 0;
        QTest::newRow("redondea fuera") << kEn << "32767.5" << 0 << kDesborde;
        QTest::newRow("no es numero") << kEs << "abc" << 0 << kTipos;
        QTest::newRow("es punto") << kEs << "4.5" << 0 << kTipos;
    }

    void textoAEntero16() {
        QFETCH(QLocale, locale);
        QFETCH(QString, texto);
        QFETCH(int, esperado);
        QFETCH(int, error);
        int valor = 0;
        QCOMPARE(ErrorDe([&] { valor = TextoAEntero16(texto, locale); }), error);
        QCOMPARE(valor, esperado);
    }

    void dobleATexto_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<double>("valor");
        QTest::addColumn<QString>("esperado");

        QTest::newRow("es un tercio") << kEs << 1.0 / 3.0 << "0,333333333333333";
        QTest::newRow("en un tercio") << kEn << 1.0 / 3.0 << "0.333333333333333";
        QTest::newRow("acarreo a uno") << kEs << 0.9999999999999999 << "1";
        QTest::newRow("cero negativo") << kEn << -0.0 << "0";
        QTest::newRow("negativo") << kEs << -2.5 << "-2,5";
        QTest::newRow("sin agrupar") << kEn << 1234567.0 << "1234567";
        QTest::newRow("quince cifras") << kEn << 123456789012345.0 << "123456789012345";
        QTest::newRow("umbral grande") << kEs << 1e15 << "1E+15";
        QTest::newRow("acarreo al umbral") << kEn << 999999999999999.9 << "1E+15";
        QTest::newRow("es mantisa grande") << kEs << 1.5e20 << "1,5E+20";
        QTest::newRow("umbral pequeno dentro") << kEn << 0.0001 << "0.0001";
        QTest::newRow("umbral pequeno fuera") << kEn << 0.00001 << "1E-05";
        QTest::newRow("es pequeno con mantisa") << kEs << -1.25e-7 << "-1,25E-07";
        QTest::newRow("subnormal")
            << kEs << std::numeric_limits<double>::denorm_min() << "4,94065645841247E-324";
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
