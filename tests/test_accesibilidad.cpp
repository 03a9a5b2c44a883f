// What keyboard and screen-reader users get: names, roles and descriptions,
// access keys and tab cycles, the coefficient grid as a table with headers,
// and the program's voice keeping quiet while a screen reader speaks.

#include "app/aplicacion.h"
#include "app/lector_pantalla.h"
#include "grid/grid_model.h"
#include "grid/qt_grid.h"
#include "screens/about/acerca_de.h"
#include "screens/data_entry/datos1.h"
#include "screens/results/respuesta.h"
#include "screens/splash/portada.h"
#include "tests/motor_voz_falso.h"
#include "tests/ayudantes_pantallas.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QLineEdit>
#include <QProcess>
#include <memory>
#include <tuple>

namespace {

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

using enum QAccessible::Role;
constexpr auto kDatos = IdPantalla::Datos1, kRespuesta = IdPantalla::Respuesta,
               kAcerca = IdPantalla::AcercaDe;

// Every control that takes the focus, and each window (no object name);
// the key is what a reader announces as a button's access key.
const struct Control {
    IdPantalla pantalla;
    const char *nombre, *accesible;
    QAccessible::Role rol;
    const char *descripcion, *tecla;
} kControles[] = {
    {kDatos, "", "Veltrana", Window, "", ""},
    {kDatos, "NumeroEcuaciones", "Número de ecuaciones", EditableText,
     "Introduzca el número de ecuaciones", ""},
    {kDatos, "ComandoVoz", "Desactivar Voz", Button, "", ""},
    {kDatos, "OK1", "OK", Button, "", ""},
    {kDatos, "BotonCambio", "Cambiar Número de Ecuaciones", Button, "", "Alt+C"},
    {kDatos, "Tabla", "Coeficientes de las ecuaciones", Table,
     "Introduzca los datos de las ecuaciones", ""},
    {kDatos, "BotonSalir", "Salir", Button, "", "Alt+S"},
    {kDatos, "Resolver", "Resolver", Button, "", "Alt+R"},
    {kDatos, "BotonAcerca", "Acerca de", Button, "", "Alt+C"},
    {kRespuesta, "", "Veltrana", Window, "Resolución del sistema tridiagonal", ""},
    {kRespuesta, "Incognitas", "Incógnitas y sus valores", Table, "", ""},
    {kRespuesta, "Command1", "Salir", Button, "", "Alt+S"},
    {kRespuesta, "Command2", "Ingresar nuevos datos", Button, "", "Alt+I"},
    {kAcerca, "", "Acerca de Veltrana", Window, "Veltrana. Autor: Tarquino.", ""},
    {kAcerca, "Command1", "Aceptar", Button, "", ""},
    {IdPantalla::Portada, "", "Veltrana", Window, "Pulse una tecla para continuar", ""},
};

} // namespace

class TestAccesibilidad : public QObject {
    Q_OBJECT

    std::unique_ptr<MotorVozFalso> voz;
    std::unique_ptr<LectorFalso> lector;
    std::unique_ptr<Aplicacion> app;

