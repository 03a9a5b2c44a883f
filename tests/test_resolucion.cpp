// From typed coefficients to the unknowns, through the real screens with a
// recording voice: the results table in the user's locale, failures that
// keep the user's data and say where, and the ways out of the results.

#include "tests/banco_pantallas.h"

#include <QPushButton>
#include <QSignalSpy>

using Filas = QList<QStringList>; // A, B, C, D of each equation, as typed

class TestResolucion : public QObject, BancoPantallas {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(Montar());
        ConfirmarCuenta(4);
    }
    void cleanup() { app.reset(); }

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
        QCOMPARE(voz->Frases(), QStringList{"Resolución del sistema tridiagonal"});
        const GridModel* m = En<QtGrid>(Resultados(), "Incognitas")->gridModel();
        QCOMPARE(m->rowCount(), 4);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(m->text(i, 0), QStringLiteral("x%1").arg(i + 1));
            QCOMPARE(m->text(i, 1), ConSeparador(i ? "0{d}333333333333333" : "11"));
        }

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

    // Every cell stays as typed, except the empty ones read before the
    // failure, which now show the 0 they were read as.
    void failed_solve_keeps_typed_cells_data() {
        QTest::addColumn<Filas>("filas");
        QTest::addColumn<QString>("mensaje");
        QTest::addColumn<QPoint>("celda"); // null: the solve failed, not a cell
        QTest::newRow("empty grid")
            << Filas(4, QStringList(4))
            << "Error de Desbordamiento: la resolución se detuvo en la ecuación 2" << QPoint();
        Filas letras(4, {"", "2", "-1", "1"});
        letras[1][2] = "abc";
        QTest::newRow("not a number")
            << letras << "No coinciden los tipos: la celda de la fila 2, columna C, no contiene"
            << QPoint(2, 3);
        Filas enorme(4, {"", "2", "-1", "1"});
        enorme[2][1] = "1e999";
        QTest::newRow("out of range")
            << enorme << "Error de Desbordamiento: la celda de la fila 3, columna B, contiene"
            << QPoint(3, 2);
    }
    void failed_solve_keeps_typed_cells() {
        QFETCH(Filas, filas);
        QFETCH(QString, mensaje);
        QFETCH(QPoint, celda);
        Poner(filas);
        voz->Olvidar();
        VigilanteMensajes mensajes;
        En<QPushButton>(Datos(), "Resolver")->click();

        QCOMPARE(mensajes.vistos.size(), 1);
        QVERIFY2(mensajes.vistos[0].contains(mensaje), qPrintable(mensajes.vistos[0]));
        QCOMPARE(voz->Frases(), QStringList{mensajes.vistos[0].section(QStringLiteral(" | "), 1)});
        QVERIFY(!Resultados() && Datos()->isVisible() && Tabla()->isEnabled());
        QCOMPARE(Datos()->GetPuntero(), Puntero::Predeterminado);
        for (int i = 0; i < 4; ++i)
            for (int c = 0; c < 4; ++c) {
                const QString escrito = ConSeparador(filas[i][c]);
                const bool leida = celda.isNull() || i + 1 < celda.x() ||
                                   (i + 1 == celda.x() && c + 1 <= celda.y());
                QCOMPARE(Tabla()->gridModel()->text(i, c),
                         escrito.isEmpty() && leida ? QStringLiteral("0") : escrito);
            }
        if (!celda.isNull())
            QCOMPARE(Actual(), celda);
    }
};

QTEST_MAIN(TestResolucion)
#include "test_resolucion.moc"
