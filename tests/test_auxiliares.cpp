// The about box and the splash screen among the real screens, with a
// recording voice.

#include "screens/about/acerca_de.h"
#include "screens/splash/portada.h"
#include "tests/banco_pantallas.h"

#include <QPushButton>

const QString kSaludo = QStringLiteral("Veltrana. Autor: Tarquino.");

class TestAuxiliares : public QObject, BancoPantallas {
    Q_OBJECT

    Pantalla* Acerca() const { return app->Existente(IdPantalla::AcercaDe); }

private slots:
    void init() {
        Armar();
        app->Registrar(IdPantalla::AcercaDe, [](Aplicacion& a) { return new AcercaDe(a); });
        app->Registrar(IdPantalla::Portada, [](Aplicacion& a) { return new Portada(a); });
    }
    void cleanup() { app.reset(); }

    // A greeting each time the box becomes active, unless the voice is off;
    // Aceptar goes back to the data screen prepared anew, or, once a solve
    // has closed that screen under the box, silently to nothing new.
    void about_box() {
        app->Mostrar(IdPantalla::Datos1);
        En<QPushButton>(Datos(), "BotonAcerca")->click();
        Pantalla* acerca = Acerca();
        QVERIFY(acerca && voz->Frases().contains(kSaludo));
        app->DarFoco(IdPantalla::Datos1); // the user turns back to the data
        ConfirmarCuenta(4);
        En<QPushButton>(Datos(), "ComandoVoz")->click();
        voz->Olvidar();
        En<QPushButton>(Datos(), "BotonAcerca")->click();
        QVERIFY(Acerca() == acerca && voz->Frases().isEmpty());

        En<QPushButton>(acerca, "Command1")->click();
        QVERIFY(!Acerca() && app->Activa() == Datos());
        QVERIFY(En<QLineEdit>(Datos(), "NumeroEcuaciones")->isEnabled() && !Tabla()->isEnabled());
        En<QPushButton>(Datos(), "BotonAcerca")->click();
        QCOMPARE(voz->Frases().count(kSaludo), 1);

        app->DarFoco(IdPantalla::Datos1);
        ConfirmarCuenta(4);
        Poner(QList<QStringList>(4, {"", "1", "", ""}));
        En<QPushButton>(Datos(), "Resolver")->click();
        voz->Olvidar();
        app->DarFoco(IdPantalla::AcercaDe);
        En<QPushButton>(Acerca(), "Command1")->click();
        QVERIFY(!Acerca() && !Datos() && Resultados() && !app->Terminada());
        QVERIFY(voz->Frases().isEmpty());
    }

    // Keys that type something and clicks on the margin or the bare frame
    // go on to the data screen; a second one already on its way does nothing.
    void splash_data() {
        QTest::addColumn<int>("tecla");     // 0: a click
        QTest::addColumn<QString>("donde"); // "": the margin, else a child's name
        QTest::addColumn<QPoint>("punto");
        QTest::addColumn<bool>("continua");
        QTest::newRow("letter") << int(Qt::Key_A) << "" << QPoint() << true;
        QTest::newRow("arrow") << int(Qt::Key_Left) << "" << QPoint() << false;
        QTest::newRow("margin") << 0 << "" << QPoint(4, 100) << true;
        QTest::newRow("bare frame") << 0 << "Frame1" << QPoint(300, 12) << true;
        QTest::newRow("name label") << 0 << "lblProductName" << QPoint(20, 20) << false;
    }
    void splash() {
        QFETCH(int, tecla);
        QFETCH(QString, donde);
        QFETCH(QPoint, punto);
        QFETCH(bool, continua);
        app->Mostrar(IdPantalla::Portada);
        Pantalla* portada = app->Existente(IdPantalla::Portada);
        QWidget* destino = donde.isEmpty() ? portada : portada->findChild<QWidget*>(donde);
        QVERIFY(destino && (tecla || !destino->childAt(punto))); // right on that control
        for (int vez = 0; vez < 2; ++vez)
            tecla ? QTest::keyClick(destino, Qt::Key(tecla))
                  : QTest::mouseClick(destino, Qt::LeftButton, {}, punto);

        QCOMPARE(!app->Existente(IdPantalla::Portada), continua);
        QVERIFY(!app->Terminada());
        QTRY_COMPARE(voz->Frases().size(), int(continua)); // the data screen's prompt
    }
};

QTEST_MAIN(TestAuxiliares)
#include "test_auxiliares.moc"
