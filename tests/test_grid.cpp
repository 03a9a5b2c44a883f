#include "app/conversiones.h"
#include "grid/grid_model.h"
#include "grid/qt_grid.h"
#include "solver/error_numerado.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <variant>

using Accion = std::function<void(QtGrid&)>;
Q_DECLARE_METATYPE(Accion)

namespace {

const QString kTabla = QStringLiteral("^ n |^A|^B|^C|^D;|1|2|3");
const QString kIncognitas = QStringLiteral("^Incógnita|^Valor");
const int kDesborde = int(NumeroError::Desbordamiento);

QTestEventList Teclas(std::initializer_list<std::variant<const char*, Qt::Key>> partes) {
    QTestEventList eventos;
    for (const auto& parte : partes) {
        if (const auto* texto = std::get_if<const char*>(&parte)) {
            for (const char* c = *texto; *c; ++c)
                eventos.addKeyClick(*c); // one by one: the first opens the editor
        } else {
            eventos.addKeyClick(std::get<Qt::Key>(parte));
        }
    }
    return eventos;
}

// Keys go where the user's would: to whatever has the focus, the editor once
// one is open.
void Teclear(const QTestEventList& eventos) {
    for (QTestEvent* evento : eventos)
        evento->simulate(QApplication::focusWidget());
}

bool Mostrar(QtGrid& g) {
    g.resize(420, 300);
    g.show();
    g.activateWindow();
    g.setFocus();
    return QTest::qWaitForWindowActive(&g);
}

void Clic(QtGrid& g, int fila, int columna) {
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {},
                      g.visualRect(g.model()->index(fila - 1, columna - 1)).center());
}

QPoint Actual(const QtGrid& g) {
    return {g.CurrentRow(), g.CurrentCol()};
} // (fila, columna)

} // namespace

