// The about box and the splash screen among the real screens, with a
// recording voice; F1 on every screen.

#include "app/aplicacion.h"
#include "app/ayuda.h"
#include "grid/qt_grid.h"
#include "screens/about/acerca_de.h"
#include "screens/data_entry/datos1.h"
#include "screens/results/respuesta.h"
#include "screens/splash/portada.h"
#include "speech/motor_voz_falso.h"
#include "tests/ayudantes_pantallas.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

namespace {

const QString kSaludo = QStringLiteral("Veltrana. Autor: Tarquino.");
const QString kPrompt = QStringLiteral("Introduzca el número de ecuaciones");

} // namespace

class TestAuxiliares : public QObject {
    Q_OBJECT

    std::unique_ptr<MotorVozFalso> voz;
    std::unique_ptr<Aplicacion> app;
    int datosCreados = 0;

    Pantalla* Pant(IdPantalla id) { return app->Existente(id); }
    template <typename T> T* En(IdPantalla id, const char* nombre) {
        return Pant(id) ? Pant(id)->findChild<T*>(QString::fromLatin1(nombre)) : nullptr;
    }
    void Clic(IdPantalla id, const char* boton) {
        QTest::mouseClick(En<QPushButton>(id, boton), Qt::LeftButton);
    }
    void AbrirAcerca() { Clic(IdPantalla::Datos1, "BotonAcerca"); }
    bool EnCuentaConVoz() {
        return En<QLineEdit>(IdPantalla::Datos1, "NumeroEcuaciones")->isEnabled() &&
               En<QPushButton>(IdPantalla::Datos1, "ComandoVoz")->text() == QStringLiteral("Desactivar Voz");
    }

private slots:
    void init() {
        voz = std::make_unique<MotorVozFalso>();
        app = std::make_unique<Aplicacion>();
        datosCreados = 0;
        app->Registrar(IdPantalla::Datos1, [this](Aplicacion& a) {
            ++datosCreados;
            return new Datos1(a, *voz);
        });
        app->Registrar(IdPantalla::Respuesta, [](Aplicacion& a) { return new Respuesta(a); });
        app->Registrar(IdPantalla::AcercaDe, [](Aplicacion& a) { return new AcercaDe(a); });
        app->Registrar(IdPantalla::Portada, [](Aplicacion& a) { return new Portada(a); });
    }
    void cleanup() { app.reset(); }

    void about_speaks_each_time_it_becomes_active() {
        app->Mostrar(IdPantalla::Datos1);
        voz->Olvidar();
        AbrirAcerca();
        Pantalla* acerca = Pant(IdPantalla::AcercaDe);
        QVERIFY(acerca && acerca->isVisible());
        QCOMPARE(voz->Frases(), QStringList{kSaludo});
        QVERIFY(En<QPushButton>(IdPantalla::AcercaDe, "Command1")->hasFocus() ||
                acerca->focusWidget() == En<QPushButton>(IdPantalla::AcercaDe, "Command1"));

        app->DarFoco(IdPantalla::Datos1); // the user turns back to the data
        AbrirAcerca();                     // and asks again: the same box
        QCOMPARE(Pant(IdPantalla::AcercaDe), acerca);
        QCOMPARE(voz->Frases().count(kSaludo), 2);
    }

    void aceptar_returns_to_a_prepared_data_screen() {
        app->Mostrar(IdPantalla::Datos1);
        Clic(IdPantalla::Datos1, "ComandoVoz"); // voice off: the box opens silently
        voz->Olvidar();
        AbrirAcerca();
        QVERIFY(voz->Frases().isEmpty());

        Clic(IdPantalla::AcercaDe, "Command1");
        QVERIFY(!Pant(IdPantalla::AcercaDe));
        QCOMPARE(app->Activa(), Pant(IdPantalla::Datos1));
        QVERIFY(EnCuentaConVoz());
        AbrirAcerca();
        QCOMPARE(voz->Frases().count(kSaludo), 1);
    }

    // A solve closes the data screen while the box stays open: the box must
    // never bring back an empty one.
    void about_left_open_across_a_solve() {
        QSignalSpy fin(app.get(), &Aplicacion::terminada);
        app->Mostrar(IdPantalla::Datos1);
        AbrirAcerca();
        app->DarFoco(IdPantalla::Datos1);
        En<QLineEdit>(IdPantalla::Datos1, "NumeroEcuaciones")->setText(QStringLiteral("4"));
        Clic(IdPantalla::Datos1, "OK1");
        auto* tabla = En<QtGrid>(IdPantalla::Datos1, "Tabla");
        for (int fila = 1; fila <= 4; ++fila) {
            tabla->SetCurrentRow(fila);
            tabla->SetCurrentCol(2);
            tabla->SetCellText(QStringLiteral("1"));
        }
        Clic(IdPantalla::Datos1, "Resolver");
        QVERIFY(Pant(IdPantalla::Respuesta) && !Pant(IdPantalla::Datos1));

        voz->Olvidar();
        app->DarFoco(IdPantalla::AcercaDe);
        QVERIFY(voz->Llamadas().isEmpty());
        Clic(IdPantalla::AcercaDe, "Command1");
        QVERIFY(!Pant(IdPantalla::AcercaDe) && !Pant(IdPantalla::Datos1));
        QCOMPARE(datosCreados, 1);
        QVERIFY(Pant(IdPantalla::Respuesta));
        QCOMPARE(fin.count(), 0);
    }

