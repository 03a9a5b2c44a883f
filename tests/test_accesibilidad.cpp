// What keyboard and screen-reader users get: the name and role of every
// control that takes the focus, each screen's tab order, the access keys,
// the grids as tables with headers, and the program's voice keeping quiet
// while a screen reader speaks (with a stand-in reader, and with the real
// accessibility-bus reader on a private D-Bus).

#include "app/aplicacion.h"
#include "app/lector_pantalla.h"
#include "grid/qt_grid.h"
#include "screens/about/acerca_de.h"
#include "screens/data_entry/datos1.h"
#include "screens/results/respuesta.h"
#include "screens/splash/portada.h"
#include "speech/motor_voz_falso.h"
#include "tests/ayudantes_pantallas.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <memory>
#include <set>
#include <vector>

namespace {

const QString kAvisoLector =
    QStringLiteral("Un lector de pantalla está activo: Veltrana no habla para no superponerse");
const QString kSinVoz = QStringLiteral("La voz no está disponible.");
const QString kValidacion =
    QStringLiteral("Error en Validación de Datos | Introduzca un número mayor que tres");
const QString kFrase = QStringLiteral("StopSpeech,Rate=130,Volume=150,Speak=");

// A screen reader switched on and off by the test.
class LectorFalso final : public LectorPantalla {
public:
    bool Activo() const override { return m_activo; }
    void Fijar(bool activo) {
        m_activo = activo;
        emit ActivoCambiado(activo);
    }

private:
    bool m_activo = false;
};

// Every control that takes the focus, and each window, as a screen reader
// finds it. An empty name stands for the window itself; the title is checked
// for windows only, the access key for buttons only.
struct Control {
    IdPantalla pantalla;
    const char* nombre;
    QAccessible::Role rol;
    const char* accesible;
    const char* descripcion;
    const char* tecla;
    const char* titulo;
};

const Control kControles[] = {
    {IdPantalla::Datos1, "", QAccessible::Window, "Veltrana", "", "", "Veltrana"},
    {IdPantalla::Datos1, "NumeroEcuaciones", QAccessible::EditableText, "Número de ecuaciones",
     "Introduzca el número de ecuaciones", "", ""},
    {IdPantalla::Datos1, "ComandoVoz", QAccessible::Button, "Desactivar Voz", "", "", ""},
    {IdPantalla::Datos1, "OK1", QAccessible::Button, "OK", "", "", ""},
    {IdPantalla::Datos1, "BotonCambio", QAccessible::Button, "Cambiar Número de Ecuaciones", "",
     "Alt+C", ""},
    {IdPantalla::Datos1, "Tabla", QAccessible::Table, "Coeficientes de las ecuaciones",
     "Introduzca los datos de las ecuaciones", "", ""},
    {IdPantalla::Datos1, "BotonSalir", QAccessible::Button, "Salir", "", "Alt+S", ""},
    {IdPantalla::Datos1, "Resolver", QAccessible::Button, "Resolver", "", "Alt+R", ""},
    {IdPantalla::Datos1, "BotonAcerca", QAccessible::Button, "Acerca de", "", "Alt+C", ""},
    {IdPantalla::Respuesta, "", QAccessible::Window, "Veltrana",
     "Resolución del sistema tridiagonal", "", "Veltrana"},
    {IdPantalla::Respuesta, "Incognitas", QAccessible::Table, "Incógnitas y sus valores", "", "",
     ""},
    {IdPantalla::Respuesta, "Command1", QAccessible::Button, "Salir", "", "Alt+S", ""},
    {IdPantalla::Respuesta, "Command2", QAccessible::Button, "Ingresar nuevos datos", "", "Alt+I",
     ""},
    {IdPantalla::AcercaDe, "", QAccessible::Window, "Acerca de Veltrana",
     "Veltrana. Autor: Tarquino.", "", "Acerca de Veltrana"},
    {IdPantalla::AcercaDe, "Command1", QAccessible::Button, "Aceptar", "", "", ""},
    // The splash screen has no title; its name and invitation come from
    // the accessible texts alone.
    {IdPantalla::Portada, "", QAccessible::Window, "Veltrana", "Pulse una tecla para continuar", "",
     ""},
};

// The header cells a table cell hands out are not kept by Qt: their names,
// and the cells dropped through Qt's cache so that nothing leaks.
QStringList Encabezados(const QList<QAccessibleInterface*>& celdas) {
    QStringList nombres;
    for (QAccessibleInterface* celda : celdas) {
        nombres << celda->text(QAccessible::Name);
        QAccessible::deleteAccessibleInterface(QAccessible::registerAccessibleInterface(celda));
    }
    return nombres;
}

const char* NombreDe(IdPantalla id) {
    switch (id) {
    case IdPantalla::Datos1:
        return "Datos1";
    case IdPantalla::Respuesta:
        return "Respuesta";
    case IdPantalla::AcercaDe:
        return "AcercaDe";
    case IdPantalla::Portada:
        return "Portada";
    }
    return "?";
}

// The accessibility service as the desktop runs it: org.a11y.Status on
// org.a11y.Bus at /org/a11y/bus.
class EstadoA11y : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.a11y.Status")
    Q_PROPERTY(bool IsEnabled READ IsEnabled)
    Q_PROPERTY(bool ScreenReaderEnabled READ ScreenReaderEnabled)

public:
    bool IsEnabled() const { return true; }
    bool ScreenReaderEnabled() const {
        ++lecturas;
        return lector;
    }
    bool lector = false;
    mutable int lecturas = 0;
};

} // namespace

