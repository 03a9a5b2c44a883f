// From typed coefficients to the unknowns, through the real screens with a
// recording voice: the results table, failures that keep the user's data,
// and the ways out of the results screen.

#include "grid/grid_model.h"
#include "tests/ayudantes_pantallas.h"
#include "tests/banco_pantallas.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

namespace {

using Filas = QList<QStringList>; // A, B, C, D of each equation, as typed

const QString kTitulo = QStringLiteral("Resolución del sistema tridiagonal");

// B = 2, A = C = -1, D = (1, 0, 0, 1): every unknown is 1 (the third is
// 0.9999999999999999 in binary).
Filas Clasico() {
    return {{"", "2", "-1", "1"}, {"-1", "2", "-1", "0"}, {"-1", "2", "-1", "0"}, {"-1", "2", "", "1"}};
}

Filas Diagonal(int n, const QString& b, const QString& d) {
    Filas filas;
    for (int i = 0; i < n; ++i)
        filas << QStringList{"", b, "", d};
    return filas;
}

} // namespace

class TestResolucion : public QObject, BancoPantallas {
    Q_OBJECT

    void Preparar(const Filas& filas) {
        En<QLineEdit>(Datos(), "NumeroEcuaciones")->setText(QString::number(filas.size()));
        QTest::mouseClick(En<QPushButton>(Datos(), "OK1"), Qt::LeftButton);
        for (int i = 0; i < filas.size(); ++i)
            for (int c = 0; c < 4; ++c) {
                Tabla()->SetCurrentRow(i + 1);
                Tabla()->SetCurrentCol(c + 1);
                Tabla()->SetCellText(ConSeparador(filas[i][c]));
            }
    }
    void Resolver() { QTest::mouseClick(En<QPushButton>(Datos(), "Resolver"), Qt::LeftButton); }
    QString Celda(int fila, int col) { return Tabla()->gridModel()->text(fila - 1, col - 1); }
    QStringList Columna(int col) {
        QStringList textos;
        const GridModel* m = En<QtGrid>(Resultados(), "Incognitas")->gridModel();
        for (int fila = 0; fila < m->rowCount(); ++fila)
            textos << m->text(fila, col);
        return textos;
    }

private slots:
    void init() {
        Montar();
        QVERIFY(QTest::qWaitForWindowActive(Datos()));
    }
    void cleanup() { app.reset(); }

    void results_show_the_unknowns_data() {
        QTest::addColumn<Filas>("filas");
        QTest::addColumn<QStringList>("valores");
        QTest::newRow("classic 4x4") << Clasico() << QStringList{"1", "1", "1", "1"};
        Filas esquinas = Clasico();
        esquinas[0][0] = "99";
        esquinas[3][2] = "-7{d}5";
        QTest::newRow("A(1) and C(n) ignored") << esquinas << QStringList{"1", "1", "1", "1"};
        QTest::newRow("only B filled") << Diagonal(5, "4", "") << QStringList(5, "0");
        QTest::newRow("one third") << Diagonal(4, "3", "1") << QStringList(4, "0{d}333333333333333");
        QTest::newRow("negative") << Diagonal(4, "-4", "1") << QStringList(4, "-0{d}25");
        QTest::newRow("12 equations") << Diagonal(12, "2", "1e3") << QStringList(12, "500");
    }
    void results_show_the_unknowns() {
        QFETCH(Filas, filas);
        QFETCH(QStringList, valores);
        Preparar(filas);
        voz->Olvidar();
        Resolver();

        QVERIFY(!Datos());
        QVERIFY(Resultados() && Resultados()->isVisible());
        QCOMPARE(voz->Frases(), QStringList{kTitulo});
        QStringList etiquetas;
        for (int i = 1; i <= filas.size(); ++i)
            etiquetas << QStringLiteral("x%1").arg(i);
        QCOMPARE(Columna(0), etiquetas);
        for (QString& valor : valores)
            valor = ConSeparador(valor);
        QCOMPARE(Columna(1), valores);
        const GridModel* m = En<QtGrid>(Resultados(), "Incognitas")->gridModel();
        QCOMPARE(m->headerText(Qt::Horizontal, 0), QStringLiteral("Incógnita"));
        QCOMPARE(m->headerText(Qt::Horizontal, 1), QStringLiteral("Valor"));
        QCOMPARE(Resultados()->GetPuntero(), Puntero::Predeterminado);
    }

