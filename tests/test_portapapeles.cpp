// Blocks pasted from a spreadsheet into the coefficient grid and the results
// copied out, through the real screens, clipboard and a recording voice.

#include "tests/banco_pantallas.h"

#include <QClipboard>
#include <QPushButton>

using Filas = QList<QStringList>; // A, B, C, D of each equation
using Celdas = QList<QPoint>;     // (row, column) as GridControl counts them

namespace {

const QString kLleno = QStringLiteral("9"); // every cell before the paste

// Four equations of 9s, the rows from `fila` on changed from column A on.
Filas Con(int fila, const Filas& cambios) {
    Filas filas(4, QStringList(4, kLleno));
    for (int i = 0; i < cambios.size(); ++i)
        std::copy(cambios[i].begin(), cambios[i].end(), filas[fila - 1 + i].begin());
    return filas;
}

} // namespace

class TestPortapapeles : public QObject, BancoPantallas {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(Montar());
        ConfirmarCuenta(4);
    }
    void cleanup() { app.reset(); }

    // Only the program can leave the current cell on a header; that case
    // reaches the screen as the grid raises it. The first cell marked
    // becomes current, else the first cell pasted.
    void paste_data() {
        QTest::addColumn<QPoint>("inicio");
        QTest::addColumn<QString>("pegado");
        QTest::addColumn<Filas>("esperado");
        QTest::addColumn<Celdas>("marcadas");
        QTest::addColumn<QString>("mensaje"); // "": none shown, nothing said
        QTest::newRow("normal form, empty fields, CRLF, non-numbers marked")
            << QPoint(1, 1) << "1{d}50\tabc\t\t1E2\r\n007\t-0{d}5\tinf\r\n"
            << Con(1, {{"1{d}5", "abc", "", "100"}, {"7", "-0{d}5", "inf"}})
            << Celdas{{1, 2}, {2, 3}} << "";
        QTest::newRow("ragged rows, too many")
            << QPoint(3, 1) << "1\n2\t3\t4\n\n5\t6\t7\t8\t9\t10\n"
            << Con(3, {{"1"}, {"2", "3", "4"}}) << Celdas{}
            << "Se pegaron 4 celdas. Se omitieron 2 filas y 2 columnas que no caben en la tabla.";
        QTest::newRow("two columns too many")
            << QPoint(1, 3) << "1\t2\t3\t4\n"
            << Con(1, {{"9", "9", "1", "2"}}) << Celdas{}
            << "Se pegaron 2 celdas. Se omitieron 2 columnas que no caben en la tabla.";
        QTest::newRow("last cell, one row too many")
            << QPoint(4, 4) << "1\n2\n"
            << Con(4, {{"9", "9", "9", "1"}}) << Celdas{}
            << "Se pegó 1 celda. Se omitió 1 fila que no cabe en la tabla.";
        QTest::newRow("from the corner header") << QPoint(0, 0) << "x\t2\n"
                                                << Con(1, {{"x", "2"}}) << Celdas{{1, 1}} << "";
    }
    void paste() {
        QFETCH(QPoint, inicio);
        QFETCH(QString, pegado);
        QFETCH(Filas, esperado);
        QFETCH(Celdas, marcadas);
        QFETCH(QString, mensaje);
        Poner(Filas(4, QStringList(4, kLleno)));
        voz->Olvidar();
        VigilanteMensajes mensajes;
        QGuiApplication::clipboard()->setText(ConSeparador(pegado));
        Tabla()->SetCurrentRow(inicio.x());
        Tabla()->SetCurrentCol(inicio.y());
        if (inicio.x() == 0 || inicio.y() == 0)
            emit Tabla()->PasteRequested(QGuiApplication::clipboard()->text());
        else
            QTest::keyClick(Tabla(), Qt::Key_V, Qt::ControlModifier);

        const GridModel* m = Tabla()->gridModel();
        Celdas vistas;
        for (int fila = 1; fila <= 4; ++fila)
            for (int col = 1; col <= 4; ++col) {
                const QString celda = ConSeparador(esperado[fila - 1][col - 1]);
                QCOMPARE(m->text(fila - 1, col - 1), celda);
                if (Marcada(fila, col))
                    vistas << QPoint(fila, col);
                else if (!celda.isEmpty() && celda != kLleno) // checked, so right-aligned
                    QCOMPARE(m->index(fila - 1, col - 1).data(Qt::TextAlignmentRole).toInt(),
                             int(Qt::AlignRight | Qt::AlignVCenter));
            }
        QCOMPARE(vistas, marcadas);
        QCOMPARE(Actual(), marcadas.value(0, inicio));
        QVERIFY(!Tabla()->isEditing());
        QCOMPARE(voz->Frases().join(""), mensaje);
        QCOMPARE(mensajes.vistos.join("").section(QStringLiteral(" | "), 1), mensaje);
    }

    // The whole table whatever cell is current, in the user's format.
    void copy_the_results() {
        Poner(Filas(4, {"", "3", "", "1"}));
        En<QPushButton>(Datos(), "Resolver")->click();
        auto* incognitas = En<QtGrid>(Resultados(), "Incognitas");
        incognitas->SetCurrentRow(2);
        incognitas->SetCurrentCol(0);
        QTest::keyClick(incognitas, Qt::Key_C, Qt::ControlModifier);

        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("Incógnita\tValor\nx1\t%1\nx2\t%1\nx3\t%1\nx4\t%1\n")
                     .arg(ConSeparador(QStringLiteral("0{d}333333333333333"))));
        QCOMPARE(QPoint(incognitas->CurrentRow(), incognitas->CurrentCol()), QPoint(2, 0));
    }
};

QTEST_MAIN(TestPortapapeles)
#include "test_portapapeles.moc"
