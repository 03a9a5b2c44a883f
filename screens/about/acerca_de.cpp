#include "screens/about/acerca_de.h"

#include "app/aplicacion.h"
#include "app/etiqueta.h"

#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>

namespace {

constexpr int kAnchoTwips = 5595;
constexpr int kAltoTwips = 3225;
const QString kFuente = QStringLiteral("MS Sans Serif");

} // namespace

AcercaDe::AcercaDe(Aplicacion& app) : Pantalla(app, IdPantalla::AcercaDe, kAnchoTwips, kAltoTwips) {
    setWindowTitle(QStringLiteral("Acerca de Veltrana"));
    // What the box says on opening, for a screen reader to say instead.
    setAccessibleDescription(QStringLiteral("Veltrana. Autor: Tarquino."));

    auto* Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(Twips(120, 240, 720, 720));
    Image1->setPixmap(QIcon(QStringLiteral(":/veltrana/veltrana-48.png")).pixmap(Image1->size()));
    Image1->setScaledContents(true);

    auto* Label1 = CrearEtiqueta(this, "Label1", QStringLiteral("Veltrana"),
                                 Twips(1080, 240, 4335, 975), Letra(kFuente, 18, true));
    Label1->setWordWrap(true);

    // Labels sized to their text keep their left edge.
    const auto ajustada = [](QLabel* etiqueta) { etiqueta->adjustSize(); };
    ajustada(CrearEtiqueta(this, "Label2_0", QStringLiteral("por: Tarquino"),
                           Twips(1080, 1200, 2925, 300), Letra(kFuente, 12)));
    ajustada(CrearEtiqueta(this, "Label2_3", QStringLiteral("Julio de 2000. Valparaíso, Chile"),
                           Twips(1080, 1680, 3600, 240), Letra(kFuente, 9.75)));
    ajustada(CrearEtiqueta(this, "Label2_1", QStringLiteral("e-mail: tarquino@example.org"),
                           Twips(1080, 2040, 2520, 240), Letra(kFuente, 9.75)));
    ajustada(CrearEtiqueta(this, "Label2_2", QStringLiteral("https://www.example.org/veltrana"),
                           Twips(1080, 2280, 3240, 240), Letra(kFuente, 9.75)));

    Command1 = new QPushButton(QStringLiteral("Aceptar"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips(2160, 2760, 1215, 375));
    Command1->setAutoDefault(false); // neither the default nor the cancel button
    Command1->setFocus();
    connect(Command1, &QPushButton::clicked, this,
            [this] { Manejar([this] { Command1_Click(); }); });
    // Escape leaves a box as it leaves any dialog; the button itself stays
    // neither the default nor the cancel button.
    auto* salir = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(salir, &QShortcut::activated, this, [this] { Manejar([this] { Command1_Click(); }); });
}

// Once a solve has closed the data-entry screen there is no voice to speak
// with: the box then opens silently.
void AcercaDe::Form_Activate() {
    if (Datos1Publico* datos = App().Datos1())
        datos->Hablar(QStringLiteral("Veltrana. Autor: Tarquino."));
}

// Back to the data-entry screen, if it is still there; never a new one.
void AcercaDe::Command1_Click() {
    if (App().Datos1())
        App().DarFoco(IdPantalla::Datos1);
    App().Descargar(IdPantalla::AcercaDe);
}

void AcercaDe::focusOutEvent(QFocusEvent* e) {
    Pantalla::focusOutEvent(e);
    Manejar([this] { Form_LostFocus(); });
}

// Only when the box itself, not its button, held the focus.
void AcercaDe::Form_LostFocus() {
    App().Descargar(IdPantalla::AcercaDe);
}