class TestAccesibilidad : public QObject {
    Q_OBJECT

    std::unique_ptr<MotorVozFalso> voz;
    std::unique_ptr<LectorFalso> lector;
    std::unique_ptr<Aplicacion> app;
    QProcess busPrivado;
    QString direccionBus;

    Pantalla* Pant(IdPantalla id) { return app->Existente(id); }
    template <typename T = QWidget> T* En(IdPantalla id, const char* nombre) {
        Pantalla* pantalla = Pant(id);
        return pantalla ? pantalla->findChild<T*>(QString::fromLatin1(nombre)) : nullptr;
    }
    QtGrid* Tabla() { return En<QtGrid>(IdPantalla::Datos1, "Tabla"); }

    bool Abrir(IdPantalla id) {
        app->Mostrar(id);
        return QTest::qWaitForWindowActive(Pant(id));
    }
    // The count, then a system whose solution is x(i) = i: B = 1, D = i.
    void ConfirmarYLlenar() {
        auto* cuenta = En<QLineEdit>(IdPantalla::Datos1, "NumeroEcuaciones");
        cuenta->setText(QStringLiteral("4"));
        QTest::keyClick(cuenta, Qt::Key_Return);
        QVERIFY(Tabla()->isEnabled());
        for (int fila = 1; fila <= 4; ++fila) {
            Tabla()->SetCurrentRow(fila);
            Tabla()->SetCurrentCol(2);
            Tabla()->SetCellText(QStringLiteral("1"));
            Tabla()->SetCurrentCol(4);
            Tabla()->SetCellText(QString::number(fila));
        }
        Tabla()->SetCurrentRow(1);
        Tabla()->SetCurrentCol(1);
    }
    // "cuenta" (count entry), "coeficientes" (coefficient entry, focus on the
    // grid), "edicion" (a cell editor open), "acerca" (the about box over
    // the data-entry screen), "respuesta" (the results of the system above).
    void Preparar(const QString& estado) {
        QVERIFY(Abrir(IdPantalla::Datos1));
        if (estado == QLatin1String("cuenta"))
            return;
        ConfirmarYLlenar();
        if (estado == QLatin1String("edicion")) {
            Tabla()->setFocus();
            Teclear(QStringLiteral("7"));
            QVERIFY(Tabla()->isEditing());
        } else if (estado == QLatin1String("acerca")) {
            En<QAbstractButton>(IdPantalla::Datos1, "BotonAcerca")->click();
            QVERIFY(QTest::qWaitForWindowActive(Pant(IdPantalla::AcercaDe)));
        } else if (estado == QLatin1String("respuesta")) {
            En<QAbstractButton>(IdPantalla::Datos1, "Resolver")->click();
            QVERIFY(Pant(IdPantalla::Respuesta));
            QVERIFY(QTest::qWaitForWindowActive(Pant(IdPantalla::Respuesta)));
        }
    }

