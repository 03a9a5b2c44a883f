// The screen registry and the program's life: screens built on first use and
// fresh after unload, activation only when a screen takes over, End, the
// last-resort report.

#include "app/aplicacion.h"
#include "app/ayuda.h"
#include "solver/error_numerado.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

struct Contadores {
    int activaciones = 0;
    int descargas = 0;
};

class PantallaDePrueba : public Pantalla {
public:
    PantallaDePrueba(Aplicacion& app, IdPantalla id, Contadores& contadores)
        : Pantalla(app, id, 3000, 1500), m_contadores(contadores), caja(new QLineEdit(this)) {
        caja->setText(QStringLiteral("diseño"));
    }
    void Form_Activate() override { ++m_contadores.activaciones; }
    void Form_Unload() override { ++m_contadores.descargas; }

    Contadores& m_contadores;
    QLineEdit* caja;
};

// Reads and dismisses the next modal message box, so no test hangs on one.
void CerrarProximoMensaje(QString& texto) {
    QTimer::singleShot(0, [&texto] {
        if (auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texto = caja->text();
            caja->accept();
        }
    });
}

} // namespace

class TestShell : public QObject {
    Q_OBJECT

    Contadores datos, otra;
    std::unique_ptr<Aplicacion> app;

    PantallaDePrueba& Datos() { return static_cast<PantallaDePrueba&>(app->Obtener(IdPantalla::Datos1)); }

private slots:
    void init() {
        datos = otra = {};
        app = std::make_unique<Aplicacion>();
        app->Registrar(IdPantalla::Datos1,
                       [this](Aplicacion& a) { return new PantallaDePrueba(a, IdPantalla::Datos1, datos); });
        app->Registrar(IdPantalla::AcercaDe,
                       [this](Aplicacion& a) { return new PantallaDePrueba(a, IdPantalla::AcercaDe, otra); });
    }
    void cleanup() { app.reset(); }

    void screen_is_built_once_and_fresh_after_unload() {
        QVERIFY(!app->Existente(IdPantalla::Datos1));
        app->Mostrar(IdPantalla::Datos1);
        app->Mostrar(IdPantalla::AcercaDe); // keeps the program alive
        PantallaDePrueba* primera = &Datos();
        QCOMPARE(&Datos(), primera);
        primera->caja->setText(QStringLiteral("escrito"));

        app->Descargar(IdPantalla::Datos1);
        QCOMPARE(datos.descargas, 1);
        QVERIFY(!app->Existente(IdPantalla::Datos1));
        QCOMPARE(Datos().caja->text(), QStringLiteral("diseño"));
        QVERIFY(!app->Terminada());
    }

    void activate_runs_only_when_a_screen_takes_over() {
        app->Mostrar(IdPantalla::Datos1);
        QCOMPARE(datos.activaciones, 1);
        QTest::qWait(20);
        QCOMPARE(datos.activaciones, 1); // the window system's own notice adds nothing

        QString mensaje;
        CerrarProximoMensaje(mensaje);
        QMessageBox::warning(&Datos(), QStringLiteral("t"), QStringLiteral("m"));
        QTest::qWait(20);
        QCOMPARE(datos.activaciones, 1);

        app->Mostrar(IdPantalla::AcercaDe);
        app->DarFoco(IdPantalla::Datos1);
        QCOMPARE(otra.activaciones, 1);
        QCOMPARE(datos.activaciones, 2);
    }

    void end_runs_no_unload_handler_and_no_later_handler() {
        QSignalSpy fin(app.get(), &Aplicacion::terminada);
        app->Mostrar(IdPantalla::Datos1);
        app->Mostrar(IdPantalla::AcercaDe);
        bool corrio = false;
        app->Terminar();
        Datos().Manejar([&corrio] { corrio = true; });
        QCOMPARE(fin.count(), 1);
        QCOMPARE(datos.descargas + otra.descargas, 0);
        QVERIFY(!corrio);
    }

    void closing_the_last_open_screen_ends_the_program() {
        QSignalSpy fin(app.get(), &Aplicacion::terminada);
        app->Mostrar(IdPantalla::Datos1);
        app->Mostrar(IdPantalla::AcercaDe);
        app->Existente(IdPantalla::AcercaDe)->close();
        QCOMPARE(otra.descargas, 1);
        QCOMPARE(fin.count(), 0);
        Datos().close();
        QCOMPARE(datos.descargas, 1);
        QCOMPARE(fin.count(), 1);
    }

    void untrapped_failure_is_reported_then_ends() {
        QSignalSpy fin(app.get(), &Aplicacion::terminada);
        app->Mostrar(IdPantalla::Datos1);
        QString informe;
        CerrarProximoMensaje(informe);
        Datos().Manejar([] { throw ErrorNumerado(NumeroError::DivisionEntreCero, 3); });
        QVERIFY2(informe.contains(QStringLiteral("Error 11: División entre cero")), qPrintable(informe));
        QCOMPARE(fin.count(), 1);
    }

    void f1_opens_the_help_beside_the_program() {
        app->Mostrar(IdPantalla::Datos1);
        QVERIFY(QTest::qWaitForWindowActive(&Datos()));
        QTest::keyClick(&Datos(), Qt::Key_F1);
        VentanaAyuda* ayuda = nullptr;
        for (QWidget* ventana : QApplication::topLevelWidgets())
            if (auto* v = qobject_cast<VentanaAyuda*>(ventana); v && v->isVisible())
                ayuda = v;
        QVERIFY(ayuda);
        QVERIFY(ayuda->toPlainText().contains(QStringLiteral("tridiagonal")));
    }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
