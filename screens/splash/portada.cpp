#include "screens/splash/portada.h"

#include "app/aplicacion.h"
#include "app/etiqueta.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

namespace {

constexpr int kAnchoTwips = 8490;
constexpr int kAltoTwips = 3975;
const QString kFuente = QStringLiteral("Arial");

// A label sized to its text that keeps its right edge, as right-aligned
// captions do when their text changes length.
void AjustarDesdeLaDerecha(QLabel* etiqueta) {
    const int derecha = etiqueta->geometry().right();
    etiqueta->adjustSize();
    etiqueta->move(derecha - etiqueta->width() + 1, etiqueta->y());
}

bool EsClic(const QMouseEvent* e, const QWidget* sobre) {
    return e->button() == Qt::LeftButton && sobre->rect().contains(e->position().toPoint());
}

} // namespace

Portada::Portada(Aplicacion& app) : Pantalla(app, IdPantalla::Portada, kAnchoTwips, kAltoTwips) {
    // No title: on X11 an empty title would show the program's name in the
    // title bar, so the splash screen has no title bar at all.
    setWindowTitle(QString());
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    // The window has no title: a screen reader names it and reads its
    // invitation from these.
    setAccessibleName(QStringLiteral("Veltrana"));
    setAccessibleDescription(QStringLiteral("Pulse una tecla para continuar"));
    setFocusPolicy(Qt::StrongFocus); // nothing on it takes the focus: keys come here

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    Frame1->setFrameShadow(QFrame::Sunken);
    Frame1->setGeometry(Twips(150, 60, 8145, 3795));
    Frame1->installEventFilter(this);

    auto* imgLogo = new QLabel(Frame1);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setPixmap(QPixmap(QStringLiteral(":/veltrana/logo.png")));
    imgLogo->setGeometry(Twips(240, 360, 3240, 2190));

    auto* nombre = CrearEtiqueta(Frame1, "lblProductName", QStringLiteral("Veltrana"),
                                 Twips(3720, 240, 4215, 2325), Letra(kFuente, 32.25, true));
    nombre->setWordWrap(true);
    nombre->setFixedHeight(nombre->heightForWidth(nombre->width())); // follows the text
    AjustarDesdeLaDerecha(CrearEtiqueta(Frame1, "lblPlatform", QStringLiteral("Para Win32"),
                                        Twips(6120, 2520, 1725, 360), Letra(kFuente, 15.75, true),
                                        Qt::AlignRight));
    CrearEtiqueta(Frame1, "lblWarning_0", QStringLiteral("Diseño y Programación: Tarquino"),
                  Twips(240, 2760, 3975, 195), Letra(kFuente, 8.25, true));
    AjustarDesdeLaDerecha(CrearEtiqueta(Frame1, "lblVersion", QStringLiteral("Versión 1.00"),
                                        Twips(6120, 2880, 1410, 285), Letra(kFuente, 12, true),
                                        Qt::AlignRight));
    CrearEtiqueta(Frame1, "lblWarning_1", QStringLiteral("Valparaíso, Chile. Julio de 2000."),
                  Twips(240, 3000, 3495, 195), Letra(kFuente, 8.25));
    CrearEtiqueta(Frame1, "lblCopyright", QStringLiteral("Pulse una tecla para continuar"),
                  Twips(120, 3360, 7935, 255), Letra(kFuente, 8.25), Qt::AlignHCenter);

    // Labels and the logo keep their clicks: only the margin and the free
    // parts of the frame hand over.
    for (QLabel* estatica : Frame1->findChildren<QLabel*>())
        estatica->installEventFilter(this);
}

bool Portada::eventFilter(QObject* objeto, QEvent* evento) {
    const bool raton = evento->type() == QEvent::MouseButtonPress ||
                       evento->type() == QEvent::MouseButtonRelease ||
                       evento->type() == QEvent::MouseButtonDblClick;
    if (!raton)
        return Pantalla::eventFilter(objeto, evento);
    if (objeto == Frame1 && evento->type() == QEvent::MouseButtonRelease &&
        EsClic(static_cast<QMouseEvent*>(evento), Frame1))
        Manejar([this] { Frame1_Click(); });
    return true;
}

void Portada::keyPressEvent(QKeyEvent* e) {
    // Keys that type nothing (arrows, function keys, modifiers alone) do not count.
    if (e->text().isEmpty())
        return Pantalla::keyPressEvent(e);
    const int codigo = e->text().at(0).unicode();
    Manejar([this, codigo] { Form_KeyPress(codigo); });
}

void Portada::mouseReleaseEvent(QMouseEvent* e) {
    if (EsClic(e, this))
        Manejar([this] { Form_Click(); });
}

void Portada::Form_Click() {
    Continuar();
}
void Portada::Form_KeyPress(int) {
    Continuar();
}
void Portada::Frame1_Click() {
    Continuar();
}

// The data-entry screen opens before this one goes, so the program always
// has an open screen. A second key already on its way finds nothing to do.
void Portada::Continuar() {
    if (App().Existente(IdPantalla::Portada) != this)
        return;
    App().Mostrar(IdPantalla::Datos1);
    App().Descargar(IdPantalla::Portada);
}
