// The data-entry screen: the count and its validation, the two states,
// blocks pasted from a spreadsheet, and the voice switch. The cell check is
// test_entradas_hostiles'.

#include "tests/banco_pantallas.h"

#include <QClipboard>
#include <QFile>
#include <QTemporaryDir>

using Filas = QList<QStringList>; // A, B, C, D of each equation

namespace {

const QString kPrompt = QStringLiteral("Introduzca el número de ecuaciones");
const QString kDatos = QStringLiteral("Introduzca los datos de las ecuaciones");
const QString kMayorQueTres = QStringLiteral("Introduzca un número mayor que tres");
const QString kLleno = QStringLiteral("9"); // every cell before a paste

// Four equations of 9s, the rows from `fila` on changed from column A on.
Filas Con(int fila, const Filas& cambios) {
    Filas filas(4, QStringList(4, kLleno));
    for (int i = 0; i < cambios.size(); ++i)
        std::copy(cambios[i].begin(), cambios[i].end(), filas[fila - 1 + i].begin());
    return filas;
}

} // namespace

class TestDatos1 : public QObject, BancoPantallas {
    Q_OBJECT

    void ConfirmarConEnter(int n) {
        Caja()->setText(QString::number(n));
        Caja()->setFocus();
        QTest::keyClick(Caja(), Qt::Key_Return);
    }

private slots:
    void init() { QVERIFY(Montar()); }
    void cleanup() { app.reset(); }

