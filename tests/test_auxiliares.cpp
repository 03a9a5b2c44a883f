// The about box and the splash screen among the real screens, and what
// keyboard and screen-reader users get beyond what the end-to-end test reads
// through the accessibility bus: the access keys that buttons share, tab
// cycles, the program's voice keeping quiet while a screen reader speaks, and
// how it learns that one does.

#include "app/lector_pantalla.h"
#include "screens/about/acerca_de.h"
#include "screens/splash/portada.h"
#include "tests/banco_pantallas.h"

#include <QAccessible>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QTemporaryDir>
#include <tuple>

namespace {

const QString kSaludo = QStringLiteral("Veltrana. Autor: Tarquino.");

struct LectorFalso final : LectorPantalla {
    bool Activo() const override { return activo; }
    void Fijar(bool valor) {
        activo = valor;
        emit ActivoCambiado(valor);
    }
    bool activo = false;
};

// The accessibility service as the desktop runs it, with a reader on.
class EstadoA11y : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.a11y.Status")
    Q_PROPERTY(bool ScreenReaderEnabled MEMBER lector)
    bool lector = true;
};

} // namespace

class TestAuxiliares : public QObject, BancoPantallas {
    Q_OBJECT

    LectorFalso lector;

    Pantalla* Acerca() const { return app->Existente(IdPantalla::AcercaDe); }
    // Alt+letter: the button it pressed, if any.
    QString Tecla(char letra) {
        QStringList pulsados;
        QObject escucha;
        for (QWidget* widget : QApplication::allWidgets())
            if (auto* b = qobject_cast<QAbstractButton*>(widget))
                connect(b, &QAbstractButton::clicked, &escucha,
                        [&pulsados, nombre = b->objectName()] { pulsados << nombre; });
        Pulsar(Qt::Key(letra), Qt::AltModifier);
        QTest::qWait(250); // longer than a press takes to show: a second one would be in
        return pulsados.join(u' ');
    }
    // The active window's tab cycle, from the control named first.
    QString Ciclo(const QString& desde) {
        QWidget* primero = nullptr;
        if (!QTest::qWaitFor([&] {
                return QApplication::activeWindow() &&
                       (primero = QApplication::activeWindow()->findChild<QWidget*>(desde));
            }))
            return QString();
        primero->setFocus();
        QStringList vistos{desde};
        for (Pulsar(Qt::Key_Tab); QApplication::focusWidget() != primero && vistos.size() < 20;
             Pulsar(Qt::Key_Tab))
            vistos << QApplication::focusWidget()->objectName();
        return vistos.join(u' ');
    }
    void Contar(const char* texto) {
        Caja()->setText(QString::fromLatin1(texto));
        QTest::keyClick(Caja(), Qt::Key_Return);
    }

private slots:
    void init() {
        lector.Fijar(false);
        Armar(&lector);
        app->Registrar(IdPantalla::AcercaDe, [](Aplicacion& a) { return new AcercaDe(a); });
        app->Registrar(IdPantalla::Portada, [](Aplicacion& a) { return new Portada(a); });
    }
    void cleanup() { app.reset(); }