class TestGrid : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qInfo() << "locale" << QLocale().name(); }

    void modelo_data() {
        QTest::addColumn<QList<int>>("tamanos");
        QTest::newRow("crece") << QList<int>{3, 32766};
        QTest::newRow("encoge, se vacia y crece") << QList<int>{10, 2, 0, 4};
    }

    void modelo() {
        QFETCH(QList<int>, tamanos);
        GridModel modelo(4);
        QAbstractItemModelTester tester(&modelo,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (int filas : tamanos) {
            modelo.setRows(filas);
            if (filas > 1) {
                modelo.setText(filas - 1, 3, QStringLiteral("x"));
                modelo.setColors(0, 0, qRgb(255, 255, 255), qRgb(0, 0, 128));
                modelo.setAlignment(filas - 1, 2, Qt::AlignRight | Qt::AlignVCenter);
                modelo.setHeaderText(Qt::Vertical, filas - 1, QString::number(filas));
                QVERIFY(modelo.setData(modelo.index(1, 1), QStringLiteral("2,5")));
            }
        }
    }

    void formato_data() {
        QTest::addColumn<QString>("formato");
        QTest::addColumn<QStringList>("cabeceras"); // row 0 of every column
        QTest::addColumn<QList<bool>>("centradas"); // the columns that are not fixed
        QTest::addColumn<QStringList>(
            "filasCabecera"); // column 0 of rows 1 …; none without a fixed column
        QTest::newRow("tabla") << kTabla << QStringList{" n ", "A", "B", "C", "D"}
                               << QList<bool>{true, true, true, true} << QStringList{"1", "2", "3"};
        QTest::newRow("incognitas") << kIncognitas << QStringList{"Incógnita", "Valor"}
                                    << QList<bool>{true, true} << QStringList{};
        QTest::newRow("sin centrar, esquina propia")
            << "#|<Izq|>Der;Nº|a" << QStringList{"Nº", "Izq", "Der"} << QList<bool>{false, false}
            << QStringList{"a"};
    }

    void formato() {
        QFETCH(QString, formato);
        QFETCH(QStringList, cabeceras);
        QFETCH(QList<bool>, centradas);
        QFETCH(QStringList, filasCabecera);
        QtGrid g(formato);
        const bool fija = cabeceras.size() > centradas.size();
        QCOMPARE(g.hasFixedColumn(), fija);
        QCOMPARE(g.RowCount(), int(filasCabecera.size()) + 1);
        QCOMPARE(Actual(g), QPoint(g.RowCount() > 1 ? 1 : 0, fija ? 1 : 0));
        g.SetCurrentRow(0);
        for (int c = 0; c < cabeceras.size(); ++c) {
            g.SetCurrentCol(c);
            QCOMPARE(g.CellText(), cabeceras.at(c));
        }
        for (int c = 0; c < centradas.size(); ++c) {
            const int alineacion =
                g.model()->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt();
            QCOMPARE(bool(alineacion & Qt::AlignHCenter), centradas.at(c));
        }
        g.SetCurrentCol(0);
        for (int r = 0; r < filasCabecera.size(); ++r) {
            g.SetCurrentRow(r + 1);
            QCOMPARE(g.CellText(), filasCabecera.at(r));
        }
        // Assistive tools read the headers from the view.
        QAccessibleTableInterface* tabla =
            QAccessible::queryAccessibleInterface(&g)->tableInterface();
        QVERIFY(tabla);
        QCOMPARE(tabla->columnDescription(0), cabeceras.at(fija ? 1 : 0));
        if (fija)
            QCOMPARE(tabla->rowDescription(0), filasCabecera.at(0));
    }

    void edicion_data() {
        QTest::addColumn<QTestEventList>("eventos");
        QTest::addColumn<int>("avisos");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QPoint>("actual");
        QTest::newRow("Enter confirma y se queda")
            << Teclas({"42", Qt::Key_Return}) << 1 << "42" << QPoint(1, 1);
        QTest::newRow("Tab pasa a la derecha")
            << Teclas({"42", Qt::Key_Tab}) << 1 << "42" << QPoint(1, 2);
        QTest::newRow("flecha abajo") << Teclas({"42", Qt::Key_Down}) << 1 << "42" << QPoint(2, 1);
        QTest::newRow("flecha derecha tras teclear")
            << Teclas({"42", Qt::Key_Right}) << 1 << "42" << QPoint(1, 2);
        QTest::newRow("F2 conserva el texto")
            << Teclas({Qt::Key_F2, Qt::Key_End, "4", Qt::Key_Left, Qt::Key_Return}) << 1 << "74"
            << QPoint(1, 1);
        QTest::newRow("Escape cancela")
            << Teclas({"42", Qt::Key_Escape}) << 0 << "7" << QPoint(1, 1);
        QTest::newRow("moverse no es editar")
            << Teclas({Qt::Key_Down, Qt::Key_Right}) << 0 << "7" << QPoint(2, 2);
    }

    void edicion() {
        QFETCH(QTestEventList, eventos);
        QFETCH(int, avisos);
        QFETCH(QString, texto);
        QFETCH(QPoint, actual);
        QtGrid g(kTabla);
        g.SetCellText(QStringLiteral("7"));
        QSignalSpy spy(&g, &QtGrid::CellEdited);
        bool editorAbiertoAlAvisar = false;
        connect(&g, &QtGrid::CellEdited, this, [&] { editorAbiertoAlAvisar |= g.isEditing(); });
        QVERIFY(Mostrar(g));
        Teclear(eventos);
        QCOMPARE(spy.count(), avisos);
        for (const QList<QVariant>& aviso : spy)
            QCOMPARE(aviso, (QVariantList{1, 1}));
        QVERIFY(!editorAbiertoAlAvisar);
        QCOMPARE(g.gridModel()->text(0, 0), texto);
        QCOMPARE(Actual(g), actual);
    }

    // The coefficient check: a cell that is not a number is marked and
    // reopened from inside the notification; corrected, it is rewritten.
    void reabrir_data() {
        QTest::addColumn<QTestEventList>("salida"); // empty: a click on another cell
        QTest::newRow("Enter") << Teclas({Qt::Key_Return});
        QTest::newRow("Tab") << Teclas({Qt::Key_Tab});
        QTest::newRow("flecha abajo") << Teclas({Qt::Key_Down});
        QTest::newRow("clic en otra celda") << QTestEventList();
    }

    void reabrir() {
        QFETCH(QTestEventList, salida);
        QtGrid g(kTabla);
        int avisos = 0;
        connect(&g, &QtGrid::CellEdited, this, [&](int fila, int columna) {
            ++avisos;
            const QPoint antes = Actual(g);
            g.SetCurrentRow(fila);
            g.SetCurrentCol(columna);
            try {
                g.SetCellText(TextoADoble(g.CellText(), QLocale()));
                g.SetCellColors(g.NormalColors());
                g.SetCurrentRow(antes.x());
                g.SetCurrentCol(antes.y());
            } catch (const ErrorNumerado&) {
                g.SetCellColors(g.MarkColors());
                g.ReopenEdit();
            }
        });
        QVERIFY(Mostrar(g));
        Teclear(Teclas({"abc"}));
        if (salida.isEmpty())
            Clic(g, 3, 3);
        Teclear(salida);

        QCOMPARE(avisos, 1);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("abc"));
        QCOMPARE(Actual(g), QPoint(1, 1));
        QCOMPARE(g.currentIndex(), g.model()->index(0, 0));
        const QModelIndex celda = g.model()->index(0, 0);
        QCOMPARE(celda.data(Qt::BackgroundRole).value<QBrush>().color().rgb(), g.MarkColors().back);

        Teclear(Teclas({"3", Qt::Key_Return}));
        QCOMPARE(avisos, 2);
        QVERIFY(!g.isEditing());
        QCOMPARE(g.gridModel()->text(0, 0), QStringLiteral("3"));
        QVERIFY(!celda.data(Qt::BackgroundRole).isValid());
    }

    void programaNoAvisa_data() {
        QTest::addColumn<Accion>("accion");
        QTest::addColumn<QString>("texto");
        QTest::newRow("texto") << Accion([](QtGrid& g) { g.SetCellText(QStringLiteral("x")); })
                               << "x";
        QTest::newRow("doble") << Accion([](QtGrid& g) { g.SetCellText(-8.0); }) << "-8";
        QTest::newRow("marca") << Accion([](QtGrid& g) { g.SetCellColors(g.MarkColors()); }) << "7";
        QTest::newRow("mover con edicion abierta") << Accion([](QtGrid& g) {
            Teclear(Teclas({"9"}));
            g.SetCurrentRow(2);
        }) << "7";
        QTest::newRow("filas con edicion abierta") << Accion([](QtGrid& g) {
            Teclear(Teclas({"9"}));
            g.SetRowCount(1);
            g.SetRowCount(4);
        }) << "";
    }

    void programaNoAvisa() {
        QFETCH(Accion, accion);
        QFETCH(QString, texto);
        QtGrid g(kTabla);
        g.SetCellText(QStringLiteral("7"));
        QSignalSpy spy(&g, &QtGrid::CellEdited);
        QVERIFY(Mostrar(g));
        accion(g);
        QCoreApplication::processEvents();
        QCOMPARE(spy.count(), 0);
        QVERIFY(!g.isEditing());
        QCOMPARE(g.gridModel()->text(0, 0), texto);
    }

    void rechazos_data() {
        QTest::addColumn<Accion>("accion");
        QTest::addColumn<int>("error");
        QTest::newRow("filas negativas")
            << Accion([](QtGrid& g) { g.SetRowCount(-1); }) << kDesborde;
        QTest::newRow("fila fuera") << Accion([](QtGrid& g) { g.SetCurrentRow(4); }) << kDesborde;
        QTest::newRow("fila fraccionaria") << Accion([](QtGrid& g) { g.SetCurrentRow(1.5); })
                                           << int(NumeroError::TiposIncompatibles);
        QTest::newRow("columna fuera")
            << Accion([](QtGrid& g) { g.SetCurrentCol(5); }) << kDesborde;
        QTest::newRow("alineacion 9")
            << Accion([](QtGrid& g) { g.SetCellAlignment(9); }) << kDesborde;
    }

    void rechazos() {
        QFETCH(Accion, accion);
        QFETCH(int, error);
        QtGrid g(kTabla);
        int obtenido = 0;
        try {
            accion(g);
        } catch (const ErrorNumerado& e) {
            obtenido = e.valor();
        }
        QCOMPARE(obtenido, error);
        QCOMPARE(g.RowCount(), 4);
        QCOMPARE(Actual(g), QPoint(1, 1));
    }

    void sinEdicion_data() {
        QTest::addColumn<Accion>("accion");
        QTest::newRow("doble clic en cabecera de fila") << Accion([](QtGrid& g) {
            QTest::mouseDClick(g.verticalHeader()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        });
        QTest::newRow("reabrir en la columna fija") << Accion([](QtGrid& g) {
            g.SetCurrentCol(0);
            g.ReopenEdit();
        });
        QTest::newRow("deshabilitada: teclear") << Accion([](QtGrid& g) {
            g.setEnabled(false);
            QTest::keyClick(&g, '5');
        });
        QTest::newRow("deshabilitada: reabrir") << Accion([](QtGrid& g) {
            g.setEnabled(false);
            g.ReopenEdit();
        });
    }

    void sinEdicion() {
        QFETCH(Accion, accion);
        QtGrid g(kTabla);
        QSignalSpy spy(&g, &QtGrid::CellEdited);
        QVERIFY(Mostrar(g));
        accion(g);
        QVERIFY(!g.isEditing());
        QCOMPARE(spy.count(), 0);
        QCOMPARE(g.gridModel()->headerText(Qt::Vertical, 0), QStringLiteral("1"));
    }

    void crecimiento_data() {
        QTest::addColumn<QList<int>>("tamanos");
        QTest::addColumn<int>("conservadas"); // of the three rows filled
        QTest::newRow("crece") << QList<int>{10} << 3;
        QTest::newRow("encoge y crece") << QList<int>{3, 10} << 2;
        QTest::newRow("a cero y crece") << QList<int>{0, 5} << 0;
    }

    void crecimiento() {
        QFETCH(QList<int>, tamanos);
        QFETCH(int, conservadas);
        QtGrid g(kTabla);
        const auto celda = [](int r, int c) { return QStringLiteral("f%1c%2").arg(r).arg(c); };
        for (int r = 1; r <= 3; ++r)
            for (int c = 1; c <= 4; ++c)
                g.gridModel()->setText(r - 1, c - 1, celda(r, c));
        for (int filas : tamanos)
            g.SetRowCount(filas);
        QCOMPARE(g.RowCount(), tamanos.last());
        for (int r = 1; r < g.RowCount(); ++r) {
            g.SetCurrentRow(r);
            for (int c = 0; c <= 4; ++c) {
                g.SetCurrentCol(c);
                const bool queda = r <= conservadas;
                QCOMPARE(g.CellText(), !queda   ? QString()
                                       : c == 0 ? QString::number(r)
                                                : celda(r, c));
            }
        }
        g.SetCurrentRow(0);
        QCOMPARE(g.CellText(), QStringLiteral("D")); // the header row is never resized away
    }

    void textoDoble_data() {
        QTest::addColumn<double>("valor");
        QTest::addColumn<QString>("conPunto"); // the text under a decimal point
        QTest::newRow("un tercio") << 1.0 / 3.0 << "0.333333333333333";
        QTest::newRow("exponente") << -1.5e20 << "-1.5E+20";
    }

    void textoDoble() {
        QFETCH(double, valor);
        QFETCH(QString, conPunto);
        QtGrid g(kIncognitas);
        g.SetRowCount(2);
        g.SetCurrentRow(1);
        g.SetCurrentCol(1);
        g.SetCellText(valor);
        QCOMPARE(g.CellText(), conPunto.replace(u'.', QLocale().decimalPoint()));
    }

    void sigueAlUsuario_data() {
        QTest::addColumn<Accion>("accion");
        QTest::addColumn<QPoint>("actual");
        QTest::newRow("fin de fila")
            << Accion([](QtGrid& g) { QTest::keyClick(&g, Qt::Key_End); }) << QPoint(1, 4);
        QTest::newRow("clic") << Accion([](QtGrid& g) { Clic(g, 3, 4); }) << QPoint(3, 4);
        QTest::newRow("tras mover el programa") << Accion([](QtGrid& g) {
            g.SetRowCount(10);
            g.SetCurrentRow(5);
            g.SetCurrentCol(2);
            QTest::keyClick(&g, Qt::Key_Down);
        }) << QPoint(6, 2);
        QTest::newRow("clic en su celda tras ir a la columna fija") << Accion([](QtGrid& g) {
            g.SetCurrentCol(0);
            Clic(g, 1, 1);
        }) << QPoint(1, 1);
    }

    void sigueAlUsuario() {
        QFETCH(Accion, accion);
        QFETCH(QPoint, actual);
        QtGrid g(kTabla);
        QVERIFY(Mostrar(g));
        accion(g);
        QCOMPARE(Actual(g), actual);
        QCOMPARE(g.currentIndex(), g.model()->index(actual.x() - 1, actual.y() - 1));
    }
};

QTEST_MAIN(TestGrid)
#include "test_grid.moc"
