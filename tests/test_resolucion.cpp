// From typed coefficients to the unknowns, through the real screens with a
// silent voice: the results table in the user's locale and copied whole,
// failures that keep the user's data and say where, the ways out of the
// results, and thousands of random systems solved as ResolverSistema solves
// them.

#include "app/conversiones/conversiones.h"
#include "solver/error_numerado.h"
#include "solver/resolucion_comprobada.h"
#include "tests/banco_pantallas.h"

#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <cmath>
#include <cstring>

using Filas = QList<QStringList>; // A, B, C, D of each equation, as typed

namespace {

// A coefficient as the program writes it, of a magnitude up to 10^±tope
// (beyond the doubles, it is no number), or now and then, and always with
// tope 0, an empty cell or a small integer: zero pivots and 0/0.
QString Coeficiente(QRandomGenerator& g, int tope) {
    if (tope == 0 || g.bounded(20) == 0)
        return QStringList{"", "", "0", "1", "-1", "2"}[g.bounded(6)];
    const double v = (2 * g.generateDouble() - 1) * std::pow(10.0, g.bounded(-tope, tope + 1));
    return DobleATexto(v, QLocale());
}

// The direct path: the unknowns and how they were found, and for a failure
// what the message must say and the cell it names, if any.
struct Directo {
    std::vector<double> x;
    InformeResolucion informe;
    QString fallo;
    QPoint celda;

    explicit Directo(const Filas& filas) : x(filas.size(), 0.0) {
        const int n = int(filas.size());
        std::vector<double> v[4];
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < 4; ++c)
                try {
                    v[c].push_back(
                        TextoADoble(filas[i][c].isEmpty() ? "0" : filas[i][c], QLocale()));
                } catch (const ErrorNumerado& e) {
                    celda = QPoint(i + 1, c + 1);
                    fallo = QString::asprintf("%s: la celda de la fila %d, columna %c, %s",
                                              e.texto(), i + 1, 'A' + c,
                                              e.numero() == NumeroError::Desbordamiento
                                                  ? "contiene un número demasiado grande"
                                                  : "no contiene un número");
                    return;
                }
        informe = ResolverComprobado(n, v[0], v[1], v[2], v[3], x);
        const char* rechazos[] = {"", "El sistema es singular:", "El sistema es casi singular:",
                                  "Error de Desbordamiento: con estos coeficientes"};
        fallo = QString::fromUtf8(rechazos[int(informe.rechazo)]);
    }
};

} // namespace

