// The grid's editing contract: where keys and clicks leave the current cell,
// CellEdited raised once for each edit the user ends and only after the
// editor has closed, nothing raised for what the program does; and its rows
// and model through resizing. Reopening an edit from CellEdited is the
// coefficient check's, tested with the data-entry screen.

#include "grid/grid_delegate.h"
#include "grid/grid_format.h"
#include "grid/grid_model.h"
#include "grid/qt_grid.h"
#include "solver/error_numerado.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTest>
#include <csignal>
#include <functional>
#include <variant>

using Accion = std::function<void(QtGrid&)>;
Q_DECLARE_METATYPE(Accion)

namespace {

const QString kTabla = QStringLiteral("^ n |^A|^B|^C|^D;|1|2|3");

// Keys go where the user's would: to whatever has the focus, the editor once
// one is open.
Accion Teclas(std::initializer_list<std::variant<const char*, QKeyCombination>> partes) {
    QTestEventList eventos;
    for (const auto& parte : partes) {
        if (const auto* texto = std::get_if<const char*>(&parte)) {
            for (const char* c = *texto; *c; ++c)
                eventos.addKeyClick(*c); // one by one: the first opens the editor
        } else {
            const auto tecla = std::get<QKeyCombination>(parte);
            eventos.addKeyClick(tecla.key(), tecla.keyboardModifiers());
        }
    }
    return [eventos](QtGrid&) {
        for (QTestEvent* evento : eventos)
            evento->simulate(QApplication::focusWidget());
    };
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
}

} // namespace

