// Thousands of random systems typed into the grid as people type numbers: the
// screens must hand the results, bit for bit, the unknowns of ResolverSistema on
// the same texts (TextoADoble, empty as 0), or fail the same way at the same place.
// Round after round of screens built and unloaded must leave nothing behind:
// as many widgets as after a warm-up, and nothing for LeakSanitizer (on for
// this test in the sanitizer build).

#include "app/conversiones/conversiones.h"
#include "solver/error_numerado.h"
#include "solver/resolver_sistema.h"
#include "tests/banco_pantallas.h"

#include <QRandomGenerator>
#include <cstring>

namespace {

class Generador : QRandomGenerator {
public:
    using QRandomGenerator::QRandomGenerator;
    int Entre(int desde, int hasta) { return int(bounded(desde, hasta + 1)); }
    bool Azar(int porCiento) { return Entre(1, 100) <= porCiento; }
    QString Uno(std::initializer_list<const char*> lista) {
        return ConSeparador(QString::fromUtf8(lista.begin()[Entre(0, int(lista.size()) - 1)]));
    }

    // A coefficient as someone might type it, with a decimal exponent up to
    // ±tope; tope 0 gives only empties, zeros and small integers (zero pivots,
    // 0/0), which also turn up now and then among the others.
    QString Numero(int tope) {
        if (tope == 0 || Azar(5))
            return Uno({"", "", "0", "1", "-1", "2", "-2", " 1 ", "1{d}0"});
        QString cifras; // the first one not a zero, so that grouping stays valid
        for (int i = 0, largo = Entre(1, 17); i < largo; ++i)
            cifras += QChar(u'0' + Entre(i == 0 ? 1 : 0, 9));
        const int coma = Entre(0, int(cifras.size())); // digits before the separator
        QString entera = cifras.left(coma);
        if (Azar(25)) // 1.234.567
            for (qsizetype i = entera.size() - 3; i > 0; i -= 3)
                entera.insert(i, QLocale().groupSeparator());
        else if (Azar(25))
            entera.prepend("00");
        QString texto = (entera.isEmpty() ? "0" : entera) +
                        (coma < cifras.size() ? ConSeparador("{d}") + cifras.mid(coma) : "");
        if (tope > 5 || Azar(25)) {
            const int e = Azar(75) ? Entre(-tope / 2, tope / 2) : Entre(-tope, tope);
            texto += Uno({"e", e < 0 ? "E" : "E+"}) + QString::number(e);
        }
        return Uno({"", " ", "\t"}) + Uno({"", "", "-", "+"}) + texto + Uno({"", " "});
    }
};

// The direct path: the unknowns, and for a failure what the message must say.
std::pair<std::vector<double>, QString> Resolver(const QList<QStringList>& filas) {
    const int n = int(filas.size());
    std::vector<double> x(n, 0.0), v[4];
    int i = 0, c = 0;
    try {
        for (i = 0; i < n; ++i)
            for (c = 0; c < 4; ++c)
                v[c].push_back(TextoADoble(filas[i][c].isEmpty() ? "0" : filas[i][c], QLocale()));
        ResolverSistema(n, v[0], v[1], v[2], v[3], x);
    } catch (const ErrorNumerado& e) {
        return {x, i < n ? QString::asprintf("%s: la celda de la fila %d, columna %c,", e.texto(),
                                             i + 1, 'A' + c)
                         : QString::asprintf("%s: la resolución se detuvo en la ecuación %d",
                                             e.texto(), e.ecuacion())};
    }
    return {x, QString()};
}

} // namespace

class TestDiferencialPantalla : public QObject, BancoPantallas {
    Q_OBJECT

    // Types the count and the cells; returns the texts the solve will find.
    QList<QStringList> Escribir(Generador& g, int tope, bool noNumero, bool porEditor) {
        const int n = g.Azar(3) ? g.Entre(13, 40) : g.Entre(4, 12);
        const int malo = noNumero ? g.Entre(0, 4 * n - 1) : -1; // row-major, not a number
        if (!Caja()->isEnabled())
            Clic(Datos(), "BotonCambio"); // still here after a failed solve
        Caja()->setText(g.Uno({"%1", " +%1", "%1{d}4"}).arg(n));
        Clic(Datos(), "OK1");
        QList<QStringList> filas(n, QStringList(4));
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < 4; ++c) {
                QString& texto = filas[i][c];
                texto = 4 * i + c == malo ? g.Uno({"abc", "  ", "1,2,3", "1e999"}) : g.Numero(tope);
                Tabla()->SetCurrentRow(i + 1);
                Tabla()->SetCurrentCol(c + 1);
                Tabla()->SetCellText(texto);
                if (!porEditor || texto.isEmpty())
                    continue;
                QTest::keyClick(Tabla(), Qt::Key_F2); // through the cell check

                qobject_cast<QLineEdit*>(QApplication::focusWidget())->setText(texto);
                Pulsar(Qt::Key_Return);
                if (Tabla()->isEditing()) // marked, and reopened: left as typed
                    Pulsar(Qt::Key_Escape);
                texto = Tabla()->gridModel()->text(i, c);
            }
        return filas;
    }

    void Comparar(const QList<QStringList>& filas) {
        const auto [solucion, fallo] = Resolver(filas);
        VigilanteMensajes mensajes;
        Clic(Datos(), "Resolver");
        const std::vector<double>& pantalla = app->Modulo().Solucion;
        QVERIFY(pantalla.size() == solucion.size() &&
                !std::memcmp(pantalla.data(), solucion.data(), solucion.size() * sizeof(double)));
        QCOMPARE(mensajes.vistos.size(), fallo.isEmpty() ? 0 : 1);
        if (fallo.isEmpty()) {
            QVERIFY(Resultados() && !Datos());
            Clic(Resultados(), "Command2");
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        } else {
            QVERIFY2(!Resultados() && mensajes.vistos[0].contains(fallo),
                     qPrintable(mensajes.vistos[0] + " / " + fallo));
            Datos()->activateWindow(); // a message box leaves none active offscreen
        }
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase() {
        SinAvisosDeLaPlataforma();
        QVERIFY(Montar());
    }
    void cleanupTestCase() {
        app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Of every eight systems, four with moderate exponents, two across the whole
    // double range and beyond, one of zeros and small integers, one with a cell
    // that is not a number; one in twenty typed through the cell check.
    void random_systems() {
        Generador g(20240611);
        qsizetype widgets = 0;
        for (int s = 0; s < 2000; ++s) {
            constexpr int kTope[8] = {5, 5, 5, 5, 330, 330, 0, 5};
            Comparar(Escribir(g, kTope[s % 8], s % 8 == 7, s % 20 == 0));
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("system %1").arg(s)));
            if (s == 50)
                widgets = QApplication::allWidgets().size();
        }
        QCOMPARE(QApplication::allWidgets().size(), widgets);
    }
};

QTEST_MAIN(TestDiferencialPantalla)
#include "test_diferencial_pantalla.moc"