class TestResolucion : public QObject, BancoPantallas {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(Montar());
        ConfirmarCuenta(4);
    }
    void cleanup() {
        app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Alt+R with a cell still being edited: the typed text counts. The
    // results are in the user's regional format; leaving them ends the
    // program or brings back a data-entry screen as it first opens.
    void results_and_the_ways_out_data() {
        QTest::addColumn<QString>("boton"); // "": the window's close box
        QTest::addColumn<bool>("termina");
        QTest::newRow("new data") << "Command2" << false;
        QTest::newRow("exit") << "Command1" << true;
        QTest::newRow("close box") << "" << true;
    }
    void results_and_the_ways_out() {
        QFETCH(QString, boton);
        QFETCH(bool, termina);
        QSignalSpy fin(app.get(), &Aplicacion::terminada);
        Poner(Filas(4, {"", "3", "", "1"}));
        Tabla()->SetCurrentRow(1);
        Tabla()->SetCurrentCol(4);
        Tabla()->setFocus();
        Teclear(QStringLiteral("33")); // x1 = 11
        QVERIFY(Tabla()->isEditing());
        voz->Olvidar();
        Pulsar(Qt::Key_R, Qt::AltModifier);

        QTRY_VERIFY(!Datos() && Resultados() && Resultados()->isVisible());
        // The title, and how far the unknowns can be trusted, said and shown.
        const QString exactitud = En<QLabel>(Resultados(), "Exactitud")->text();
        QVERIFY(exactitud.startsWith("Exactitud: 15 cifras significativas confiables"));
        QCOMPARE(voz->Frases(), QStringList{"Resolución del sistema tridiagonal. " + exactitud});
        // Copied whole, whatever cell is current, for a spreadsheet to read.
        auto* incognitas = En<QtGrid>(Resultados(), "Incognitas");
        incognitas->SetCurrentRow(2);
        incognitas->SetCurrentCol(0);
        QTest::keyClick(incognitas, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 ConSeparador("Incógnita\tValor\nx1\t11\nx2\t0{d}333333333333333\n"
                              "x3\t0{d}333333333333333\nx4\t0{d}333333333333333\n"));
        QCOMPARE(QPoint(incognitas->CurrentRow(), incognitas->CurrentCol()), QPoint(2, 0));

        boton.isEmpty() ? void(Resultados()->close())
                        : En<QPushButton>(Resultados(), qPrintable(boton))->click();
        QCOMPARE(fin.count(), termina ? 1 : 0);
        QVERIFY(!Resultados());
        if (!termina) {
            auto* cuenta = En<QLineEdit>(Datos(), "NumeroEcuaciones");
            QVERIFY(Datos()->isVisible() && cuenta->isEnabled() && cuenta->text().isEmpty());
            QCOMPARE(Tabla()->RowCount(), 4);
        }
    }

    // Of every eight systems, five of moderate magnitudes, one across the
    // whole double range and beyond, one of zeros and small integers, one
    // with a cell that is not a number: the results equal those of a direct
    // solve of the same texts, bit for bit, or the failure is the same, at
    // the same place, said and shown with every typed cell kept (the empty
    // ones read before it now show the 0 they were read as), the failing cell
    // current. Round after round of screens built and unloaded leaves nothing
    // behind: as many widgets as after a warm-up, and nothing for
    // LeakSanitizer (on for this test in the sanitizer build).
    void random_systems_as_the_solver_solves_them() {
        SinAvisosDeLaPlataforma();
        QRandomGenerator g(20240611);
        qsizetype widgets = 0;
        for (int s = 0; s < 2000 && !QTest::currentTestFailed(); ++s) {
            if (s == 50)
                widgets = QApplication::allWidgets().size();
            const int n = 4 + g.bounded(s % 30 ? 9 : 37),
                      tope = QList{5, 5, 5, 5, 5, 330, 0, 5}[s % 8];
            Filas filas(n, QStringList(4));
            for (QStringList& fila : filas)
                for (QString& texto : fila)
                    texto = Coeficiente(g, tope);
            if (s % 8 == 7)
                filas[g.bounded(n)][g.bounded(4)] =
                    QStringList{"abc", "1,2,3", "1e999"}[g.bounded(3)];
            if (Estado() == QLatin1String("coefficients"))
                Clic(Datos(), "BotonCambio"); // still here after a failed solve
            Caja()->setText(ConSeparador(QStringList{"%1", " +%1", "%1{d}4"}[g.bounded(3)]).arg(n));
            Clic(Datos(), "OK1");
            Poner(filas);

            const Directo directo(filas);
            VigilanteMensajes mensajes;
            Clic(Datos(), "Resolver");
            const std::vector<double>& x = app->Modulo().Solucion;
            QVERIFY2(x.size() == directo.x.size() &&
                         !std::memcmp(x.data(), directo.x.data(), x.size() * sizeof(double)),
                     qPrintable(QStringLiteral("system %1").arg(s)));
            QCOMPARE(mensajes.vistos.size(), directo.fallo.isEmpty() ? 0 : 1);
            if (directo.fallo.isEmpty()) {
                const QString exactitud = En<QLabel>(Resultados(), "Exactitud")->text();
                QCOMPARE(exactitud.startsWith("Resuelto con pivoteo parcial"),
                         directo.informe.metodo == Metodo::PivoteoParcial);
                Clic(Resultados(), "Command2");
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                QCoreApplication::processEvents();
                continue;
            }
            QVERIFY2(mensajes.vistos[0].contains(directo.fallo), qPrintable(mensajes.vistos[0]));
            QCOMPARE(voz->Frases().last(), mensajes.vistos[0].section(" | ", 1));
            QCOMPARE(Datos()->GetPuntero(), Puntero::Predeterminado);
            const QPoint& fallida = directo.celda;
            for (int i = 0; i < n; ++i)
                for (int c = 0; c < 4; ++c) {
                    const bool leida = fallida.isNull() || i + 1 < fallida.x() ||
                                       (i + 1 == fallida.x() && c + 1 <= fallida.y());
                    QCOMPARE(Tabla()->gridModel()->text(i, c),
                             filas[i][c].isEmpty() && leida ? QStringLiteral("0") : filas[i][c]);
                }
            if (!fallida.isNull())
                QCOMPARE(Actual(), fallida);
            Datos()->activateWindow(); // a message box leaves none active offscreen
            QCoreApplication::processEvents();
        }
        QCOMPARE(QApplication::allWidgets().size(), widgets);
    }
};

QTEST_MAIN(TestResolucion)
#include "test_resolucion.moc"
