#include "screens/data_entry/datos1.h"

#include "app/boton_grafico.h"
#include "grid/qt_grid.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>

namespace {

constexpr int kAnchoTwips = 7350;
constexpr int kAltoTwips = 6420;
constexpr int kLadoImagen = 24;

template <typename Control> Control* Colocar(Control* control, const char* nombre, QRect sitio) {
    control->setObjectName(QString::fromLatin1(nombre));
    control->setGeometry(sitio);
    return control;
}

} // namespace

Datos1::Datos1(Aplicacion& app) : Pantalla(app, IdPantalla::Datos1, kAnchoTwips, kAltoTwips) {
    setWindowTitle(QStringLiteral("Veltrana"));
    CrearControles();
}

void Datos1::CrearControles() {
    Label1 = Colocar(new QLabel(QStringLiteral("Número de ecuaciones"), this), "Label1",
                     Twips(240, 240, 1650, 195));
    Label1->adjustSize(); // sized to its text

    NumeroEcuaciones = Colocar(new QLineEdit(this), "NumeroEcuaciones", Twips(2160, 120, 1215, 375));
    NumeroEcuaciones->setToolTip(QStringLiteral("Introduzca el número de ecuaciones"));
    Label1->setBuddy(NumeroEcuaciones);

    Label2 = Colocar(new QLabel(QStringLiteral("Presione F1 para ver la ayuda"), this), "Label2",
                     Twips(240, 600, 4695, 255));

    OK1 = Colocar(new BotonGrafico(QStringLiteral("OK"), this), "OK1", Twips(5760, 120, 1455, 615));
    BotonCambio = Colocar(new BotonGrafico(QStringLiteral("&Cambiar Número de Ecuaciones"), this),
                          "BotonCambio", Twips(5760, 120, 1455, 615));
    BotonCambio->hide();

    ComandoVoz = Colocar(new BotonGrafico(QStringLiteral("Desactivar Voz"), this), "ComandoVoz",
                         Twips(5760, 2520, 1455, 855));
    ComandoVoz->SetPicture(QIcon(QStringLiteral(":/veltrana/voz_activa.png")), kLadoImagen);
    BotonAcerca = Colocar(new BotonGrafico(QStringLiteral("A&cerca de"), this), "BotonAcerca",
                          Twips(5760, 3480, 1455, 855));
    Resolver = Colocar(new BotonGrafico(QStringLiteral("&Resolver"), this), "Resolver",
                       Twips(5760, 4440, 1455, 855));
    Resolver->SetPicture(QIcon(QStringLiteral(":/veltrana/resolver.png")), kLadoImagen);
    BotonSalir = Colocar(new BotonGrafico(QStringLiteral("&Salir"), this), "BotonSalir",
                         Twips(5760, 5400, 1455, 855));

    Tabla = Colocar(new QtGrid(QStringLiteral("^ n |^A|^B|^C|^D;|1|2|3"), this), "Tabla",
                    Twips(120, 960, 5415, 5295));
    Tabla->setToolTip(QStringLiteral("Introduzca los datos de las ecuaciones"));

    // The tab order the screen was designed with: count box, voice, OK,
    // change count, grid, exit, solve, about.
    setTabOrder(NumeroEcuaciones, ComandoVoz);
    setTabOrder(ComandoVoz, OK1);
    setTabOrder(OK1, BotonCambio);
    setTabOrder(BotonCambio, Tabla);
    setTabOrder(Tabla, BotonSalir);
    setTabOrder(BotonSalir, Resolver);
    setTabOrder(Resolver, BotonAcerca);
}

void Datos1::Hablar(const QString&) {}