    // The screen opens on count entry with the prompt spoken. The box
    // handing the focus back is not the user arriving again: the prompt
    // comes back only when the focus had left the count box.
    void count_confirmation_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<bool>("conEnter");
        QTest::addColumn<QStringList>("frases");
        QTest::newRow("3 with Enter") << 3 << true << QStringList{kMayorQueTres};
        QTest::newRow("3 with OK") << 3 << false << QStringList{kMayorQueTres, kPrompt};
        QTest::newRow("32767, one row too many") << 32767 << true << QStringList{kMayorQueTres};
        QTest::newRow("4 with OK") << 4 << false << QStringList{kDatos};
    }
    void count_confirmation() {
        QFETCH(int, n);
        QFETCH(bool, conEnter);
        QFETCH(QStringList, frases);
        QTRY_COMPARE(voz->Frases(), QStringList{kPrompt});
        QCOMPARE(voz->PalabrasYVolumen(), std::pair(130, 150));
        QVERIFY(Estado() == QLatin1String("count") && Caja()->hasFocus());
        voz->Olvidar();
        VigilanteMensajes mensajes;

        conEnter ? ConfirmarConEnter(n) : ConfirmarCuenta(n);

        const bool aceptada = frases.first() == kDatos;
        QCOMPARE(Tabla()->RowCount(), aceptada ? n + 1 : 4);
        QCOMPARE(Estado(), aceptada ? "coefficients" : "count");
        if (aceptada) {
            QVERIFY(mensajes.vistos.isEmpty());
            QCOMPARE(Actual(), QPoint(1, 1));
        } else {
            QCOMPARE(mensajes.vistos,
                     QStringList{"Error en Validación de Datos | " + kMayorQueTres});
            QCOMPARE(Datos()->focusWidget(), Caja());
            // What the window system does when a message box closes; the
            // offscreen platform leaves it to us.
            Datos()->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(Datos()));
        }
        QTest::qWait(50); // a late focus arrival would speak the prompt again
        QCOMPARE(voz->Frases(), frases);
    }

    // A refused count leaves every row and cell as they were.
    void refused_count_keeps_cells_data() {
        QTest::addColumn<QString>("cuenta");
        for (const char* cuenta : {"2", "0", "-1", "32767", "abc", ""})
            QTest::newRow(cuenta) << cuenta;
    }
    void refused_count_keeps_cells() {
        QFETCH(QString, cuenta);
        ConfirmarCuenta(5);
        Poner(Filas(5, QStringList{"1", "2", "", "4"}));
        const Filas antes = Vistas();
        Clic(Datos(), "BotonCambio");
        VigilanteMensajes mensajes;
        Caja()->setText(cuenta);
        QTest::keyClick(Caja(), Qt::Key_Return);
        QCOMPARE(mensajes.vistos.size(), 1);
        QCOMPARE(Vistas(), antes);
    }

    // Each pasted field checked as a typed one, what does not fit left out and
    // told. Only the program can leave the current cell on a header; that case
    // reaches the screen as the grid raises it. The first cell marked becomes
    // current, else the first cell pasted.
    void paste_data() {
        QTest::addColumn<QPoint>("inicio");
        QTest::addColumn<QString>("pegado");
        QTest::addColumn<Filas>("esperado");  // as Vistas() shows them
        QTest::addColumn<QString>("mensaje"); // "": none shown, nothing said
        QTest::newRow("normal form, empty fields, CRLF, non-numbers marked")
            << QPoint(1, 1) << "1{d}50\tabc\t\t1E2\r\n007\t-0{d}5\tinf\r\n"
            << Con(1, {{"1{d}5>", "abc*", "", "100>"}, {"7>", "-0{d}5>", "inf*"}}) << "";
        QTest::newRow("ragged rows, too many")
            << QPoint(3, 1) << "1\n2\t3\t4\n\n5\t6\t7\t8\t9\t10\n"
            << Con(3, {{"1>"}, {"2>", "3>", "4>"}})
            << "Se pegaron 4 celdas. Se omitieron 2 filas y 2 columnas que no caben en la tabla.";
        QTest::newRow("two columns too many")
            << QPoint(1, 3) << "1\t2\t3\t4\n"
            << Con(1, {{"9", "9", "1>", "2>"}})
            << "Se pegaron 2 celdas. Se omitieron 2 columnas que no caben en la tabla.";
        QTest::newRow("last cell, one row too many")
            << QPoint(4, 4) << "1\n2\n"
            << Con(4, {{"9", "9", "9", "1>"}})
            << "Se pegó 1 celda. Se omitió 1 fila que no cabe en la tabla.";
        QTest::newRow("nothing to paste")
            << QPoint(2, 2) << "" << Con(1, {})
            << "No se pudo pegar: el portapapeles está vacío o no contiene texto.";
        // Eight characters are looked at together: the control character
        // in the second eight, the wide ones in the first.
        QTest::newRow("binary") << QPoint(2, 2) << "1\t2\t3\t4\r\n5\t\x01\t7\t8\n"
                                << Con(1, {})
                                << "No se pudo pegar: el portapapeles no contiene celdas de texto.";
        QTest::newRow("wide characters are text") << QPoint(1, 1) << "香港\t2\t3\t4\n"
                                                  << Con(1, {{"香港*", "2>", "3>", "4>"}}) << "";
        QTest::newRow("far too big")
            << QPoint(2, 2) << QString(9 << 20, u'1') << Con(1, {})
            << "No se pudo pegar: el contenido del portapapeles es mucho mayor que lo que cabe en "
               "la tabla.";
        QTest::newRow("from the corner header") << QPoint(0, 0) << "x\t2\n"
                                                << Con(1, {{"x*", "2>"}}) << "";
    }
    void paste() {
        QFETCH(QPoint, inicio);
        QFETCH(QString, pegado);
        QFETCH(Filas, esperado);
        QFETCH(QString, mensaje);
        ConfirmarConEnter(4);
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

        for (QStringList& fila : esperado)
            for (QString& celda : fila)
                celda = ConSeparador(celda);
        QCOMPARE(Vistas(), esperado);
        QPoint primera = inicio; // the first cell marked, else where the paste began
        for (int i = 15; i >= 0; --i)
            if (esperado[i / 4][i % 4].endsWith(u'*'))
                primera = QPoint(i / 4 + 1, i % 4 + 1);
        QCOMPARE(Actual(), primera);
        QVERIFY(!Tabla()->isEditing());
        QCOMPARE(voz->Frases().join(""), mensaje);
        QCOMPARE(mensajes.vistos.join("").section(QStringLiteral(" | "), 1), mensaje);
    }

    // Ctrl+Z takes back each kind of change, Ctrl+Y and Ctrl+Shift+Z bring it
    // back, cells, marks, count and rows alike; a refused count or a failed
    // solve in between leaves nothing of its own to undo.
    void undo_redo_data() {
        QTest::addColumn<QString>("cambio");
        for (const char* cambio : {"checked cell", "paste", "zeros of a failed solve",
                                   "smaller count", "paste, then a refused count"})
            QTest::newRow(cambio) << cambio;
    }
    void undo_redo() {
        QFETCH(QString, cambio);
        ConfirmarConEnter(6);
        Filas filas(6, {"", ConSeparador("2,5"), "1", "9"});
        filas[5][3] = "x"; // the solve stops here
        Poner(filas);
        const Filas antes = Vistas();
        VigilanteMensajes mensajes;
        if (cambio == "checked cell") {
            ClicEn(2, 2);
            Teclear("7\r");
        } else if (cambio.startsWith("paste")) {
            QGuiApplication::clipboard()->setText("1\t2\n\tx\n");
            ClicEn(3, 1);
            QTest::keyClick(Tabla(), Qt::Key_V, Qt::ControlModifier);
        } else if (cambio == "zeros of a failed solve") {
            Clic(Datos(), "Resolver");
        }
        if (cambio.contains("count")) {
            Clic(Datos(), "BotonCambio");
            if (cambio.contains("refused"))
                ConfirmarConEnter(2);
            ConfirmarConEnter(cambio.contains("refused") ? 6 : 4);
        }
        const Filas despues = Vistas();
        const QString cuenta = Caja()->text();
        QVERIFY(despues != antes || cambio.contains("refused"));
        Datos()->activateWindow(); // back from the message box
        QVERIFY(QTest::qWaitForWindowActive(Datos()));
        if (Tabla()->isEditing()) // the failed solve reopens the cell to correct
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        for (const auto rehacer : {QKeyCombination(Qt::CTRL | Qt::Key_Y),
                                   QKeyCombination(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}) {
            QTest::keyClick(Tabla(), Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(Vistas(), antes);
            QCOMPARE(Caja()->text(), QStringLiteral("6"));
            QTest::keyClick(Tabla(), rehacer.key(), rehacer.keyboardModifiers());
            QCOMPARE(Vistas(), despues);
            QCOMPARE(Caja()->text(), cuenta);
        }
    }

    // What was typed reaches the recovery copy within a moment; a program
    // gone without a word (here: destroyed, as by SIGKILL) offers it back at
    // the next start, marks and all; saving it to a file ends the copy.
    void recovery_copy() {
        QTemporaryDir carpeta;
        const QString copia = carpeta.filePath("rescate.tsv");
        const auto arrancar = [&] {
            app.reset();
            Armar();
            app->Modulo().RutaDeRescate = copia;
            app->Mostrar(IdPantalla::Datos1);
            return QTest::qWaitForWindowActive(Datos());
        };
        QVERIFY(arrancar());
        ConfirmarCuenta(4);
        QTest::qWait(1200); // the copy of nothing typed: none
        QVERIFY(!QFile::exists(copia));
        QGuiApplication::clipboard()->setText(ConSeparador("1\tabc\n\t2{d}5\n"));
        QTest::keyClick(Tabla(), Qt::Key_V, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copia), 2000);
        const Filas tecleadas = Vistas();
        {
            VigilanteMensajes mensajes; // "Recuperar", the default
            arrancar(); // the question takes the activation
            QTRY_COMPARE(mensajes.vistos.size(), 1);
            QVERIFY(mensajes.vistos[0].startsWith(
                "Recuperar Datos | Veltrana se cerró sin guardar un sistema de 4 ecuaciones"));
        }
        QCOMPARE(Vistas(), tecleadas);
        QCOMPARE(Caja()->text(), "4");
        Poner({{"1", "2", "3", "4"}});
        QVERIFY(static_cast<Datos1*>(Datos())->GuardarSistema(carpeta.filePath("s.csv")));
        QVERIFY(!QFile::exists(copia));
    }

    // Leaving with typed data asks first: discard ends, cancel stays; with
    // nothing typed the program just ends.
    void leaving_with_typed_cells_data() {
        QTest::addColumn<bool>("tecleado");
        QTest::addColumn<QString>("respuesta");
        QTest::addColumn<bool>("termina");
        QTest::newRow("discard") << true << "&Descartar" << true;
        QTest::newRow("cancel") << true << "Cancelar" << false;
        QTest::newRow("nothing typed") << false << "" << true;
    }
    void leaving_with_typed_cells() {
        QFETCH(bool, tecleado);
        QFETCH(QString, respuesta);
        QFETCH(bool, termina);
        ConfirmarCuenta(4);
        if (tecleado) {
            Tabla()->setFocus();
            Teclear("7");
            Pulsar(Qt::Key_Return);
        }
        VigilanteMensajes mensajes(respuesta);
        Datos()->close();
        QCOMPARE(mensajes.vistos.size(), tecleado ? 1 : 0);
        QCOMPARE(app->Terminada(), termina);
    }

    // Off, the voice stops at once and says nothing more; on again, it waits
    // for the next prompt.
    void voice_switch() {
        QTRY_VERIFY(voz->Hablando());
        voz->Olvidar();
        Clic(Datos(), "ComandoVoz");
        QVERIFY(!voz->Hablando());
        ConfirmarConEnter(4);
        Clic(Datos(), "ComandoVoz");
        QVERIFY(voz->Frases().isEmpty());

        Clic(Datos(), "BotonCambio");
        QCOMPARE(Estado(), "count");
        QTRY_COMPARE(voz->Frases(), QStringList{kPrompt});
        QVERIFY(Caja()->hasFocus());
    }
};

QTEST_MAIN(TestDatos1)
#include "test_datos1.moc"