    QStringList Recorrido(Qt::Key tecla, int pasos) {
        QStringList vistos;
        for (int i = 0; i < pasos; ++i) {
            Pulsar(tecla);
            vistos << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                   : QStringLiteral("(nada)"));
        }
        return vistos;
    }

    // The engine calls of one step, comma-separated.
    QString Llamadas() const { return voz->Llamadas().join(u','); }
    QString Aviso() { return En<QWidget>(IdPantalla::Datos1, "ComandoVoz")->toolTip(); }

private slots:
    void initTestCase() {
        // Without a platform bridge the grids' accessible tables would not
        // hear of their models' changes.
        QAccessible::setActive(true);
    }
    void init() {
        voz = std::make_unique<MotorVozFalso>();
        lector = std::make_unique<LectorFalso>();
        app = std::make_unique<Aplicacion>();
        app->Registrar(IdPantalla::Datos1,
                       [this](Aplicacion& a) { return new Datos1(a, *voz, lector.get()); });
        app->Registrar(IdPantalla::Respuesta, [](Aplicacion& a) { return new Respuesta(a); });
        app->Registrar(IdPantalla::AcercaDe, [](Aplicacion& a) { return new AcercaDe(a); });
        app->Registrar(IdPantalla::Portada, [](Aplicacion& a) { return new Portada(a); });
    }
    void cleanup() {
        app.reset();
        // Screens unloaded during the test go before the reader they point to.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void cleanupTestCase() {
        if (busPrivado.state() != QProcess::NotRunning) {
            busPrivado.kill();
            busPrivado.waitForFinished();
        }
    }

    void names_and_roles_data() {
        QTest::addColumn<int>("indice");
        for (int i = 0; i < int(std::size(kControles)); ++i) {
            const Control& c = kControles[i];
            QTest::addRow("%s %s", NombreDe(c.pantalla), *c.nombre ? c.nombre : "window") << i;
        }
    }
    void names_and_roles() {
        QFETCH(int, indice);
        const Control& c = kControles[indice];
        Pantalla& pantalla = app->Obtener(c.pantalla);
        QWidget* widget =
            *c.nombre ? pantalla.findChild<QWidget*>(QString::fromLatin1(c.nombre)) : &pantalla;
        QVERIFY(widget);
        QAccessibleInterface* interfaz = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(interfaz);
        QCOMPARE(interfaz->role(), c.rol);
        QCOMPARE(interfaz->text(QAccessible::Name), QString::fromUtf8(c.accesible));
        QCOMPARE(interfaz->text(QAccessible::Description), QString::fromUtf8(c.descripcion));
        if (c.rol == QAccessible::Button) // what the reader announces as the access key
            QCOMPARE(interfaz->text(QAccessible::Accelerator).toUpper(),
                     QString::fromLatin1(c.tecla).toUpper());
        if (!*c.nombre)
            QCOMPARE(pantalla.windowTitle(), QString::fromUtf8(c.titulo));
    }

    // Labels, pictures and frames never take the focus: only the controls
    // of the table above do.
    void only_the_named_controls_take_the_focus_data() {
        QTest::addColumn<int>("pantalla");
        for (IdPantalla id :
             {IdPantalla::Datos1, IdPantalla::Respuesta, IdPantalla::AcercaDe, IdPantalla::Portada})
            QTest::newRow(NombreDe(id)) << int(id);
    }
    void only_the_named_controls_take_the_focus() {
        QFETCH(int, pantalla);
        const auto id = IdPantalla(pantalla);
        std::set<QString> esperados, enfocables;
        for (const Control& c : kControles)
            if (c.pantalla == id && *c.nombre)
                esperados.insert(QString::fromLatin1(c.nombre));
        for (const QWidget* w : app->Obtener(id).findChildren<QWidget*>())
            if (w->focusPolicy() & Qt::TabFocus)
                enfocables.insert(w->objectName());
        QCOMPARE(QStringList(enfocables.begin(), enfocables.end()),
                 QStringList(esperados.begin(), esperados.end()));
    }

    void tab_order_data() {
        QTest::addColumn<QString>("estado");
        QTest::addColumn<int>("pantalla");
        QTest::addColumn<QStringList>("orden");
        QTest::newRow("count entry")
            << "cuenta" << int(IdPantalla::Datos1)
            << QStringList{"NumeroEcuaciones", "ComandoVoz", "OK1", "BotonSalir", "BotonAcerca"};
        QTest::newRow("coefficient entry")
            << "coeficientes" << int(IdPantalla::Datos1)
            << QStringList{"ComandoVoz", "BotonCambio", "Tabla",
                           "BotonSalir", "Resolver",    "BotonAcerca"};
        QTest::newRow("results") << "respuesta" << int(IdPantalla::Respuesta)
                                 << QStringList{"Incognitas", "Command1", "Command2"};
        QTest::newRow("about box")
            << "acerca" << int(IdPantalla::AcercaDe) << QStringList{"Command1"};
    }
    void tab_order() {
        QFETCH(QString, estado);
        QFETCH(int, pantalla);
        QFETCH(QStringList, orden);
        VigilanteMensajes mensajes;
        Preparar(estado);
        QVERIFY(!QTest::currentTestFailed());
        auto* primero = Pant(IdPantalla(pantalla))->findChild<QWidget*>(orden.first());
        primero->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), primero);

        QStringList adelante = orden.mid(1) << orden.first();
        QCOMPARE(Recorrido(Qt::Key_Tab, int(orden.size())), adelante);
        QStringList atras(orden.rbegin(), orden.rend());
        QCOMPARE(Recorrido(Qt::Key_Backtab, int(orden.size())), atras);
        QVERIFY(mensajes.vistos.isEmpty());
    }

    // Which buttons an access key presses: the first in tab order among the
    // visible and enabled ones whose caption marks it, and only that one.
    void access_keys_data() {
        QTest::addColumn<QString>("estado");
        QTest::addColumn<int>("tecla");
        QTest::addColumn<QStringList>("pulsados");
        QTest::newRow("count entry Alt+C: about")
            << "cuenta" << int(Qt::Key_C) << QStringList{"BotonAcerca"};
        QTest::newRow("count entry Alt+S")
            << "cuenta" << int(Qt::Key_S) << QStringList{"BotonSalir"};
        QTest::newRow("count entry Alt+R: solve hidden")
            << "cuenta" << int(Qt::Key_R) << QStringList{};
        QTest::newRow("coefficient entry Alt+C: change count")
            << "coeficientes" << int(Qt::Key_C) << QStringList{"BotonCambio"};
        QTest::newRow("coefficient entry Alt+R")
            << "coeficientes" << int(Qt::Key_R) << QStringList{"Resolver"};
        QTest::newRow("coefficient entry Alt+S")
            << "coeficientes" << int(Qt::Key_S) << QStringList{"BotonSalir"};
        QTest::newRow("cell editor open Alt+C")
            << "edicion" << int(Qt::Key_C) << QStringList{"BotonCambio"};
        QTest::newRow("cell editor open Alt+R")
            << "edicion" << int(Qt::Key_R) << QStringList{"Resolver"};
        QTest::newRow("results Alt+S") << "respuesta" << int(Qt::Key_S) << QStringList{"Command1"};
        QTest::newRow("results Alt+I") << "respuesta" << int(Qt::Key_I) << QStringList{"Command2"};
        QTest::newRow("about box Alt+C: not the data entry's")
            << "acerca" << int(Qt::Key_C) << QStringList{};
    }
    void access_keys() {
        QFETCH(QString, estado);
        QFETCH(int, tecla);
        QFETCH(QStringList, pulsados);
        VigilanteMensajes mensajes;
        Preparar(estado);
        QVERIFY(!QTest::currentTestFailed());

        std::vector<std::pair<QString, std::unique_ptr<QSignalSpy>>> espias;
        for (IdPantalla id : {IdPantalla::Datos1, IdPantalla::Respuesta, IdPantalla::AcercaDe})
            if (Pantalla* pantalla = Pant(id))
                for (QAbstractButton* boton : pantalla->findChildren<QAbstractButton*>())
                    if (!boton->objectName().isEmpty())
                        espias.emplace_back(
                            boton->objectName(),
                            std::make_unique<QSignalSpy>(boton, &QAbstractButton::clicked));
        const auto vistos = [&espias] {
            QStringList nombres;
            for (const auto& [nombre, espia] : espias)
                if (!espia->isEmpty())
                    nombres << nombre;
            return nombres;
        };

        QTest::keyClick(QApplication::focusWidget(), Qt::Key(tecla), Qt::AltModifier);
        if (!pulsados.isEmpty())
            QTRY_VERIFY(!vistos().isEmpty());
        QTest::qWait(250); // longer than a press takes to show: a second one would be in
        QCOMPARE(vistos(), pulsados);
        QVERIFY(mensajes.vistos.isEmpty()); // the system above solves
    }

    // The grids are tables: every cell readable, with its row and column
    // headers (the fixed row and column of the grid).
    void grids_are_tables_with_headers_data() {
        QTest::addColumn<QString>("estado");
        QTest::addColumn<int>("pantalla");
        QTest::addColumn<QString>("rejilla");
        QTest::addColumn<QStringList>("columnas");
        QTest::addColumn<QStringList>("filas"); // empty: the grid has no fixed column
        QTest::addColumn<QList<QStringList>>("celdas");
        QTest::newRow("coefficients")
            << "coeficientes" << int(IdPantalla::Datos1) << "Tabla"
            << QStringList{"A", "B", "C", "D"} << QStringList{"1", "2", "3", "4"}
            << QList<QStringList>{
                   {"", "1", "", "1"}, {"", "1", "", "2"}, {"", "1", "", "3"}, {"", "1", "", "4"}};
        QTest::newRow("results") << "respuesta" << int(IdPantalla::Respuesta) << "Incognitas"
                                 << QStringList{"Incógnita", "Valor"} << QStringList{}
                                 << QList<QStringList>{
                                        {"x1", "1"}, {"x2", "2"}, {"x3", "3"}, {"x4", "4"}};
    }
    void grids_are_tables_with_headers() {
        QFETCH(QString, estado);
        QFETCH(int, pantalla);
        QFETCH(QString, rejilla);
        QFETCH(QStringList, columnas);
        QFETCH(QStringList, filas);
        QFETCH(QList<QStringList>, celdas);
        Preparar(estado);
        QVERIFY(!QTest::currentTestFailed());
        auto* grid = Pant(IdPantalla(pantalla))->findChild<QtGrid*>(rejilla);
        QAccessibleInterface* interfaz = QAccessible::queryAccessibleInterface(grid);
        QVERIFY(interfaz && interfaz->tableInterface());
        QAccessibleTableInterface* tabla = interfaz->tableInterface();
        QCOMPARE(tabla->rowCount(), int(celdas.size()));
        QCOMPARE(tabla->columnCount(), int(columnas.size()));
        for (int f = 0; f < tabla->rowCount(); ++f) {
            for (int c = 0; c < tabla->columnCount(); ++c) {
                QAccessibleInterface* celda = tabla->cellAt(f, c);
                QVERIFY(celda && celda->tableCellInterface());
                QCOMPARE(celda->text(QAccessible::Name), celdas.at(f).at(c));
                QCOMPARE(Encabezados(celda->tableCellInterface()->columnHeaderCells()),
                         QStringList{columnas.at(c)});
                if (!filas.isEmpty())
                    QCOMPARE(Encabezados(celda->tableCellInterface()->rowHeaderCells()),
                             QStringList{filas.at(f)});
            }
        }
    }

    // Steps: "lector+"/"lector-" switch the reader, "abrir" opens the
    // data-entry screen, "frase" speaks through Hablar, "voz" clicks the
    // voice button, "cuenta2" confirms a count the screen rejects, "acerca"
    // opens the about box. Per step: the engine calls it made and the voice
    // button's tooltip after it ("*": the screen is not open yet).
    void voice_gives_way_to_a_screen_reader_data() {
        QTest::addColumn<bool>("vozDisponible");
        QTest::addColumn<QStringList>("pasos");
        QTest::addColumn<QStringList>("llamadas");
        QTest::addColumn<QStringList>("avisos");
        QTest::addColumn<QStringList>("cajas");
        const QString prompt = kFrase + QStringLiteral("Introduzca el número de ecuaciones");
        const QString hola = kFrase + QStringLiteral("Hola");
        QTest::newRow("reader on before the screen opens")
            << true << QStringList{"lector+", "abrir", "frase", "cuenta2"}
            << QStringList{"", "", "", ""}
            << QStringList{"*", kAvisoLector, kAvisoLector, kAvisoLector}
            << QStringList{kValidacion};
        QTest::newRow("reader starting cuts the phrase short; stopping brings the voice back")
            << true << QStringList{"abrir", "lector+", "frase", "lector-", "frase"}
            << QStringList{prompt, "StopSpeech", "", "", hola}
            << QStringList{"", kAvisoLector, kAvisoLector, "", ""} << QStringList{};
        QTest::newRow("the user's switch outlasts the reader")
            << true << QStringList{"abrir", "voz", "lector+", "lector-", "frase", "voz", "frase"}
            << QStringList{prompt, "StopSpeech", "", "", "", "", hola}
            << QStringList{"", "", kAvisoLector, "", "", "", ""} << QStringList{};
        QTest::newRow("no voice device: the reader's reason first")
            << false << QStringList{"abrir", "lector+", "lector-"}
            << QStringList{prompt, "StopSpeech", ""} << QStringList{kSinVoz, kAvisoLector, kSinVoz}
            << QStringList{};
        QTest::newRow("the about box is silent too")
            << true << QStringList{"abrir", "lector+", "acerca"}
            << QStringList{prompt, "StopSpeech", ""} << QStringList{"", kAvisoLector, kAvisoLector}
            << QStringList{};
    }
    void voice_gives_way_to_a_screen_reader() {
        QFETCH(bool, vozDisponible);
        QFETCH(QStringList, pasos);
        QFETCH(QStringList, llamadas);
        QFETCH(QStringList, avisos);
        QFETCH(QStringList, cajas);
        voz->FijarDisponible(vozDisponible);
        VigilanteMensajes mensajes;
        for (qsizetype i = 0; i < pasos.size(); ++i) {
            const QString& paso = pasos.at(i);
            voz->Olvidar();
            if (paso == QLatin1String("lector+") || paso == QLatin1String("lector-")) {
                lector->Fijar(paso.endsWith(u'+'));
            } else if (paso == QLatin1String("abrir")) {
                QVERIFY(Abrir(IdPantalla::Datos1));
            } else if (paso == QLatin1String("frase")) {
                static_cast<Datos1*>(Pant(IdPantalla::Datos1))->Hablar(QStringLiteral("Hola"));
            } else if (paso == QLatin1String("cuenta2")) {
                auto* cuenta = En<QLineEdit>(IdPantalla::Datos1, "NumeroEcuaciones");
                cuenta->setText(QStringLiteral("2"));
                QTest::keyClick(cuenta, Qt::Key_Return);
            } else {
                En<QAbstractButton>(IdPantalla::Datos1,
                                    paso == QLatin1String("voz") ? "ComandoVoz" : "BotonAcerca")
                    ->click();
            }
            // Focus arrivals, and the prompts they speak, may come a little later.
            if (llamadas.at(i).isEmpty())
                QTest::qWait(50);
            QTRY_VERIFY2(Llamadas() == llamadas.at(i),
                         qPrintable(paso + QStringLiteral(": ") + Llamadas()));
            if (avisos.at(i) != QLatin1String("*"))
                QCOMPARE(Aviso(), avisos.at(i));
        }
        QCOMPARE(mensajes.vistos, cajas); // a message box still shows what is not spoken
    }

    // The real reader on a private bus, with a stand-in accessibility
    // service. Steps: "alta"/"baja" (the service appears or goes), and
    // "Interfaz.Propiedad=0|1" (a PropertiesChanged signal; for
    // ScreenReaderEnabled of org.a11y.Status, the service's value too), and
    // "invalida=0|1" (the value changes and is only announced as invalid).
    void dbus_reader_follows_the_accessibility_bus_data() {
        QTest::addColumn<bool>("hayBus");
        QTest::addColumn<bool>("servicioAntes");
        QTest::addColumn<bool>("valorInicial");
        QTest::addColumn<QStringList>("pasos");
        QTest::addColumn<bool>("activo");
        QTest::addColumn<QList<bool>>("cambios");
        QTest::newRow("no bus at all")
            << false << false << false << QStringList{} << false << QList<bool>{};
        QTest::newRow("no accessibility service")
            << true << false << false << QStringList{} << false << QList<bool>{};
        QTest::newRow("reader already on")
            << true << true << true << QStringList{} << true << QList<bool>{true};
        QTest::newRow("reader starts and stops")
            << true << true << false
            << QStringList{"org.a11y.Status.ScreenReaderEnabled=1",
                           "org.a11y.Status.ScreenReaderEnabled=0"}
            << false << QList<bool>{true, false};
        QTest::newRow("other interfaces and properties ignored")
            << true << true << true
            << QStringList{"org.a11y.Otra.ScreenReaderEnabled=0", "org.a11y.Status.IsEnabled=0",
                           "org.a11y.Status.ScreenReaderEnabled=1",
                           "org.a11y.Status.ScreenReaderEnabled=0"}
            << false << QList<bool>{true, false};
        QTest::newRow("invalidated value read again")
            << true << true << false << QStringList{"invalida=1"} << true << QList<bool>{true};
        QTest::newRow("service starts after the program")
            << true << false << true << QStringList{"alta"} << true << QList<bool>{true};
        QTest::newRow("service goes away")
            << true << true << true << QStringList{"baja"} << false << QList<bool>{true, false};
    }
    void dbus_reader_follows_the_accessibility_bus() {
        QFETCH(bool, hayBus);
        QFETCH(bool, servicioAntes);
        QFETCH(bool, valorInicial);
        QFETCH(QStringList, pasos);
        QFETCH(bool, activo);
        QFETCH(QList<bool>, cambios);
        if (hayBus && direccionBus.isEmpty())
            IniciarBusPrivado();
        if (hayBus && direccionBus.isEmpty())
            QSKIP("dbus-daemon is not available");

        static int serie = 0;
        const QString nombreLector = QStringLiteral("lector-%1").arg(++serie);
        const QString nombreServicio = QStringLiteral("servicio-%1").arg(serie);
        QDBusConnection servicio = QDBusConnection::connectToBus(direccionBus, nombreServicio);
        const auto limpiar = qScopeGuard([&] {
            QDBusConnection::disconnectFromBus(nombreLector);
            servicio.unregisterService(QStringLiteral("org.a11y.Bus"));
            servicio.unregisterObject(QStringLiteral("/org/a11y/bus"));
            QDBusConnection::disconnectFromBus(nombreServicio);
        });
        EstadoA11y estado;
        estado.lector = valorInicial;
        const auto alta = [&] {
            QVERIFY(servicio.registerObject(QStringLiteral("/org/a11y/bus"), &estado,
                                            QDBusConnection::ExportAllProperties));
            QVERIFY(servicio.registerService(QStringLiteral("org.a11y.Bus")));
        };
        if (servicioAntes)
            alta();

        {
            QDBusConnection bus = QDBusConnection::connectToBus(
                hayBus ? direccionBus : QStringLiteral("unix:path=/nonexistent/veltrana-bus"),
                nombreLector);
            QCOMPARE(bus.isConnected(), hayBus);
            LectorPantallaDBus lectorBus(bus);
            QSignalSpy espia(&lectorBus, &LectorPantalla::ActivoCambiado);
            // The first reading is over before anything changes.
            if (servicioAntes)
                QTRY_VERIFY(estado.lecturas > 0);
            if (servicioAntes && valorInicial)
                QTRY_VERIFY(lectorBus.Activo());
            for (const QString& paso : pasos) {
                if (paso == QLatin1String("alta")) {
                    alta();
                } else if (paso == QLatin1String("baja")) {
                    servicio.unregisterService(QStringLiteral("org.a11y.Bus"));
                } else {
                    const qsizetype igual = paso.indexOf(u'=');
                    const bool valor = paso.mid(igual + 1) == QLatin1String("1");
                    const QString nombre = paso.left(igual);
                    const qsizetype punto = nombre.lastIndexOf(u'.');
                    const bool invalida = nombre == QLatin1String("invalida");
                    const QString interfaz =
                        invalida ? QStringLiteral("org.a11y.Status") : nombre.left(punto);
                    const QString propiedad =
                        invalida ? QStringLiteral("ScreenReaderEnabled") : nombre.mid(punto + 1);
                    if (interfaz == QLatin1String("org.a11y.Status") &&
                        propiedad == QLatin1String("ScreenReaderEnabled"))
                        estado.lector = valor;
                    QDBusMessage senal = QDBusMessage::createSignal(
                        QStringLiteral("/org/a11y/bus"),
                        QStringLiteral("org.freedesktop.DBus.Properties"),
                        QStringLiteral("PropertiesChanged"));
                    senal << interfaz
                          << (invalida ? QVariantMap{} : QVariantMap{{propiedad, valor}})
                          << (invalida ? QStringList{propiedad} : QStringList{});
                    QVERIFY(servicio.send(senal));
                }
            }
            if (cambios.isEmpty())
                QTest::qWait(150); // time for a reply that must change nothing
            QTRY_COMPARE(espia.size(), cambios.size());
            QCOMPARE(lectorBus.Activo(), activo);
            QList<bool> vistos;
            for (const QList<QVariant>& senal : espia)
                vistos << senal.at(0).toBool();
            QCOMPARE(vistos, cambios);
        }
    }

private:
    // A bus of the test's own, on which nothing else runs and nothing can be
    // started on demand: no session bus is needed, and none is disturbed.
    void IniciarBusPrivado() {
        const QString programa = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (programa.isEmpty())
            return;
        auto* configuracion = new QTemporaryFile(this);
        QVERIFY(configuracion->open());
        configuracion->write(
            "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
            " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
            "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
            "<auth>EXTERNAL</auth><policy context=\"default\">"
            "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
            "<allow own=\"*\"/></policy></busconfig>\n");
        configuracion->flush();
        busPrivado.start(programa,
                         {QStringLiteral("--config-file=") + configuracion->fileName(),
                          QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        QVERIFY(busPrivado.waitForStarted());
        while (!busPrivado.canReadLine() && busPrivado.waitForReadyRead(5000)) {
        }
        direccionBus = QString::fromUtf8(busPrivado.readLine()).trimmed();
        QVERIFY(!direccionBus.isEmpty());
    }
};

QTEST_MAIN(TestAccesibilidad)
#include "test_accesibilidad.moc"
