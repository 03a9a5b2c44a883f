// The data-entry screen: the count and its validation, the two states, the
// cell check and the voice switch.

#include "tests/banco_pantallas.h"

#include <QSignalSpy>

namespace {

const QString kPrompt = QStringLiteral("Introduzca el número de ecuaciones");
const QString kDatos = QStringLiteral("Introduzca los datos de las ecuaciones");
const QString kMayorQueTres = QStringLiteral("Introduzca un número mayor que tres");

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
        QCOMPARE(voz->Oidas()[0].palabrasPorMinuto, 130);
        QCOMPARE(voz->Oidas()[0].volumen, 150);
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
            QCOMPARE(mensajes.vistos, QStringList{"Error en Validación de Datos | " + kMayorQueTres});
            QCOMPARE(Datos()->focusWidget(), Caja());
            // What the window system does when a message box closes; the
            // offscreen platform leaves it to us.
            Datos()->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(Datos()));
        }
        QTest::qWait(50); // a late focus arrival would speak the prompt again
        QCOMPARE(voz->Frases(), frases);
    }

    // A number is rewritten in normal form and the current cell goes where
    // the user sent it; anything else is marked and reopened where it was
    // typed, until corrected. The check is silent.
    void cell_check_data() {
        QTest::addColumn<QString>("escrito");
        QTest::addColumn<int>("tecla");     // 0: a click on another cell
        QTest::addColumn<QString>("celda"); // "": rejected, the text kept
        QTest::addColumn<QPoint>("actual");
        QTest::newRow("number, Tab") << "-2{d}50" << int(Qt::Key_Tab) << "-2{d}5" << QPoint(2, 4);
        QTest::newRow("number, click") << "1E2" << 0 << "100" << QPoint(3, 4);
        QTest::newRow("letters, Enter") << "abc" << int(Qt::Key_Return) << "" << QPoint(2, 3);
        QTest::newRow("letters, Tab") << "abc" << int(Qt::Key_Tab) << "" << QPoint(2, 3);
        QTest::newRow("letters, Down") << "abc" << int(Qt::Key_Down) << "" << QPoint(2, 3);
        QTest::newRow("letters, click") << "abc" << 0 << "" << QPoint(2, 3);
    }
    void cell_check() {
        QFETCH(QString, escrito);
        QFETCH(int, tecla);
        QFETCH(QString, celda);
        QFETCH(QPoint, actual);
        const bool rechazada = celda.isEmpty();
        ConfirmarConEnter(4);
        voz->Olvidar();
        Tabla()->SetCurrentRow(2);
        Tabla()->SetCurrentCol(3);
        Tabla()->setFocus();
        QSignalSpy avisos(Tabla(), &QtGrid::CellEdited);
        Teclear(ConSeparador(escrito));
        tecla ? Pulsar(Qt::Key(tecla)) : ClicEn(3, 4);
        QCOMPARE(avisos.count(), 1); // a click does not end a reopened edit again

        QCOMPARE(Tabla()->gridModel()->text(1, 2), ConSeparador(rechazada ? escrito : celda));
        QCOMPARE(Marcada(2, 3), rechazada);
        QCOMPARE(Tabla()->isEditing(), rechazada);
        QCOMPARE(Actual(), actual);
        if (rechazada) {
            Pulsar(Qt::Key_A, Qt::ControlModifier);
            Teclear(QStringLiteral("3"));
            Pulsar(Qt::Key_Return);
            QCOMPARE(Tabla()->gridModel()->text(1, 2), QStringLiteral("3"));
            QVERIFY(!Marcada(2, 3) && !Tabla()->isEditing());
        }
        const QVariant alineacion = Tabla()->gridModel()->index(1, 2).data(Qt::TextAlignmentRole);
        QCOMPARE(alineacion.toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
        QVERIFY(voz->Frases().isEmpty());
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
