// The data-entry screen with a recording voice: preparation, the count and
// its validation, the two states, the cell check and the voice switch.

#include "app/aplicacion.h"
#include "grid/grid_model.h"
#include "grid/qt_grid.h"
#include "screens/data_entry/datos1.h"
#include "speech/motor_voz_falso.h"
#include "tests/ayudantes_pantallas.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kPrompt = QStringLiteral("Introduzca el número de ecuaciones");
const QString kDatos = QStringLiteral("Introduzca los datos de las ecuaciones");
const QString kMayorQueTres = QStringLiteral("Introduzca un número mayor que tres");
const QString kValidacion = QStringLiteral("Error en Validación de Datos | ") + kMayorQueTres;
const QStringList kFrase = {QStringLiteral("StopSpeech"), QStringLiteral("Rate=130"),
                            QStringLiteral("Volume=150")};

} // namespace

class TestDatos1 : public QObject {
    Q_OBJECT

    std::unique_ptr<MotorVozFalso> voz;
    std::unique_ptr<Aplicacion> app;
    Datos1* datos = nullptr;

    template <typename T> T* Control(const char* nombre) {
        return datos->findChild<T*>(QString::fromLatin1(nombre));
    }
    QtGrid* Tabla() { return Control<QtGrid>("Tabla"); }
    QLineEdit* Cuenta() { return Control<QLineEdit>("NumeroEcuaciones"); }
    QPushButton* Boton(const char* nombre) { return Control<QPushButton>(nombre); }

    void Confirmar(const QString& texto, bool conEnter = true) {
        Cuenta()->setText(texto);
        if (conEnter) {
            Cuenta()->setFocus();
            QTest::keyClick(Cuenta(), Qt::Key_Return);
        } else {
            QTest::mouseClick(Boton("OK1"), Qt::LeftButton);
        }
    }
    // What the window system does when a message box closes; the offscreen
    // platform leaves it to us.
    void Reactivar() {
        datos->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(datos));
    }
    bool EnCuenta() {
        return !Tabla()->isEnabled() && Cuenta()->isEnabled() && !Boton("Resolver")->isVisible() &&
               Boton("OK1")->isVisible() && !Boton("BotonCambio")->isVisible();
    }
    // Types into cell (fila, col) and ends the edit with Enter.
    void Escribir(int fila, int col, const QString& texto) {
        Tabla()->SetCurrentRow(fila);
        Tabla()->SetCurrentCol(col);
        Tabla()->setFocus();
        Teclear(texto);
        Pulsar(Qt::Key_Return);
    }
    bool Marcada(int fila, int col) {
        const QVariant fondo =
            Tabla()->gridModel()->index(fila - 1, col - 1).data(Qt::BackgroundRole);
        return fondo.isValid() && fondo.value<QBrush>().color().rgb() == Tabla()->MarkColors().back;
    }

