// Blocks pasted from a spreadsheet into the coefficient grid, and the tables
// copied out, through the real screens, the system clipboard and a recording
// voice.

#include "grid/grid_model.h"
#include "tests/ayudantes_pantallas.h"
#include "tests/banco_pantallas.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

namespace {

using Filas = QList<QStringList>; // A, B, C, D of each equation
using Celdas = QList<QPoint>;     // (row, column) as GridControl counts them

const QString kTitulo = QStringLiteral("Pegado Parcial de Datos | ");
const QString kLleno = QStringLiteral("9"); // every cell before the paste

Filas Llenas(int n) {
    return Filas(n, QStringList(4, kLleno));
}

// Rows of the grid from `fila` on, starting at column A.
Filas Con(Filas filas, int fila, const Filas& cambios) {
    for (int i = 0; i < cambios.size(); ++i)
        for (int c = 0; c < cambios[i].size(); ++c)
            filas[fila - 1 + i][c] = cambios[i][c];
    return filas;
}

} // namespace

class TestPortapapeles : public QObject, BancoPantallas {
    Q_OBJECT

    void Confirmar(int n) {
        En<QLineEdit>(Datos(), "NumeroEcuaciones")->setText(QString::number(n));
        QTest::mouseClick(En<QPushButton>(Datos(), "OK1"), Qt::LeftButton);
        QCOMPARE(Tabla()->RowCount(), n + 1);
    }
    void Poner(const Filas& filas) {
        for (int i = 0; i < filas.size(); ++i)
            for (int c = 0; c < 4; ++c) {
                Tabla()->SetCurrentRow(i + 1);
                Tabla()->SetCurrentCol(c + 1);
                Tabla()->SetCellText(ConSeparador(filas[i][c]));
            }
    }
    Filas Contenido() {
        Filas filas;
        const GridModel* m = Tabla()->gridModel();
        for (int fila = 0; fila < m->rowCount(); ++fila) {
            QStringList textos;
            for (int col = 0; col < 4; ++col)
                textos << m->text(fila, col);
            filas << textos;
        }
        return filas;
    }
    bool Marcada(int fila, int col) {
        const QVariant fondo =
            Tabla()->gridModel()->index(fila - 1, col - 1).data(Qt::BackgroundRole);
        return fondo.isValid() && fondo.value<QBrush>().color().rgb() == Tabla()->MarkColors().back;
    }
    bool ADerecha(int fila, int col) {
        const QVariant alineacion =
            Tabla()->gridModel()->index(fila - 1, col - 1).data(Qt::TextAlignmentRole);
        return alineacion.toInt() == int(Qt::AlignRight | Qt::AlignVCenter);
    }
    // Ctrl+V where the user would press it. The user always has a cell in
    // front of them; only the program can leave the current cell on a header,
    // and that case reaches the screen as the grid would raise it.
    void Pegar(QPoint inicio, const QString& texto) {
        QGuiApplication::clipboard()->setText(texto);
        Tabla()->SetCurrentRow(inicio.x());
        Tabla()->SetCurrentCol(inicio.y());
        Tabla()->setFocus();
        if (inicio.x() == 0 || inicio.y() == 0)
            emit Tabla()->PasteRequested(texto);
        else
            QTest::keyClick(Tabla(), Qt::Key_V, Qt::ControlModifier);
    }
    void Resolver() { QTest::mouseClick(En<QPushButton>(Datos(), "Resolver"), Qt::LeftButton); }

private slots:
    void init() {
        Montar();
        QVERIFY(QTest::qWaitForWindowActive(Datos()));
    }
    void cleanup() {
        app.reset();
        QGuiApplication::clipboard()->clear();
    }

    // Every grid starts with 9 in each cell, so what the paste must not touch
    // shows; "{d}" is the decimal separator of the locale under test.
    void paste_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QPoint>("inicio");
        QTest::addColumn<QString>("pegado");
        QTest::addColumn<Filas>("esperado");
        QTest::addColumn<Celdas>("marcadas");
        QTest::addColumn<QPoint>("actual");
        QTest::addColumn<QString>("mensaje"); // "": no message, nothing said