    // A greeting each time the box becomes active, unless the voice is off;
    // Aceptar goes back to the data screen prepared anew, or, once a solve
    // has closed that screen under the box, silently to nothing new.
    void about_box() {
        app->Mostrar(IdPantalla::Datos1);
        Clic(Datos(), "BotonAcerca");
        Pantalla* acerca = Acerca();
        QVERIFY(acerca && voz->Frases().contains(kSaludo));
        // What a screen reader announces: a window, its name, and its greeting.
        QAccessibleInterface* ventana = QAccessible::queryAccessibleInterface(acerca);
        QCOMPARE(ventana->role(), QAccessible::Window);
        QCOMPARE(ventana->text(QAccessible::Name) + " | " + ventana->text(QAccessible::Description),
                 "Acerca de Veltrana | " + kSaludo);
        app->DarFoco(IdPantalla::Datos1); // the user turns back to the data
        ConfirmarCuenta(4);
        Clic(Datos(), "ComandoVoz");
        voz->Olvidar();
        Clic(Datos(), "BotonAcerca");
        QVERIFY(Acerca() == acerca && voz->Frases().isEmpty());

        Clic(acerca, "Command1");
        QVERIFY(!Acerca() && app->Activa() == Datos());
        QCOMPARE(Estado(), "count");
        Clic(Datos(), "BotonAcerca");
        QCOMPARE(voz->Frases().count(kSaludo), 1);

        app->DarFoco(IdPantalla::Datos1);
        ConfirmarCuenta(4);
        Poner(QList<QStringList>(4, {"", "1", "", ""}));
        Clic(Datos(), "Resolver");
        voz->Olvidar();
        app->DarFoco(IdPantalla::AcercaDe);
        Clic(Acerca(), "Command1");
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

    // Alt+letter keys press the button whose caption marks the letter; a key
    // several buttons share presses the first visible and enabled one in tab
    // order, and a window's keys stay its own. Tab cycles through what takes
    // input in each state of the data-entry screen, and nothing else: a label
    // that took the focus, or a hidden control that kept it, would show.
    void keyboard() {
        app->Mostrar(IdPantalla::Datos1);
        QVERIFY(QTest::qWaitForWindowActive(Datos()));
        QCOMPARE(Tecla('C'), "BotonAcerca");
        QCOMPARE(Tecla('C'), ""); // the about box's own keys only
        Clic(Acerca(), "Command1");
        Contar("4");
        QCOMPARE(Ciclo("Tabla"), "Tabla BotonSalir Resolver BotonAcerca ComandoVoz BotonCambio");
        QCOMPARE(Tecla('C'), "BotonCambio");
        QCOMPARE(Ciclo("NumeroEcuaciones"),
                 "NumeroEcuaciones ComandoVoz OK1 BotonSalir BotonAcerca");
        QCOMPARE(Tecla('R'), ""); // Resolver is hidden in count entry
    }

    // The reader speaks the focused control and the message boxes itself;
    // the voice button's description says why the program keeps quiet.
    void voice_gives_way_to_a_screen_reader() {
        VigilanteMensajes mensajes;
        app->Mostrar(IdPantalla::Datos1);
        auto* boton = En<QAbstractButton>(Datos(), "ComandoVoz");
        QTRY_VERIFY(voz->Hablando()); // the prompt
        voz->Olvidar();
        lector.Fijar(true); // cuts it short
        QVERIFY(!voz->Hablando());
        QCOMPARE(boton->toolTip(), QStringLiteral("Un lector de pantalla está activo: Veltrana "
                                                  "no habla para no superponerse"));
        Contar("2"); // rejected: the message box still shows what is not spoken
        QCOMPARE(mensajes.vistos.size(), 1);
        QVERIFY(voz->Frases().isEmpty());
        lector.Fijar(false);
        QCOMPARE(boton->toolTip(), QString());
        Contar("2");
        QCOMPARE(voz->Frases(), QStringList{QStringLiteral("Introduzca un número mayor que tres")});
    }

    // The program's reader watch, on a bus of the test's own, follows a
    // stand-in accessibility service that starts after it with a reader on,
    // then goes; the desktop's own service is the end-to-end test's. Then an
    // orca process, in a stand-in for /proc, starts and ends.
    void reader_follows_the_accessibility_bus_and_orca() {
        QProcess daemon;
        daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
        if (!daemon.waitForStarted() || !daemon.waitForReadyRead(5000))
            QSKIP("dbus-daemon is not available");
        const QString direccion = QString::fromUtf8(daemon.readLine()).trimmed();
        QDBusConnection servicio = QDBusConnection::connectToBus(direccion, "servicio");
        QTemporaryDir procesos;
        LectorPantallaDBus lectorBus(QDBusConnection::connectToBus(direccion, "lector"), nullptr,
                                     procesos.path());
        QList<bool> vistos;
        connect(&lectorBus, &LectorPantalla::ActivoCambiado, this, [&](bool v) { vistos << v; });
        EstadoA11y estado;
        QVERIFY(servicio.registerObject("/org/a11y/bus", &estado,
                                        QDBusConnection::ExportAllProperties));
        QVERIFY(servicio.registerService("org.a11y.Bus"));
        QTRY_COMPARE(vistos, QList<bool>{true});
        // Only org.a11y.Status's ScreenReaderEnabled counts: were either of the
        // first two taken, the third would be a change too.
        for (const auto& [interfaz, propiedad, valor] :
             {std::tuple{"org.a11y.Otra", "ScreenReaderEnabled", false},
              {"org.a11y.Status", "IsEnabled", false},
              {"org.a11y.Status", "ScreenReaderEnabled", true}})
            QVERIFY(servicio.send(QDBusMessage::createSignal("/org/a11y/bus",
                                                             "org.freedesktop.DBus.Properties",
                                                             "PropertiesChanged")
                                  << interfaz << QVariantMap{{propiedad, valor}} << QStringList{}));
        QVERIFY(servicio.unregisterService("org.a11y.Bus"));
        QTRY_COMPARE(vistos.size(), 2);
        QTest::qWait(100); // nothing more on its way
        QCOMPARE(vistos, (QList<bool>{true, false}));
        QDir(procesos.path()).mkpath("4242");
        QFile orca(procesos.filePath("4242/comm"));
        QVERIFY(orca.open(QIODevice::WriteOnly) && orca.write("orca\n") && orca.flush());
        QTRY_COMPARE_WITH_TIMEOUT(vistos.size(), 3, 5000);
        QVERIFY(QDir(procesos.filePath("4242")).removeRecursively());
        QTRY_COMPARE_WITH_TIMEOUT(vistos, (QList<bool>{true, false, true, false}), 5000);
        daemon.kill();
        daemon.waitForFinished();
    }
};

QTEST_MAIN(TestAuxiliares)
#include "test_auxiliares.moc"