private slots:
    void init() {
        voz = std::make_unique<MotorVozFalso>();
        app = std::make_unique<Aplicacion>();
        app->Registrar(IdPantalla::Datos1, [this](Aplicacion& a) { return new Datos1(a, *voz); });
        app->Mostrar(IdPantalla::Datos1);
        datos = static_cast<Datos1*>(app->Existente(IdPantalla::Datos1));
        QVERIFY(QTest::qWaitForWindowActive(datos));
    }
    void cleanup() { app.reset(); }

    void activation_prepares_count_entry_and_speaks_the_prompt() {
        QTRY_COMPARE(voz->Llamadas(), kFrase + QStringList{QStringLiteral("Speak=") + kPrompt});
        QVERIFY(EnCuenta());
        QVERIFY(Cuenta()->hasFocus());
        QCOMPARE(Boton("ComandoVoz")->text(), QStringLiteral("Desactivar Voz"));
        QCOMPARE(datos->GetPuntero(), Puntero::Predeterminado);
    }

    void count_confirmation_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<bool>("conEnter");
        QTest::addColumn<int>("filas"); // 0: the grid refused the size
        QTest::addColumn<bool>("aceptada");
        QTest::newRow("0") << "0" << true << 1 << false;
        QTest::newRow("1") << "1" << false << 2 << false;
        QTest::newRow("2") << "2" << true << 3 << false;
        QTest::newRow("3") << "3" << false << 4 << false;
        QTest::newRow("4") << "4" << true << 5 << true;
        QTest::newRow("4 with OK") << "4" << false << 5 << true;
        QTest::newRow("empty") << "" << true << 4 << false;
        QTest::newRow("abc") << "abc" << true << 4 << false;
        QTest::newRow("-2") << "-2" << false << 4 << false;
        QTest::newRow("40000") << "40000" << true << 4 << false;
        QTest::newRow("32767") << "32767" << true << 4 << false;
        QTest::newRow("4.5 halves to even") << "4{d}5" << true << 5 << true;
        QTest::newRow("3.5 halves to even") << "3{d}5" << false << 5 << true;
        QTest::newRow("5.5 halves to even") << "5{d}5" << true << 7 << true;
        QTest::newRow("blanks around") << "  6 " << true << 7 << true;
    }
    void count_confirmation() {
        QFETCH(QString, texto);
        QFETCH(bool, conEnter);
        QFETCH(int, filas);
        QFETCH(bool, aceptada);
        QTRY_VERIFY(!voz->Llamadas().isEmpty());
        voz->Olvidar();
        VigilanteMensajes mensajes;

        Confirmar(ConSeparador(texto), conEnter);

        QCOMPARE(Tabla()->RowCount(), filas);
        if (aceptada) {
            QVERIFY(mensajes.vistos.isEmpty());
            QCOMPARE(voz->Frases(), QStringList{kDatos});
            QVERIFY(Tabla()->isEnabled() && Boton("Resolver")->isVisible());
            QVERIFY(!Cuenta()->isEnabled() && Boton("BotonCambio")->isVisible());
            QVERIFY(!Boton("OK1")->isVisible());
            QCOMPARE(QPoint(Tabla()->CurrentRow(), Tabla()->CurrentCol()), QPoint(1, 1));
            for (int fila = 1; fila < filas; ++fila)
                QCOMPARE(Tabla()->gridModel()->headerText(Qt::Vertical, fila - 1), QString::number(fila));
        } else {
            QCOMPARE(mensajes.vistos, QStringList{kValidacion});
            QCOMPARE(mensajes.iconos.value(0), QMessageBox::Warning);
            QCOMPARE(voz->Llamadas().mid(0, 4), kFrase + QStringList{QStringLiteral("Speak=") + kMayorQueTres});
            QVERIFY(EnCuenta());
            QCOMPARE(datos->focusWidget(), Cuenta()); // the offscreen platform does not
                                                       // hand activation back after a box
        }
    }

    // The box hands the focus back: that is not the user arriving again.
    void rejection_with_enter_does_not_repeat_the_prompt() {
        QTRY_VERIFY(!voz->Llamadas().isEmpty());
        voz->Olvidar();
        VigilanteMensajes mensajes;
        Confirmar(QStringLiteral("2"));
        QTest::qWait(50);
        QCOMPARE(voz->Frases(), QStringList{kMayorQueTres});
    }

    void accepting_six_after_four_grows_and_numbers_the_grid() {
        Confirmar(QStringLiteral("4"));
        Escribir(4, 2, QStringLiteral("9"));
        QTest::mouseClick(Boton("BotonCambio"), Qt::LeftButton);
        QVERIFY(EnCuenta());
        Confirmar(QStringLiteral("6"));
        QCOMPARE(Tabla()->RowCount(), 7);
        for (int fila = 1; fila <= 6; ++fila)
            QCOMPARE(Tabla()->gridModel()->headerText(Qt::Vertical, fila - 1), QString::number(fila));
        Tabla()->SetCurrentRow(4);
        Tabla()->SetCurrentCol(2);
        QCOMPARE(Tabla()->CellText(), QStringLiteral("9"));
    }

    void change_count_returns_to_count_entry_and_speaks() {
        Confirmar(QStringLiteral("4"));
        voz->Olvidar();
        QTest::mouseClick(Boton("BotonCambio"), Qt::LeftButton);
        QVERIFY(EnCuenta());
        QTRY_COMPARE(voz->Frases(), QStringList{kPrompt});
        QVERIFY(Cuenta()->hasFocus());
    }

    void cell_check_data() {
        QTest::addColumn<QString>("escrito");
        QTest::addColumn<QString>("celda");
        QTest::addColumn<bool>("rechazada");
        QTest::newRow("decimal") << "2{d}5" << "2{d}5" << false;
        QTest::newRow("exponent") << "1E2" << "100" << false;
        QTest::newRow("leading zeros") << "007" << "7" << false;
        QTest::newRow("negative") << "-0{d}125" << "-0{d}125" << false;
        QTest::newRow("letters") << "abc" << "abc" << true;
        QTest::newRow("infinity") << "inf" << "inf" << true;
    }
    void cell_check() {
        QFETCH(QString, escrito);
        QFETCH(QString, celda);
        QFETCH(bool, rechazada);
        Confirmar(QStringLiteral("4"));
        voz->Olvidar();
        Escribir(2, 3, ConSeparador(escrito));

        QCOMPARE(Tabla()->gridModel()->text(1, 2), ConSeparador(celda));
        QCOMPARE(Marcada(2, 3), rechazada);
        QCOMPARE(Tabla()->isEditing(), rechazada);
        QCOMPARE(QPoint(Tabla()->CurrentRow(), Tabla()->CurrentCol()), QPoint(2, 3));
        QVERIFY(voz->Llamadas().isEmpty()); // the check is silent
        if (!rechazada) {
            const auto alineacion = Tabla()->gridModel()->index(1, 2).data(Qt::TextAlignmentRole);
            QCOMPARE(alineacion.value<int>(), int(Qt::AlignRight | Qt::AlignVCenter));
        }
    }

    void corrected_cell_loses_its_mark() {
        Confirmar(QStringLiteral("4"));
        Escribir(1, 1, QStringLiteral("abc"));
        QVERIFY(Marcada(1, 1));
        Pulsar(Qt::Key_A, Qt::ControlModifier);
        Teclear(QStringLiteral("3"));
        Pulsar(Qt::Key_Return);
        QCOMPARE(Tabla()->gridModel()->text(0, 0), QStringLiteral("3"));
        QVERIFY(!Marcada(1, 1));
        QVERIFY(!Tabla()->isEditing());
    }

    void clearing_a_cell_is_rejected() {
        Confirmar(QStringLiteral("4"));
        Escribir(1, 2, QStringLiteral("5"));
        Tabla()->setFocus();
        Pulsar(Qt::Key_F2);
        Pulsar(Qt::Key_Backspace);
        Pulsar(Qt::Key_Return);
        QVERIFY(Marcada(1, 2));
        QVERIFY(Tabla()->isEditing());
    }

    // Tab ends the edit and moves on; the check leaves the current cell where
    // the user moved it.
    void check_puts_the_current_cell_back() {
        Confirmar(QStringLiteral("4"));
        Tabla()->SetCurrentRow(3);
        Tabla()->SetCurrentCol(1);
        Tabla()->setFocus();
        Teclear(QStringLiteral("8"));
        Pulsar(Qt::Key_Tab);
        QCOMPARE(Tabla()->gridModel()->text(2, 0), QStringLiteral("8"));
        QCOMPARE(QPoint(Tabla()->CurrentRow(), Tabla()->CurrentCol()), QPoint(3, 2));
    }

    void voice_switch() {
        QTRY_VERIFY(!voz->Llamadas().isEmpty());
        voz->Olvidar();
        QTest::mouseClick(Boton("ComandoVoz"), Qt::LeftButton);
        QCOMPARE(voz->Llamadas(), QStringList{QStringLiteral("StopSpeech")});
        QCOMPARE(Boton("ComandoVoz")->text(), QStringLiteral("Activar Voz"));

        VigilanteMensajes mensajes;
        Confirmar(QStringLiteral("3"), false); // silent, yet the message is shown
        QCOMPARE(mensajes.vistos, QStringList{kValidacion});
        Reactivar();
        Confirmar(QStringLiteral("4"));
        QCOMPARE(voz->Llamadas(), QStringList{QStringLiteral("StopSpeech")});

        QTest::mouseClick(Boton("ComandoVoz"), Qt::LeftButton);
        QCOMPARE(Boton("ComandoVoz")->text(), QStringLiteral("Desactivar Voz"));
        QCOMPARE(voz->Llamadas().size(), 1); // switching on says nothing
        QTest::mouseClick(Boton("BotonCambio"), Qt::LeftButton);
        QTRY_COMPARE(voz->Frases(), QStringList{kPrompt});
    }

    void unavailable_voice_is_explained_on_the_button() {
        QVERIFY(Boton("ComandoVoz")->toolTip().isEmpty());
        voz->FijarDisponible(false);
        QTest::mouseClick(Boton("ComandoVoz"), Qt::LeftButton);
        QVERIFY(!Boton("ComandoVoz")->toolTip().isEmpty());
    }
};

QTEST_MAIN(TestDatos1)
#include "test_datos1.moc"
