#include "app/pantalla.h"

#include "app/accesibilidad.h"
#include "app/aplicacion.h"
#include "solver/error_numerado.h"

#include <QCloseEvent>
#include <QShortcut>

#include <exception>

namespace {

QString DescribirFallo(std::exception_ptr fallo) {
    try {
        std::rethrow_exception(fallo);
    } catch (const ErrorNumerado& error) {
        return QStringLiteral("Error %1: %2").arg(error.valor()).arg(QString::fromUtf8(error.texto()));
    } catch (const std::exception& error) {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        return QStringLiteral("Error desconocido");
    }
}

} // namespace

Pantalla::Pantalla(Aplicacion& app, IdPantalla id, int anchoTwips, int altoTwips)
    : m_app(app), m_id(id) {
    PresentarPantallasComoVentanas();
    // Fixed border: no resizing, no minimize or maximize button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Pixeles(anchoTwips), Pixeles(altoTwips));

    auto* ayuda = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(ayuda, &QShortcut::activated, this, [this] { Manejar([this] { m_app.MostrarAyuda(this); }); });
}

QRect Pantalla::Twips(int left, int top, int width, int height) {
    return {Pixeles(left), Pixeles(top), Pixeles(width), Pixeles(height)};
}

void Pantalla::SetPuntero(Puntero puntero) {
    m_puntero = puntero;
    if (puntero == Puntero::RelojDeArena)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

bool Pantalla::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        m_app.Activada(*this);
    return QWidget::event(e);
}

void Pantalla::closeEvent(QCloseEvent* e) {
    // The registry hides and destroys the screen itself, after its unload
    // handler has had its say.
    e->ignore();
    Manejar([this] { m_app.Descargar(m_id); });
}

bool Pantalla::Terminada() const { return m_app.Terminada(); }

void Pantalla::InformarFalloNoAtrapado() { m_app.InformeFinal(DescribirFallo(std::current_exception())); }