    // The user keeps every cell and is told what failed and where.
    void failed_solve_keeps_typed_cells_data() {
        QTest::addColumn<Filas>("filas");
        QTest::addColumn<QString>("mensaje");
        QTest::addColumn<QPoint>("celdaActual"); // (0, 0): not a cell failure
        QTest::newRow("empty grid") << Filas(4, QStringList(4, "")) << "Error de Desbordamiento: la resolución se detuvo en la ecuación 2" << QPoint();
        Filas pivote = Diagonal(4, "1", "1");
        pivote[0][2] = pivote[1][0] = "1"; // Beta(2) = 1 - 1·1 = 0
        pivote[2][0] = "5";
        QTest::newRow("zero pivot") << pivote << "División entre cero: la resolución se detuvo en la ecuación 3" << QPoint();
        Filas letras = Clasico();
        letras[1][2] = "abc";
        QTest::newRow("not a number") << letras << "No coinciden los tipos: la celda de la fila 2, columna C," << QPoint(2, 3);
        Filas enorme = Clasico();
        enorme[2][1] = "1e999";
        QTest::newRow("out of range") << enorme << "Error de Desbordamiento: la celda de la fila 3, columna B, contiene" << QPoint(3, 2);
    }
    void failed_solve_keeps_typed_cells() {
        QFETCH(Filas, filas);
        QFETCH(QString, mensaje);
        QFETCH(QPoint, celdaActual);
        Preparar(filas);
        voz->Olvidar();
        VigilanteMensajes mensajes;
        Resolver();

        QCOMPARE(mensajes.vistos.size(), 1);
        QVERIFY2(mensajes.vistos[0].contains(mensaje), qPrintable(mensajes.vistos[0]));
        QCOMPARE(voz->Frases().size(), 1); // spoken before it is shown
        QVERIFY(mensajes.vistos[0].endsWith(voz->Frases()[0]));
        QVERIFY(!Resultados());
        QVERIFY(Datos() && Datos()->isVisible() && Tabla()->isEnabled());
        QCOMPARE(Datos()->GetPuntero(), Puntero::Predeterminado);
        for (int i = 0; i < filas.size(); ++i)
            for (int c = 0; c < 4; ++c) {
                const QString escrito = ConSeparador(filas[i][c]);
                const bool leida = celdaActual.isNull() || i + 1 < celdaActual.x() ||
                                   (i + 1 == celdaActual.x() && c + 1 <= celdaActual.y());
                QCOMPARE(Celda(i + 1, c + 1), escrito.isEmpty() && leida ? QStringLiteral("0") : escrito);
            }
        if (!celdaActual.isNull())
            QCOMPARE(QPoint(Tabla()->CurrentRow(), Tabla()->CurrentCol()), celdaActual);
    }

    // Alt+R while a cell is still being edited: the typed text counts.
    void solve_ends_an_open_edit_first() {
        Preparar(Clasico());
        Tabla()->SetCurrentRow(1);
        Tabla()->SetCurrentCol(4);
        Tabla()->setFocus();
        Teclear(QStringLiteral("3"));
        QVERIFY(Tabla()->isEditing());
        Pulsar(Qt::Key_R, Qt::AltModifier);
        QTRY_VERIFY(Resultados());
        QCOMPARE(Columna(1), (QStringList{"2{d}6", "2{d}2", "1{d}8", "1{d}4"}).replaceInStrings("{d}", QLocale().decimalPoint()));
    }

    void leaving_the_results_data() {
        QTest::addColumn<QString>("como");
        QTest::addColumn<bool>("termina");
        QTest::newRow("new data") << "Command2" << false;
        QTest::newRow("exit") << "Command1" << true;
        QTest::newRow("close box") << "" << true;
    }
    void leaving_the_results() {
        QFETCH(QString, como);
        QFETCH(bool, termina);
        QSignalSpy fin(app.get(), &Aplicacion::terminada);
        Preparar(Clasico());
        Resolver();
        QVERIFY(Resultados());
        if (como.isEmpty())
            Resultados()->close();
        else
            QTest::mouseClick(En<QPushButton>(Resultados(), qPrintable(como)), Qt::LeftButton);

        QCOMPARE(fin.count(), termina ? 1 : 0);
        QVERIFY(!Resultados());
        if (!termina) {
            QVERIFY(Datos() && Datos()->isVisible());
            QVERIFY(En<QLineEdit>(Datos(), "NumeroEcuaciones")->text().isEmpty());
            QVERIFY(En<QLineEdit>(Datos(), "NumeroEcuaciones")->isEnabled());
            QCOMPARE(Tabla()->RowCount(), 4); // as designed
        }
    }

    void voice_off_opens_the_results_silently() {
        Preparar(Clasico());
        QTest::mouseClick(En<QPushButton>(Datos(), "ComandoVoz"), Qt::LeftButton);
        voz->Olvidar();
        Resolver();
        QVERIFY(Resultados());
        QVERIFY(voz->Llamadas().isEmpty());
    }
};

QTEST_MAIN(TestResolucion)
#include "test_resolucion.moc"