    void splash_keys_data() {
        QTest::addColumn<int>("tecla");
        QTest::addColumn<bool>("continua");
        QTest::newRow("letter") << int(Qt::Key_A) << true;
        QTest::newRow("digit") << int(Qt::Key_7) << true;
        QTest::newRow("space") << int(Qt::Key_Space) << true;
        QTest::newRow("enter") << int(Qt::Key_Return) << true;
        QTest::newRow("escape") << int(Qt::Key_Escape) << true;
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << true;
        QTest::newRow("arrow") << int(Qt::Key_Left) << false;
        QTest::newRow("function key") << int(Qt::Key_F5) << false;
        QTest::newRow("shift alone") << int(Qt::Key_Shift) << false;
    }
    void splash_keys() {
        QFETCH(int, tecla);
        QFETCH(bool, continua);
        app->Mostrar(IdPantalla::Portada);
        Pantalla* portada = Pant(IdPantalla::Portada);
        QTest::keyClick(portada, Qt::Key(tecla));
        QTest::keyClick(portada, Qt::Key(tecla)); // a second key, already on its way

        QCOMPARE(!Pant(IdPantalla::Portada), continua);
        QCOMPARE(datosCreados, continua ? 1 : 0);
        if (continua) {
            QVERIFY(Pant(IdPantalla::Datos1)->isVisible());
            QTRY_COMPARE(voz->Frases().value(0), kPrompt);
        }
    }

    void splash_clicks_data() {
        QTest::addColumn<QString>("donde"); // "" for the margin, else a child's name
        QTest::addColumn<QPoint>("punto");
        QTest::addColumn<bool>("continua");
        QTest::newRow("left margin") << "" << QPoint(4, 100) << true;
        QTest::newRow("bottom margin") << "" << QPoint(300, 262) << true;
        QTest::newRow("free frame") << "Frame1" << QPoint(300, 12) << true;
        QTest::newRow("name label") << "lblProductName" << QPoint(20, 20) << false;
        QTest::newRow("invitation") << "lblCopyright" << QPoint(200, 8) << false;
        QTest::newRow("logo") << "imgLogo" << QPoint(100, 70) << false;
    }
    void splash_clicks() {
        QFETCH(QString, donde);
        QFETCH(QPoint, punto);
        QFETCH(bool, continua);
        app->Mostrar(IdPantalla::Portada);
        Pantalla* portada = Pant(IdPantalla::Portada);
        QWidget* destino = donde.isEmpty() ? portada : portada->findChild<QWidget*>(donde);
        QVERIFY(destino);
        QCOMPARE(destino->childAt(punto), nullptr); // the point is really on that control
        QTest::mouseClick(destino, Qt::LeftButton, {}, punto);
        QCOMPARE(!Pant(IdPantalla::Portada), continua);
    }

    void f1_opens_the_help_on_every_screen_data() {
        QTest::addColumn<int>("pantalla");
        QTest::newRow("splash") << int(IdPantalla::Portada);
        QTest::newRow("data") << int(IdPantalla::Datos1);
        QTest::newRow("about") << int(IdPantalla::AcercaDe);
        QTest::newRow("results") << int(IdPantalla::Respuesta);
    }
    void f1_opens_the_help_on_every_screen() {
        QFETCH(int, pantalla);
        const auto id = IdPantalla(pantalla);
        app->Mostrar(IdPantalla::Datos1); // every screen speaks through it
        app->Mostrar(id);
        QVERIFY(QTest::qWaitForWindowActive(Pant(id)));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : Pant(id), Qt::Key_F1);
        const auto ventanas = QApplication::topLevelWidgets();
        QVERIFY(std::any_of(ventanas.begin(), ventanas.end(), [](QWidget* v) {
            return qobject_cast<VentanaAyuda*>(v) && v->isVisible();
        }));
        QVERIFY(Pant(id)); // the splash screen stays
    }
};

QTEST_MAIN(TestAuxiliares)
#include "test_auxiliares.moc"
