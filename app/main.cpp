// Veltrana: solves tridiagonal linear systems, speaking its prompts aloud.

#include "app/aplicacion.h"
#include "screens/data_entry/datos1.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

namespace {

// Every handler already reports its own failures; this catches what slips
// past them, so that no exception ever crosses Qt's event loop.
class AplicacionQt : public QApplication {
public:
    AplicacionQt(int& argc, char** argv, Aplicacion*& app) : QApplication(argc, argv), m_app(app) {}

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
    Aplicacion*& m_app;
};

void RegistrarPantallas(Aplicacion& app) {
    app.Registrar(IdPantalla::Datos1, [](Aplicacion& a) { return new Datos1(a); });
}

} // namespace

int main(int argc, char** argv) {
    Aplicacion* app = nullptr;
    AplicacionQt qt(argc, argv, app);
    QApplication::setApplicationName(QStringLiteral("Veltrana"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/veltrana/veltrana-32.png")));
    // The screens were laid out for a small sans-serif face; Liberation Sans
    // keeps Arial's metrics.
    QApplication::setFont(QFont(QStringLiteral("Liberation Sans"), 8));
    // Closing windows does not end the program by itself: the registry decides.
    QApplication::setQuitOnLastWindowClosed(false);

    Aplicacion aplicacion;
    app = &aplicacion;
    QObject::connect(&aplicacion, &Aplicacion::terminada, &qt, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    RegistrarPantallas(aplicacion);
    aplicacion.Mostrar(IdPantalla::Datos1);
    const int codigo = QApplication::exec();
    app = nullptr;
    return codigo;
}
