// The screen registry and the program's life: screens fresh after unload,
// activation only when a screen takes over, the ways the program ends.

#include "app/aplicacion.h"
#include "app/ayuda.h"
#include "app/senales_de_fin.h"
#include "solver/error_numerado.h"
#include "tests/ayudantes_pantallas.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <csignal>

using Cierre = std::function<void(Pantalla&)>; // done to the data-entry screen

namespace {

// A screen that writes down its handlers as they run.
class Anotadora : public Pantalla {
public:
    Anotadora(Aplicacion& app, IdPantalla id, QStringList& registro)
        : Pantalla(app, id, 3000, 1500), m_registro(registro) {}
    void Form_Activate() override { m_registro << Nombre() + " activada"; }
    void Form_Unload() override { m_registro << Nombre() + " descargada"; }
    QString Nombre() const { return Id() == IdPantalla::Datos1 ? "datos" : "otra"; }
    QStringList& m_registro;
};

} // namespace

class TestShell : public QObject {
    Q_OBJECT

    QStringList registro;
    std::unique_ptr<Aplicacion> app;

private slots:
    void init() {
        registro.clear();
        app = std::make_unique<Aplicacion>();
        for (IdPantalla id : {IdPantalla::Datos1, IdPantalla::AcercaDe})
            app->Registrar(id,
                           [this, id](Aplicacion& a) { return new Anotadora(a, id, registro); });
        connect(app.get(), &Aplicacion::terminada, this, [this] { registro << "fin"; });
        app->Mostrar(IdPantalla::Datos1);
    }
    void cleanup() { app.reset(); }

    void screen_is_fresh_after_unload() {
        app->Mostrar(IdPantalla::AcercaDe); // keeps the program alive
        Pantalla* primera = &app->Obtener(IdPantalla::Datos1);
        app->Descargar(IdPantalla::Datos1);
        QCOMPARE(registro.last(), QStringLiteral("datos descargada")); // and the program goes on
        QVERIFY(&app->Obtener(IdPantalla::Datos1) != primera);
    }

    // Not when the window system or a message box hands the activation
    // back: only when another of the program's screens had it.
    void activate_runs_only_when_a_screen_takes_over() {
        VigilanteMensajes mensajes;
        QMessageBox::warning(app->Existente(IdPantalla::Datos1), "t", "m");
        QTest::qWait(20);
        QCOMPARE(registro, QStringList{"datos activada"});
        app->Mostrar(IdPantalla::AcercaDe);
        app->DarFoco(IdPantalla::Datos1);
        QCOMPARE(registro, (QStringList{"datos activada", "otra activada", "datos activada"}));
    }

    // Once ended, no handler runs: End runs no unload handler either.
    void ending_data() {
        QTest::addColumn<Cierre>("cierre");
        QTest::addColumn<QStringList>("manejadores");
        QTest::addColumn<QString>("informe"); // the last-resort report
        const auto fallar = [] { throw ErrorNumerado(NumeroError::DivisionEntreCero, 3); };
        QTest::newRow("End") << Cierre([](Pantalla& p) { p.App().Terminar(); })
                             << QStringList{"fin"} << "";
        QTest::newRow("closing the last screen")
            << Cierre(&QWidget::close) << QStringList{"datos descargada", "fin"} << "";
        QTest::newRow("untrapped failure") << Cierre([fallar](Pantalla& p) { p.Manejar(fallar); })
                                           << QStringList{"fin"} << "Error 11: División entre cero";
    }
    void ending() {
        QFETCH(Cierre, cierre);
        QFETCH(QStringList, manejadores);
        QFETCH(QString, informe);
        VigilanteMensajes mensajes;
        Pantalla* pantalla = app->Existente(IdPantalla::Datos1); // destroyed only later
        cierre(*pantalla);
        pantalla->Manejar([this] { registro << QStringLiteral("tarde"); });
        QCOMPARE(registro.mid(1), manejadores); // after its activation
        QCOMPARE(mensajes.vistos.join("").section("\n\n", 1), informe);
    }

    // SIGTERM and SIGHUP reach the event loop instead of ending the process.
    void ending_signals_data() {
        QTest::addColumn<int>("senal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void ending_signals() {
        QFETCH(int, senal);
        SenalesDeFin senales;
        QSignalSpy recibidas(&senales, &SenalesDeFin::Recibida);
        std::raise(senal);
        QTRY_COMPARE(recibidas.size(), 1);
        QCOMPARE(recibidas.at(0).at(0).toInt(), senal);
    }

    // A help document that is there but cannot be shown says why, instead
    // of opening a blank window.
    void help_document_problems() {
        QTemporaryDir carpeta;
        QFile vacia(carpeta.filePath("vacia.html"));
        QVERIFY(vacia.open(QIODevice::WriteOnly));
        vacia.close();
        QCOMPARE(VentanaAyuda::Problema(carpeta.path()), "es una carpeta");
        QCOMPARE(VentanaAyuda::Problema(vacia.fileName()), "está vacía");
        QVERIFY(VentanaAyuda::Problema(carpeta.filePath("no.html")).startsWith("no se puede leer"));
        QCOMPARE(VentanaAyuda::Problema(VentanaAyuda::Buscar()), "");
    }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