    template <typename T = QAbstractButton> T* En(IdPantalla id, const char* nombre) {
        return app->Existente(id)->findChild<T*>(QString::fromLatin1(nombre));
    }
    void Contar(const char* texto) {
        En<QLineEdit>(kDatos, "NumeroEcuaciones")->setText(QString::fromLatin1(texto));
        QTest::keyClick(En<QLineEdit>(kDatos, "NumeroEcuaciones"), Qt::Key_Return);
    }
    // The data-entry screen, active; with a count of four and B = 1, a
    // system that solves.
    bool Abrir(bool conSistema) {
        app->Mostrar(kDatos);
        const bool activa = QTest::qWaitForWindowActive(app->Existente(kDatos));
        if (conSistema) {
            Contar("4");
            for (int fila = 0; fila < 4; ++fila)
                En<QtGrid>(kDatos, "Tabla")->gridModel()->setText(fila, 1, QStringLiteral("1"));
        }
        return activa;
    }

private slots:
    void init() {
        // Without a platform bridge the grids' accessible tables would not
        // hear of their models' changes.
        QAccessible::setActive(true);
        voz = std::make_unique<MotorVozFalso>();
        lector = std::make_unique<LectorFalso>();
        app = std::make_unique<Aplicacion>();
        app->Registrar(kDatos, [this](Aplicacion& a) { return new Datos1(a, *voz, lector.get()); });
        app->Registrar(kRespuesta, [](Aplicacion& a) { return new Respuesta(a); });
        app->Registrar(kAcerca, [](Aplicacion& a) { return new AcercaDe(a); });
        app->Registrar(IdPantalla::Portada, [](Aplicacion& a) { return new Portada(a); });
    }
    void cleanup() {
        app.reset();
        // Screens unloaded during the test go before the reader they point to.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void names_and_roles_data() {
        QTest::addColumn<int>("i");
        for (int i = 0; i < int(std::size(kControles)); ++i)
            QTest::addRow("%d %s", i, *kControles[i].nombre ? kControles[i].nombre : "window") << i;
    }
    void names_and_roles() {
        QFETCH(int, i);
        const Control& c = kControles[i];
        Pantalla& pantalla = app->Obtener(c.pantalla);
        QAccessibleInterface* interfaz = QAccessible::queryAccessibleInterface(
            *c.nombre ? pantalla.findChild<QWidget*>(c.nombre) : &pantalla);
        QVERIFY(interfaz);
        QCOMPARE(interfaz->role(), c.rol);
        QCOMPARE(interfaz->text(QAccessible::Name), QString::fromUtf8(c.accesible));
        QCOMPARE(interfaz->text(QAccessible::Description), QString::fromUtf8(c.descripcion));
        if (c.rol == Button)
            QCOMPARE(interfaz->text(QAccessible::Accelerator).toUpper(),
                     QString(c.tecla).toUpper());
    }