class TestGrid : public QObject {
    Q_OBJECT

private slots:
    void modelo_bajo_el_tester() {
        GridModel modelo(4);
        QAbstractItemModelTester tester(&modelo,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (int filas : {3, 32766, 2, 0, 4}) {
            modelo.setRows(filas);
            // What was held for a larger grid is announced for the rows that remain.
            modelo.releaseHeldNotices();
            if (filas > 1) {
                modelo.setText(filas - 1, 0, QStringLiteral("h"), GridModel::Notice::Held);
                modelo.setText(filas - 1, 3, QStringLiteral("x"));
                modelo.setColors(0, 0, qRgb(255, 255, 255), qRgb(0, 0, 128));
                modelo.setAlignment(filas - 1, 2, Qt::AlignRight | Qt::AlignVCenter);
                modelo.setHeaderText(Qt::Vertical, filas - 1, QString::number(filas));
                QVERIFY(modelo.setData(modelo.index(1, 1), QStringLiteral("2,5")));
            }
        }
    }

    // Cell (1, 1) holds 7 and is current. Only an edit the user ends is
    // announced: one still open when the program moves or resizes is
    // cancelled. The program may leave the current cell anywhere, the view
    // catching up later; the user's keys and clicks start from the cell they
    // see. Ctrl+V with an editor open pastes into it, like any text.
    void usuario_data() {
        QTest::addColumn<Accion>("accion");
        QTest::addColumn<int>("avisos");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QPoint>("actual");
        QTest::newRow("derecha tras teclear")
            << Teclas({"42", Qt::Key_Right}) << 1 << "42" << QPoint(1, 2);
        QTest::newRow("F2: las flechas mueven el cursor")
            << Teclas({Qt::Key_F2, Qt::Key_End, "4", Qt::Key_Left, Qt::Key_Return}) << 1 << "74"
            << QPoint(1, 1);
        QTest::newRow("Ctrl+V en el editor")
            << Teclas({"4", Qt::CTRL | Qt::Key_V, Qt::Key_Return}) << 1 << "42" << QPoint(1, 1);
        QTest::newRow("Escape") << Teclas({"42", Qt::Key_Escape}) << 0 << "7" << QPoint(1, 1);
        QTest::newRow("moverse no es editar")
            << Teclas({Qt::Key_Down, Qt::Key_Right}) << 0 << "7" << QPoint(2, 2);
        QTest::newRow("el programa mueve con edicion abierta") << Accion([](QtGrid& g) {
            Teclas({"9"})(g);
            g.SetCurrentRow(2);
        }) << 0 << "7" << QPoint(2, 1);
        QTest::newRow("el programa redimensiona con edicion abierta") << Accion([](QtGrid& g) {
            Teclas({"9"})(g);
            g.SetRowCount(1);
            g.SetRowCount(4);
        }) << 0 << "" << QPoint(0, 1);
        // The editor shows the program's write at once, so that nothing
        // ending the edit can put the old text back.
        QTest::newRow("el programa escribe en la celda en edicion") << Accion([](QtGrid& g) {
            Teclas({"9"})(g);
            g.SetCellText(QStringLiteral("5"));
            g.setEnabled(false); // the editor loses the focus and commits
            g.setEnabled(true);
        }) << 1 << "5" << QPoint(1, 1);
        QTest::newRow("tecla tras mover el programa") << Accion([](QtGrid& g) {
            g.SetCurrentRow(3);
            g.SetCurrentCol(2);
            QTest::keyClick(&g, Qt::Key_Up);
        }) << 0 << "7" << QPoint(2, 2);
        QTest::newRow("clic en su celda tras ir a la columna fija") << Accion([](QtGrid& g) {
            g.SetCurrentCol(0);
            Clic(g, 1, 1);
        }) << 0 << "7" << QPoint(1, 1);
        QTest::newRow("Ctrl+V tras ir a la fila fija") << Accion([](QtGrid& g) {
            g.SetCurrentRow(0);
            QTest::keyClick(&g, Qt::Key_V, Qt::ControlModifier);
        }) << 0 << "7" << QPoint(1, 1);
    }
    void usuario() {
        QFETCH(Accion, accion);
        QFETCH(int, avisos);
        QFETCH(QString, texto);
        QFETCH(QPoint, actual);
        QGuiApplication::clipboard()->setText(QStringLiteral("2"));
        QtGrid g(kTabla);
        g.SetCellText(QStringLiteral("7"));
        QSignalSpy spy(&g, &QtGrid::CellEdited);
        bool editorAbiertoAlAvisar = false;
        connect(&g, &QtGrid::CellEdited, this, [&] { editorAbiertoAlAvisar |= g.isEditing(); });
        QVERIFY(Mostrar(g));
        accion(g);
        QCoreApplication::processEvents();
        QCOMPARE(spy, QList<QVariantList>(avisos, {1, 1}));
        QVERIFY(!editorAbiertoAlAvisar && !g.isEditing());
        QCOMPARE(g.gridModel()->text(0, 0), texto);
        QCOMPARE(Actual(g), actual);
        if (actual.x() > 0 && actual.y() > 0) // fixed cells are headers, not in the view
            QCOMPARE(g.currentIndex(), g.model()->index(actual.x() - 1, actual.y() - 1));
    }

    // Read back with every alignment spelled out: the corner first when the
    // column is fixed, then the other columns, then the row headers after ";".
    void formato() {
        const std::pair<QString, QString> casos[] = {{kTabla, "^ n |^A|^B|^C|^D;|1|2|3"},
                                                     {"^Incógnita|^Valor", "^Incógnita|^Valor"},
                                                     {"<a|>b|c", "<a|>b|<c"},
                                                     {"^c|d;Esquina|r1", "^Esquina|<d;|r1"},
                                                     {"x;", "<x;"},
                                                     {"a||", "<a|<|<"}};
        const auto cabecera = [](const GridFormat::Header& h) {
            const Qt::Alignment a = h.alignment;
            return QChar(a & Qt::AlignHCenter ? u'^' : a & Qt::AlignRight ? u'>' : u'<') + h.text;
        };
        for (const auto& [formato, leido] : casos) {
            const GridFormat f = ParseGridFormat(formato);
            QList<GridFormat::Header> cabeceras = f.columns;
            if (f.fixedColumn)
                cabeceras.prepend(f.corner);
            QStringList columnas;
            for (const GridFormat::Header& h : cabeceras)
                columnas << cabecera(h);
            QString visto = columnas.join(u'|') + (f.fixedColumn ? ";" : "");
            for (const QString& fila : f.rowHeaders)
                visto += u'|' + fila;
            QCOMPARE(visto, leido);
        }
    }

    // Rows that remain keep their cells; rows added come empty, headers too.
    void filas() {
        QtGrid g(kTabla);
        g.gridModel()->setText(1, 3, QStringLiteral("a"));
        g.gridModel()->setText(2, 3, QStringLiteral("b"));
        g.SetRowCount(3);
        g.SetRowCount(10);
        QCOMPARE(g.gridModel()->text(1, 3), QStringLiteral("a"));
        QCOMPARE(g.gridModel()->headerText(Qt::Vertical, 1), QStringLiteral("2"));
        QCOMPARE(g.gridModel()->text(2, 3), QString());
        QCOMPARE(g.gridModel()->headerText(Qt::Vertical, 2), QString());
        g.SetCurrentRow(0);
        g.SetCurrentCol(4);
        QCOMPARE(g.CellText(), QStringLiteral("D")); // the header row is never resized away
        // The view hears of the program's writes once the event loop turns.
        QSignalSpy avisos(g.model(), &QAbstractItemModel::dataChanged);
        g.SetCurrentRow(9);
        g.SetCellText(QStringLiteral("c"));
        QTRY_COMPARE(avisos.size(), 1);
    }

    // A block written in one go leaves every cell as the same writes made one
    // cell at a time through the current cell, reads back as the cursor reads
    // it, and reaches the view as one notice; a block reaching outside the
    // grid is refused and changes nothing.
    void bloques_data() {
        QTest::addColumn<QRect>("bloque"); // x: column, y: row, as the grid counts them
        QTest::newRow("one cell") << QRect(2, 3, 1, 1);
        QTest::newRow("a row") << QRect(1, 2, 4, 1);
        QTest::newRow("a column") << QRect(4, 1, 1, 6);
        QTest::newRow("the whole grid, headers too") << QRect(0, 0, 5, 7);
        QTest::newRow("at the bottom right edge") << QRect(3, 5, 2, 2);
        QTest::newRow("past the bottom edge") << QRect(3, 5, 2, 3);
        QTest::newRow("past the right edge") << QRect(4, 1, 2, 1);
    }
    void bloques() {
        QFETCH(QRect, bloque);
        QtGrid enBloque(kTabla), celdaACelda(kTabla);
        for (QtGrid* g : {&enBloque, &celdaACelda})
            g->SetRowCount(7);
        std::vector<GridCell> celdas;
        for (int i = 0; i < bloque.width() * bloque.height(); ++i) {
            GridCell c;
            if (i % 4 != 3)
                c.text = QString::number(i);
            if (i % 2)
                c.colors = i % 4 == 1 ? enBloque.MarkColors() : enBloque.NormalColors();
            if (i % 3 == 0)
                c.alignment = i % 9 - 1;
            if (i % 5 == 1)
                c.note = QStringLiteral("nota %1").arg(i);
            if (i % 7 == 2) // wins over the text
                c.number = i + 0.25;
            celdas.push_back(c);
        }
        // A number, or else a text, as the bulk reads give them.
        const auto valor = [](std::optional<double> numero, QStringView texto) {
            return numero ? QStringLiteral("número %1").arg(*numero) : texto.toString();
        };
        const bool fuera = bloque.right() > 4 || bloque.bottom() > 6;
        const auto todo = [&valor](const QtGrid& g) {
            QStringList visto;
            for (int f = 0; f < 7; ++f)
                for (int c = 0; c < 5; ++c) {
                    const GridCell celda = g.Block(f, c, 1, 1).front();
                    // What is shown too, which for a number is made once asked for.
                    visto << QStringLiteral("%1|%2|%3|%4|%5|%6")
                                 .arg(valor(celda.number, celda.text.value_or(QString())))
                                 .arg(f > 0 && c > 0 ? g.gridModel()->text(f - 1, c - 1)
                                                     : QString())
                                 .arg(celda.colors->back)
                                 .arg(celda.colors->fore)
                                 .arg(*celda.alignment)
                                 .arg(*celda.note);
                }
            return visto;
        };
        const QStringList antes = todo(enBloque);
        QVERIFY(Mostrar(enBloque));
        QSignalSpy avisos(enBloque.model(), &QAbstractItemModel::dataChanged);
        try {
            enBloque.SetBlock(bloque.y(), bloque.x(), bloque.width(), celdas);
            QVERIFY(!fuera);
        } catch (const ErrorNumerado&) {
            QVERIFY(fuera);
            QCOMPARE(todo(enBloque), antes);
            return;
        }
        QTRY_VERIFY(avisos.size() > 0);
        QCOMPARE(avisos.size(), 1);

        for (int i = 0; i < int(celdas.size()); ++i) {
            celdaACelda.SetCurrentRow(bloque.y() + i / bloque.width());
            celdaACelda.SetCurrentCol(bloque.x() + i % bloque.width());
            const GridCell& c = celdas[std::size_t(i)];
            if (c.number)
                celdaACelda.SetCellText(*c.number);
            else if (c.text)
                celdaACelda.SetCellText(*c.text);
            if (c.colors)
                celdaACelda.SetCellColors(*c.colors);
            if (c.alignment && *c.alignment >= 0) // -1: as it was, the grid's own
                celdaACelda.SetCellAlignment(*c.alignment);
            if (c.note)
                celdaACelda.SetCellNote(*c.note);
        }
        QCOMPARE(todo(enBloque), todo(celdaACelda));
        QStringList leidos;
        for (int i = 0; i < int(celdas.size()); ++i) {
            celdaACelda.SetCurrentRow(bloque.y() + i / bloque.width());
            celdaACelda.SetCurrentCol(bloque.x() + i % bloque.width());
            leidos << celdaACelda.CellText();
        }
        QCOMPARE(enBloque.BlockText(bloque.y(), bloque.x(), bloque.height(), bloque.width()),
                 leidos);

        // Kept, as an undo record keeps it, to be written back at the end.
        const GridBlock guardado =
            enBloque.KeepBlock(bloque.y(), bloque.x(), bloque.height(), bloque.width(), 7);
        const QStringList comoEstaba = todo(enBloque);

        // Column by column: the numbers read back, and numbers written.
        for (int columna = bloque.x(); columna <= bloque.right(); ++columna) {
            std::vector<double> escritos;
            for (int f = bloque.y(); f <= bloque.bottom(); ++f) {
                const GridCell c = celdaACelda.Block(f, columna, 1, 1).front();
                QCOMPARE(enBloque.ColumnNumbers(columna, bloque.y(),
                                                bloque.height())[std::size_t(f - bloque.y())],
                         c.number.value_or(std::numeric_limits<double>::quiet_NaN()));
                const bool vacia = f % 2 == 0;
                escritos.push_back(vacia ? std::numeric_limits<double>::quiet_NaN() : f * 1.5);
                celdaACelda.SetBlock(f, columna, 1,
                                     {{QString(), celdaACelda.NormalColors(), vacia ? -1 : 7,
                                       QString(), vacia ? std::nullopt : std::optional(f * 1.5)}});
            }
            enBloque.SetColumnNumbers(columna, bloque.y(), escritos, 7);
        }
        QCOMPARE(todo(enBloque), todo(celdaACelda));
        // Numbers and empty cells are kept as columns; only headers apart.
        const QRect datos = bloque.intersected(QRect(1, 1, 4, 6));
        QCOMPARE(enBloque.KeepBlock(bloque.y(), bloque.x(), bloque.height(), bloque.width(), 7)
                     .others.size(),
                 std::size_t(bloque.width() * bloque.height() - datos.width() * datos.height()));
        // Then texts, as a column is numbered.
        for (int columna = bloque.x(); columna <= bloque.right(); ++columna) {
            QStringList textos;
            for (int f = bloque.y(); f <= bloque.bottom(); ++f) {
                textos << QStringLiteral("t%1").arg(f);
                celdaACelda.SetCurrentRow(f);
                celdaACelda.SetCurrentCol(columna);
                celdaACelda.SetCellText(textos.back());
            }
            enBloque.SetColumnText(columna, bloque.y(), textos);
        }
        QCOMPARE(todo(enBloque), todo(celdaACelda));
        enBloque.SetBlock(guardado);
        QCOMPARE(todo(enBloque), comoEstaba);
    }

    // Plain text is drawn without the style's help, pixel for pixel as the
    // style draws it: numbers and words, marked and normal cells, the
    // current one, a text too long for its cell, the grid disabled, in two
    // faces.
    void dibujo() {
        QtGrid g(kTabla);
        g.SetRowCount(7);
        g.SetColumnWidth(2, 600);
        const QString textos[] = {"2,5", "-1,25E+300",       "abc",
                                  "",    "1234567890,12345", "Valor muy largo para la celda"};
        for (int i = 0; i < 24; ++i) {
            g.SetCurrentRow(1 + i / 4);
            g.SetCurrentCol(1 + i % 4);
            g.SetCellText(textos[i % 6]);
            if (i % 3 == 0)
                g.SetCellAlignment(7);
            if (i % 5 == 1)
                g.SetCellColors(g.MarkColors());
        }
        g.SetCurrentRow(2);
        g.SetCurrentCol(2);
        QVERIFY(Mostrar(g));
        auto* delegado = dynamic_cast<GridDelegate*>(g.itemDelegate());
        QVERIFY(delegado);
        // The program's face and size, and another.
        for (const QFont& letra : {QFont(QStringLiteral("Liberation Sans"), 8), QFont()})
            for (const bool habilitada : {true, false}) {
                g.setFont(letra);
                g.setEnabled(habilitada);
                delegado->setStyleDrawsAll(true);
                const QImage estilo = g.grab().toImage();
                delegado->setStyleDrawsAll(false);
                QCOMPARE(g.grab().toImage(), estilo);
            }
    }

    // Ctrl+V on X11, the clipboard offered by another program (xclip): the
    // key returns at once whatever the owner does, and the text, or why
    // there is none, follows. test_grid_x11 runs it on Xvfb.
    void pegado_x11_data() {
        QTest::addColumn<QByteArray>("contenido");
        QTest::addColumn<QString>("tipo"); // what xclip offers
        QTest::addColumn<bool>("detenido");
        QTest::addColumn<ClipboardReader::Problem>("problema");
        using P = ClipboardReader::Problem;
        QTest::newRow("text") << QByteArray("1\t2,5\n3\t4\n") << "UTF8_STRING" << false << P::None;
        // Far beyond what one property holds: sent in pieces.
        QTest::newRow("6 MB, in pieces")
            << QByteArray(6 << 20, '7') << "UTF8_STRING" << false << P::None;
        QTest::newRow("50 MB") << QByteArray(50 << 20, '7') << "UTF8_STRING" << false
                               << P::TooLarge;
        QTest::newRow("owner stopped") << QByteArray("1") << "UTF8_STRING" << true << P::NoAnswer;
        QTest::newRow("an image, no text")
            << QByteArray("\x89PNG") << "image/png" << false << P::NoText;
    }
    void pegado_x11() {
        QFETCH(QByteArray, contenido);
        QFETCH(QString, tipo);
        QFETCH(bool, detenido);
        QFETCH(ClipboardReader::Problem, problema);
        if (QGuiApplication::platformName() != "xcb" ||
            QStandardPaths::findExecutable("xclip").isEmpty())
            QSKIP("needs X11 and xclip: run by test_grid_x11");
        QtGrid g(kTabla);
        g.SetLargestPaste(8 << 20);
        QVERIFY(Mostrar(g));
        QTemporaryFile archivo;
        QVERIFY(archivo.open() && archivo.write(contenido) == contenido.size() && archivo.flush());
        // In the foreground (-quiet), xclip is itself the owner.
        QProcess xclip;
        xclip.start("xclip",
                    {"-quiet", "-selection", "clipboard", "-t", tipo, "-i", archivo.fileName()});
        QVERIFY(xclip.waitForStarted());
        const auto ofrecido = [] {
            QProcess consulta;
            consulta.start("xclip", {"-o", "-selection", "clipboard", "-t", "TARGETS"});
            return consulta.waitForFinished() && consulta.exitCode() == 0;
        };
        QTRY_VERIFY_WITH_TIMEOUT(ofrecido(), 10000);
        if (detenido)
            kill(pid_t(xclip.processId()), SIGSTOP);
        auto soltar = qScopeGuard([&] {
            kill(pid_t(xclip.processId()), SIGCONT);
            xclip.kill();
            xclip.waitForFinished();
        });

        QSignalSpy pegados(&g, &GridControl::PasteRequested), fallos(&g, &GridControl::PasteFailed);
        QElapsedTimer reloj;
        reloj.start();
        QTest::keyClick(&g, Qt::Key_V, Qt::ControlModifier);
        QVERIFY2(reloj.elapsed() < 250, qPrintable(QString::number(reloj.elapsed())));
        QTRY_VERIFY_WITH_TIMEOUT(pegados.size() + fallos.size() == 1, 10000);
        if (problema == ClipboardReader::Problem::None) {
            QCOMPARE(pegados.size(), 1);
            QCOMPARE(pegados.at(0).at(0).toString().toUtf8(), contenido);
        } else {
            QCOMPARE(fallos.size(), 1);
            QCOMPARE(fallos.at(0).at(0).value<ClipboardReader::Problem>(), problema);
        }
    }
};

QTEST_MAIN(TestGrid)
#include "test_grid.moc"