        QTest::newRow("4x4 block in normal form")
            << 4 << QPoint(1, 1)
            << "1{d}50\t2\t-0{d}5\t1E2\n007\t3\t4\t5\n6\t7\t8\t-1e-3\n10\t11\t12\t13\n"
            << Filas{{"1{d}5", "2", "-0{d}5", "100"}, {"7", "3", "4", "5"},
                     {"6", "7", "8", "-0{d}001"}, {"10", "11", "12", "13"}}
            << Celdas{} << QPoint(1, 1) << "";
        QTest::newRow("non-numbers marked, first one current")
            << 4 << QPoint(1, 1) << "1\tabc\t3\n4\t5\tinf\n"
            << Con(Llenas(4), 1, {{"1", "abc", "3"}, {"4", "5", "inf"}})
            << Celdas{{1, 2}, {2, 3}} << QPoint(1, 2) << "";
        QTest::newRow("too big: the fitting part, and the counts")
            << 4 << QPoint(1, 1) << QStringLiteral("1\t2\t3\t4\t5\t6\n").repeated(6)
            << Filas(4, {"1", "2", "3", "4"}) << Celdas{} << QPoint(1, 1)
            << "Se pegaron 16 celdas. Se omitieron 2 filas y 2 columnas que no caben en la tabla.";
        QTest::newRow("from a middle cell")
            << 5 << QPoint(2, 2) << "1\t2\n3\t4\n"
            << Con(Llenas(5), 2, {{"9", "1", "2"}, {"9", "3", "4"}}) << Celdas{} << QPoint(2, 2)
            << "";
        QTest::newRow("last cell: one row and one column too many")
            << 4 << QPoint(4, 4) << "1\t2\n3\t4\n"
            << Con(Llenas(4), 4, {{"9", "9", "9", "1"}}) << Celdas{} << QPoint(4, 4)
            << "Se pegó 1 celda. Se omitieron 1 fila y 1 columna que no caben en la tabla.";
        QTest::newRow("one row too many")
            << 4 << QPoint(3, 2) << "1\n2\n3"
            << Con(Llenas(4), 3, {{"9", "1"}, {"9", "2"}}) << Celdas{} << QPoint(3, 2)
            << "Se pegaron 2 celdas. Se omitió 1 fila que no cabe en la tabla.";
        QTest::newRow("CRLF line ends")
            << 4 << QPoint(1, 3) << "1{d}25\tx\r\n3\t4\r\n"
            << Con(Llenas(4), 1, {{"9", "9", "1{d}25", "x"}, {"9", "9", "3", "4"}})
            << Celdas{{1, 4}} << QPoint(1, 4) << "";
        QTest::newRow("empty fields empty their cells, unmarked")
            << 4 << QPoint(1, 1) << "\t2\t-1\t1\n-1\t2\t\t1\n"
            << Con(Llenas(4), 1, {{"", "2", "-1", "1"}, {"-1", "2", "", "1"}}) << Celdas{}
            << QPoint(1, 1) << "";
        QTest::newRow("rows of different lengths")
            << 4 << QPoint(2, 1) << "1\n2\t3\t4\n\n5\t6\t7\t8\t9\n"
            << Con(Llenas(4), 2, {{"1"}, {"2", "3", "4"}, {""}}) << Celdas{} << QPoint(2, 1)
            << "Se pegaron 5 celdas. Se omitieron 1 fila y 1 columna que no caben en la tabla.";
        QTest::newRow("current cell on the corner header")
            << 4 << QPoint(0, 0) << "1\t2\n"
            << Con(Llenas(4), 1, {{"1", "2"}}) << Celdas{} << QPoint(1, 1) << "";
        QTest::newRow("current cell on a row header")
            << 4 << QPoint(3, 0) << "x\t2\n"
            << Con(Llenas(4), 3, {{"x", "2"}}) << Celdas{{3, 1}} << QPoint(3, 1) << "";
    }
    void paste() {
        QFETCH(int, n);
        QFETCH(QPoint, inicio);
        QFETCH(QString, pegado);
        QFETCH(Filas, esperado);
        QFETCH(Celdas, marcadas);
        QFETCH(QPoint, actual);
        QFETCH(QString, mensaje);
        Confirmar(n);
        Poner(Llenas(n));
        voz->Olvidar();
        VigilanteMensajes mensajes;

        Pegar(inicio, ConSeparador(pegado));

        for (QStringList& fila : esperado)
            for (QString& texto : fila)
                texto = ConSeparador(texto);
        QCOMPARE(Contenido(), esperado);
        Celdas vistas;
        for (int fila = 1; fila <= n; ++fila)
            for (int col = 1; col <= 4; ++col) {
                if (Marcada(fila, col))
                    vistas << QPoint(fila, col);
                else if (const QString& t = esperado[fila - 1][col - 1]; !t.isEmpty() && t != kLleno)
                    QVERIFY2(ADerecha(fila, col), qPrintable(QStringLiteral("%1,%2").arg(fila).arg(col)));
            }
        QCOMPARE(vistas, marcadas);
        QCOMPARE(QPoint(Tabla()->CurrentRow(), Tabla()->CurrentCol()), actual);
        QVERIFY(!Tabla()->isEditing());
        QCOMPARE(mensajes.vistos, mensaje.isEmpty() ? QStringList() : QStringList{kTitulo + mensaje});
        QCOMPARE(voz->Frases(), mensaje.isEmpty() ? QStringList() : QStringList{mensaje});
        QCOMPARE(Datos()->focusWidget(), Tabla());
    }

    // The program may have left its current cell on a header; the keys act
    // on the cell the user sees.
    void paste_starts_at_the_cell_the_user_sees() {
        Confirmar(4);
        Tabla()->SetCurrentRow(2);
        Tabla()->SetCurrentCol(3);
        QApplication::processEvents();
        Tabla()->SetCurrentRow(0);
        QGuiApplication::clipboard()->setText(QStringLiteral("7"));
        QTest::keyClick(Tabla(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Tabla()->gridModel()->text(1, 2), QStringLiteral("7"));
    }

    void paste_into_an_open_editor_is_text() {
        Confirmar(4);
        Tabla()->SetCurrentRow(2);
        Tabla()->SetCurrentCol(2);
        Tabla()->setFocus();
        Teclear(QStringLiteral("1"));
        QVERIFY(Tabla()->isEditing());
        QGuiApplication::clipboard()->setText(ConSeparador(QStringLiteral("2{d}5")));
        Pulsar(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(qobject_cast<QLineEdit*>(QApplication::focusWidget())->text(),
                 ConSeparador(QStringLiteral("12{d}5")));
        QCOMPARE(Tabla()->gridModel()->text(1, 1), QString());
        Pulsar(Qt::Key_Return);
        QCOMPARE(Tabla()->gridModel()->text(1, 1), ConSeparador(QStringLiteral("12{d}5")));
    }

    void paste_needs_the_coefficient_state() {
        Confirmar(4);
        QTest::mouseClick(En<QPushButton>(Datos(), "BotonCambio"), Qt::LeftButton);
        QVERIFY(!Tabla()->isEnabled());
        QGuiApplication::clipboard()->setText(QStringLiteral("1\t2\n"));
        QTest::keyClick(Tabla(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Contenido(), Filas(4, QStringList(4, QString())));
    }

    // The largest system, pasted whole: one block of 32 766 rows.
    void paste_the_largest_system() {
        constexpr int n = 32766;
        Confirmar(n);
        QString texto;
        for (int i = 1; i <= n; ++i)
            texto += ConSeparador(QStringLiteral("%1\t2{d}50\t-1\t1e3\r\n").arg(i));
        VigilanteMensajes mensajes;
        QElapsedTimer reloj;
        reloj.start();
        Pegar({1, 1}, texto);
        QApplication::processEvents(); // the view catches up and paints
        qInfo("%d x 4 pasted in %lld ms", n, reloj.elapsed());
        QVERIFY(mensajes.vistos.isEmpty());
        const GridModel* m = Tabla()->gridModel();
        for (int fila : {0, n / 2, n - 1})
            QCOMPARE((QStringList{m->text(fila, 0), m->text(fila, 1), m->text(fila, 2), m->text(fila, 3)}),
                     (QStringList{QString::number(fila + 1), ConSeparador(QStringLiteral("2{d}5")), "-1", "1000"}));
    }

    // Ctrl+C on a coefficient copies the cell the user is on.
    void copy_a_coefficient() {
        Confirmar(4);
        Pegar({2, 3}, ConSeparador(QStringLiteral("2{d}50")));
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(Tabla(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), ConSeparador(QStringLiteral("2{d}5")));
    }

    void copy_the_results_data() {
        QTest::addColumn<QPoint>("actual"); // any cell: the whole table is copied
        QTest::newRow("on x1") << QPoint(1, 0);
        QTest::newRow("on the last value") << QPoint(4, 1);
    }
    void copy_the_results() {
        QFETCH(QPoint, actual);
        Confirmar(4);
        Poner(Filas(4, {"", "3", "", "1"}));
        Resolver();
        QVERIFY(Resultados());
        auto* incognitas = En<QtGrid>(Resultados(), "Incognitas");
        incognitas->SetCurrentRow(actual.x());
        incognitas->SetCurrentCol(actual.y());
        incognitas->setFocus();
        QTest::keyClick(incognitas, Qt::Key_C, Qt::ControlModifier);

        QString esperado = QStringLiteral("Incógnita\tValor\n");
        for (int i = 1; i <= 4; ++i)
            esperado += ConSeparador(QStringLiteral("x%1\t0{d}333333333333333\n").arg(i));
        QCOMPARE(QGuiApplication::clipboard()->text(), esperado);
        QCOMPARE(QPoint(incognitas->CurrentRow(), incognitas->CurrentCol()), actual);
    }
};

QTEST_MAIN(TestPortapapeles)
#include "test_portapapeles.moc"