    // Alt+letter keys, each with the button it presses ("R=": none). A key
    // several buttons share presses the first visible and enabled one in tab
    // order; a window's keys stay its own. Then the tab cycle of the window
    // they lead to: a label that took the focus, or a hidden control that
    // kept it, would show in it.
    void keyboard_data() {
        QTest::addColumn<bool>("conSistema");
        QTest::addColumn<QString>("teclas");
        QTest::addColumn<QString>("ciclo");
        const QString cuenta =
            QStringLiteral("NumeroEcuaciones ComandoVoz OK1 BotonSalir BotonAcerca");
        QTest::newRow("coefficient entry")
            << true << ""
            << "Tabla BotonSalir Resolver BotonAcerca ComandoVoz BotonCambio";
        QTest::newRow("count entry again") << true << "C=BotonCambio R=" << cuenta;
        QTest::newRow("about box") << false << "C=BotonAcerca C="
                                   << "Command1";
        QTest::newRow("results") << true << "R=Resolver"
                                 << "Incognitas Command1 Command2";
        QTest::newRow("new data") << true << "R=Resolver I=Command2" << cuenta;
    }
    void keyboard() {
        QFETCH(bool, conSistema);
        QFETCH(QString, teclas);
        QFETCH(QString, ciclo);
        VigilanteMensajes mensajes;
        QVERIFY(Abrir(conSistema));
        for (const QString& tecla : teclas.split(u' ', Qt::SkipEmptyParts)) {
            QStringList pulsados;
            QObject escucha;
            for (QWidget* widget : QApplication::allWidgets())
                if (auto* boton = qobject_cast<QAbstractButton*>(widget))
                    connect(boton, &QAbstractButton::clicked, &escucha,
                            [&pulsados, nombre = boton->objectName()] { pulsados << nombre; });
            Pulsar(Qt::Key(tecla.at(0).unicode()), Qt::AltModifier);
            QTest::qWait(250); // longer than a press takes to show: a second one would be in
            QTRY_COMPARE(pulsados.join(u' '), tecla.mid(2));
        }
        const QStringList orden = ciclo.split(u' ');
        QWidget* primero = nullptr;
        QTRY_VERIFY(QApplication::activeWindow() &&
                    (primero = QApplication::activeWindow()->findChild<QWidget*>(orden.first())));
        primero->setFocus();
        QStringList vistos;
        for (qsizetype i = 0; i < orden.size(); ++i) {
            Pulsar(Qt::Key_Tab);
            vistos << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(vistos, orden.mid(1) << orden.first());
        QVERIFY(mensajes.vistos.isEmpty()); // every count taken, the system solved
    }

    // What a reader reads of a cell: its text, then the grid's fixed row and
    // column as its headers.
    void grid_is_a_table_with_headers() {
        QVERIFY(Abrir(true));
        QAccessibleTableInterface* tabla =
            QAccessible::queryAccessibleInterface(En<QtGrid>(kDatos, "Tabla"))->tableInterface();
        QVERIFY(tabla && tabla->rowCount() == 4 && tabla->columnCount() == 4);
        for (int n = 0; n < 16; ++n) {
            QAccessibleInterface* celda = tabla->cellAt(n / 4, n % 4);
            QStringList visto{celda->text(QAccessible::Name)};
            // Qt keeps no hold of the header cells it hands out: they go back
            // through its cache, or they leak.
            for (auto* encabezado : celda->tableCellInterface()->columnHeaderCells() +
                                        celda->tableCellInterface()->rowHeaderCells()) {
                visto << encabezado->text(QAccessible::Name);
                QAccessible::deleteAccessibleInterface(
                    QAccessible::registerAccessibleInterface(encabezado));
            }
            QCOMPARE(visto, (QStringList{n % 4 == 1 ? "1" : "", QString(QChar(u'A' + n % 4)),
                                         QString::number(n / 4 + 1)}));
        }
    }

    // The reader speaks the focused control and the message boxes itself;
    // the voice button's description says why the program keeps quiet.
    void voice_gives_way_to_a_screen_reader() {
        VigilanteMensajes mensajes;
        QVERIFY(Abrir(false));
        QAbstractButton* boton = En(kDatos, "ComandoVoz");
        QTRY_VERIFY(voz->Hablando()); // the prompt
        voz->Olvidar();
        lector->Fijar(true); // cuts it short
        QVERIFY(!voz->Hablando());
        QCOMPARE(boton->toolTip(), QStringLiteral("Un lector de pantalla está activo: Veltrana "
                                                  "no habla para no superponerse"));
        voz->Olvidar();
        Contar("2"); // rejected: the message box still shows what is not spoken
        QCOMPARE(mensajes.vistos.size(), 1);
        QVERIFY(voz->Frases().isEmpty());
        lector->Fijar(false);
        QCOMPARE(boton->toolTip(), QString());
        Contar("2");
        QTRY_COMPARE(voz->Frases(),
                     QStringList{QStringLiteral("Introduzca un número mayor que tres")});

        boton->click(); // the user's own switch outlasts the reader
        lector->Fijar(true);
        lector->Fijar(false);
        voz->Olvidar();
        Contar("2");
        QVERIFY(voz->Frases().isEmpty());
    }

    // The real reader, on a bus of the test's own, follows a stand-in
    // service that starts after it with a reader on, and goes; changes
    // announced through the desktop's own service are left to the end-to-end
    // test.
    void dbus_reader_follows_the_accessibility_bus() {
        QProcess daemon;
        daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
        if (!daemon.waitForStarted() || !daemon.waitForReadyRead(5000))
            QSKIP("dbus-daemon is not available");
        const QString direccion = QString::fromUtf8(daemon.readLine()).trimmed();
        QDBusConnection servicio = QDBusConnection::connectToBus(direccion, "servicio");
        LectorPantallaDBus lectorBus(QDBusConnection::connectToBus(direccion, "lector"));
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
              {"org.a11y.Status", "ScreenReaderEnabled", true}}) {
            QDBusMessage senal = QDBusMessage::createSignal(
                "/org/a11y/bus", "org.freedesktop.DBus.Properties", "PropertiesChanged");
            QVERIFY(servicio.send(senal << interfaz << QVariantMap{{propiedad, valor}}
                                        << QStringList{}));
        }
        QVERIFY(servicio.unregisterService("org.a11y.Bus"));
        QTRY_COMPARE(vistos.size(), 2);
        QTest::qWait(100); // nothing more on its way
        QCOMPARE(vistos, (QList<bool>{true, false}));
        daemon.kill();
        daemon.waitForFinished();
    }
};

QTEST_MAIN(TestAccesibilidad)
#include "test_accesibilidad.moc"
