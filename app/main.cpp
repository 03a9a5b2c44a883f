// Veltrana: solves tridiagonal linear systems, speaking its prompts aloud.

#include "app/aplicacion.h"
#include "app/lector_pantalla.h"
#include "app/linea_de_ordenes.h"
#include "app/modulo_principal.h"
#include "app/senales_de_fin.h"
#include "screens/about/acerca_de.h"
#include "screens/data_entry/datos1.h"
#include "screens/results/respuesta.h"
#include "screens/splash/portada.h"
#include "speech/motor_espeak.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#include <tuple>
#include <utility>

namespace {

// Every handler already reports its own failures; this catches what slips
// past them, so that no exception ever crosses Qt's event loop.
class AplicacionQt : public QApplication {
public:
    using QApplication::QApplication;

    void SetAplicacion(Aplicacion* app) { m_app = app; }

    bool notify(QObject* receptor, QEvent* evento) override {
        try {
            return QApplication::notify(receptor, evento);
        } catch (const std::exception& fallo) {
            if (m_app)
                m_app->InformeFinal(QString::fromLocal8Bit(fallo.what()));
        } catch (...) {
            if (m_app)
                m_app->InformeFinal(QStringLiteral("Error desconocido"));
        }
        return false;
    }

private:
    Aplicacion* m_app = nullptr;
};

// With no display to open, Qt gives up in English, advising to reinstall,
// and aborts. Said here in the program's language, with the way to solve
// without one, and the program ends with status 1. What Qt says while it
// tries is held back meanwhile, and passed on once a display is open.
QtMessageHandler registroDeQt = nullptr;
QList<std::tuple<QtMsgType, QString, QString>> retenidos; // type, category, text
void SinPantalla(QtMsgType tipo, const QMessageLogContext& contexto, const QString& texto) {
    if (tipo != QtFatalMsg || !texto.contains(QLatin1String("platform plugin"))) {
        retenidos.append({tipo, QString::fromUtf8(contexto.category), texto});
        return;
    }
    std::fputs("Veltrana no puede abrir sus ventanas: no hay ninguna pantalla gráfica a la "
               "que conectarse.\nPara resolver un sistema sin pantalla: veltrana --resolver "
               "ARCHIVO (vea veltrana --help).\n",
               stderr);
    std::_Exit(1);
}

void Transmitir() {
    qInstallMessageHandler(registroDeQt);
    for (const auto& [tipo, categoria, texto] : std::exchange(retenidos, {})) {
        const QByteArray nombre = categoria.toUtf8();
        registroDeQt(tipo, QMessageLogContext(nullptr, 0, nullptr, nombre.constData()), texto);
    }
}

// The splash screen only waits for a key or a click: nothing it shows needs
// the voice or the screen reader.
void RegistrarPantallas(Aplicacion& app, MotorVoz& voz, LectorPantalla& lector) {
    app.Registrar(IdPantalla::Datos1,
                  [&voz, &lector](Aplicacion& a) { return new Datos1(a, voz, &lector); });
    app.Registrar(IdPantalla::Respuesta, [](Aplicacion& a) { return new Respuesta(a); });
    app.Registrar(IdPantalla::AcercaDe, [](Aplicacion& a) { return new AcercaDe(a); });
}

} // namespace

int main(int argc, char** argv) {
    // A solve from a script, --help or --version: no window, no voice.
    const OrdenDelUsuario orden = AtenderLineaDeOrdenes(argc, argv);
    if (orden.codigoDeSalida)
        return *orden.codigoDeSalida;

    registroDeQt = qInstallMessageHandler(SinPantalla);
    AplicacionQt qt(argc, argv);
    Transmitir();
    QApplication::setApplicationName(QStringLiteral("Veltrana"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/veltrana/veltrana-32.png")));
    // The screens were laid out for a small sans-serif face; Liberation Sans
    // keeps Arial's metrics. Named as Arial's stand-in here, Qt takes it at
    // once instead of having fontconfig sort every face for the closest.
    QApplication::setFont(QFont(QStringLiteral("Liberation Sans"), 8));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    // Closing windows does not end the program by itself: the registry decides.
    QApplication::setQuitOnLastWindowClosed(false);

    Aplicacion aplicacion;
    qt.SetAplicacion(&aplicacion);
    QObject::connect(&aplicacion, &Aplicacion::terminada, &qt, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // The splash screen first, on the screen at once (the window system hears
    // of it as the pending events are sent): starting the voice and asking the
    // session bus about screen readers take longer than showing it.
    aplicacion.Registrar(IdPantalla::Portada, [](Aplicacion& a) { return new Portada(a); });
    aplicacion.Mostrar(IdPantalla::Portada);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    // One voice for the whole run: a phrase started by a screen that is then
    // closed (the results screen speaks through the data-entry screen just
    // before the solve closes it) plays to its end.
    MotorEspeak voz;
    // Followed for the whole run: a reader may start or stop at any time.
    LectorPantallaDBus lector;
    RegistrarPantallas(aplicacion, voz, lector);
    // Told to end (the session closing, a kill): what was typed is written to
    // the recovery copy first, and offered back at the next start.
    SenalesDeFin senales;
    QObject::connect(&senales, &SenalesDeFin::Recibida, &aplicacion, [&aplicacion] {
        if (Datos1Publico* datos = aplicacion.Datos1())
            datos->GuardarRescate();
        aplicacion.Terminar();
    });
    aplicacion.Modulo().ArchivoPorAbrir = orden.archivoInicial;
    aplicacion.Modulo().RutaDeRescate =
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
        QStringLiteral("/rescate.tsv");
    const int codigo = QApplication::exec();
    qt.SetAplicacion(nullptr);
    return codigo;
}
