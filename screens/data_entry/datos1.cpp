#include "screens/data_entry/datos1.h"

#include "app/accesibilidad.h"
#include "app/aplicacion.h"
#include "app/booleano.h"
#include "app/boton_grafico.h"
#include "app/conversiones/conversiones.h"
#include "app/lector_pantalla.h"
#include "app/modulo_principal.h"
#include "grid/qt_grid.h"
#include "solver/error_numerado.h"
#include "speech/motor_voz.h"

#include <QAccessible>
#include <QFile>
#include <QFocusEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <algorithm>

namespace {

constexpr int kAnchoTwips = 7350;
constexpr int kAltoTwips = 6420;
constexpr int kLadoImagen = 24;

constexpr int kPalabrasPorMinuto = 130;
constexpr int kVolumen = 150; // above the engine's normal 100, still below clipping

constexpr int kCodigoEnter = 13;

const QString kTituloValidacion = QStringLiteral("Error en Validación de Datos");
const QString kMayorQueTres = QStringLiteral("Introduzca un número mayor que tres");
const QString kTeclasDeArchivo =
    QStringLiteral("Control+O abre un sistema guardado en un archivo; Control+S lo guarda");

template <typename Control> Control* Colocar(Control* control, const char* nombre, QRect sitio) {
    control->setObjectName(QString::fromLatin1(nombre));
    control->setGeometry(sitio);
    return control;
}

} // namespace

Datos1::Datos1(Aplicacion& app, MotorVoz& voz, LectorPantalla* lector)
    : Pantalla(app, IdPantalla::Datos1, kAnchoTwips, kAltoTwips), Voz(voz), Lector(lector) {
    setWindowTitle(QStringLiteral("Veltrana"));
    CrearControles();
    // "A&cerca de" and "&Cambiar Número de Ecuaciones" share Alt+C.
    UnificarTeclasDeAcceso(*this);
    ConectarManejadores();
    PrepararArchivos();
    PrepararRescate();
    PrepararDeshacer();
}

// Closing the window takes the focus from a cell still being edited, which
// ends the edit: no handler may run on a screen half destroyed.
Datos1::~Datos1() {
    Tabla->disconnect(this);
}

void Datos1::CrearControles() {
    Label1 = Colocar(new QLabel(QStringLiteral("Número de ecuaciones"), this), "Label1",
                     Twips(240, 240, 1650, 195));
    Label1->adjustSize(); // sized to its text

    NumeroEcuaciones =
        Colocar(new QLineEdit(this), "NumeroEcuaciones", Twips(2160, 120, 1215, 375));
    NumeroEcuaciones->setToolTip(QStringLiteral("Introduzca el número de ecuaciones"));
    Label1->setBuddy(NumeroEcuaciones);

    Label2 = Colocar(new QLabel(QStringLiteral("Presione F1 para ver la ayuda"), this), "Label2",
                     Twips(240, 600, 4695, 255));
    // A reader speaks a window's description as it opens, and no label; the
    // keys for files have no button to show them, so both say them.
    setAccessibleDescription(Label2->text() + QStringLiteral(". ") + kTeclasDeArchivo);
    setToolTip(kTeclasDeArchivo);

    OK1 = Colocar(new BotonGrafico(QStringLiteral("OK"), this), "OK1", Twips(5760, 120, 1455, 615));
    BotonCambio = Colocar(new BotonGrafico(QStringLiteral("&Cambiar Número de Ecuaciones"), this),
                          "BotonCambio", Twips(5760, 120, 1455, 615));
    BotonCambio->hide();

    ComandoVoz = Colocar(new BotonGrafico(QStringLiteral("Desactivar Voz"), this), "ComandoVoz",
                         Twips(5760, 2520, 1455, 855));
    BotonAcerca = Colocar(new BotonGrafico(QStringLiteral("A&cerca de"), this), "BotonAcerca",
                          Twips(5760, 3480, 1455, 855));
    Resolver = Colocar(new BotonGrafico(QStringLiteral("&Resolver"), this), "Resolver",
                       Twips(5760, 4440, 1455, 855));
    Resolver->SetPicture(QStringLiteral(":/veltrana/resolver.png"), kLadoImagen);
    BotonSalir = Colocar(new BotonGrafico(QStringLiteral("&Salir"), this), "BotonSalir",
                         Twips(5760, 5400, 1455, 855));

    Tabla = Colocar(new QtGrid(QStringLiteral("^ n |^A|^B|^C|^D;|1|2|3"), this), "Tabla",
                    Twips(120, 960, 5415, 5295));
    Tabla->setToolTip(QStringLiteral("Introduzca los datos de las ecuaciones"));
    // A table's accessible description does not fall back on its tooltip.
    Tabla->setAccessibleName(QStringLiteral("Coeficientes de las ecuaciones"));
    Tabla->setAccessibleDescription(Tabla->toolTip());
    Tabla->SetLargestPaste(kMayorPegado);

    // The tab order the screen was designed with: count box, voice, OK,
    // change count, grid, exit, solve, about.
    setTabOrder(NumeroEcuaciones, ComandoVoz);
    setTabOrder(ComandoVoz, OK1);
    setTabOrder(OK1, BotonCambio);
    setTabOrder(BotonCambio, Tabla);
    setTabOrder(Tabla, BotonSalir);
    setTabOrder(BotonSalir, Resolver);
    setTabOrder(Resolver, BotonAcerca);

    MostrarVoz(true); // the design-time caption
}

void Datos1::ConectarManejadores() {
    const auto alPulsar = [this](QPushButton* boton, void (Datos1::*manejador)()) {
        connect(boton, &QPushButton::clicked, this,
                [this, manejador] { Manejar([this, manejador] { (this->*manejador)(); }); });
    };
    alPulsar(OK1, &Datos1::OK1_Click);
    alPulsar(BotonCambio, &Datos1::BotonCambio_Click);
    alPulsar(ComandoVoz, &Datos1::ComandoVoz_Click);
    alPulsar(BotonAcerca, &Datos1::BotonAcerca_Click);
    alPulsar(BotonSalir, &Datos1::BotonSalir_Click);
    alPulsar(Resolver, &Datos1::Resolver_Click);
    connect(Tabla, &GridControl::CellEdited, this,
            [this](int row, int col) { Manejar([=, this] { Tabla_CellEdited(row, col); }); });
    connect(Tabla, &GridControl::PasteRequested, this,
            [this](const QString& texto) { Manejar([&, this] { Tabla_Paste(texto); }); });
    connect(Tabla, &GridControl::PasteFailed, this, [this](ClipboardReader::Problem problema) {
        Manejar([=, this] { Tabla_PasteFailed(problema); });
    });
    NumeroEcuaciones->installEventFilter(this);
    if (Lector)
        connect(Lector, &LectorPantalla::ActivoCambiado, this,
                [this](bool activo) { Manejar([=, this] { Lector_ActivoCambiado(activo); }); });
}

bool Datos1::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto != NumeroEcuaciones)
        return Pantalla::eventFilter(objeto, evento);
    if (evento->type() == QEvent::FocusIn) {
        // A message box, the help or another program handing the focus back
        // is not a new arrival; the program sending it here is.
        const Qt::FocusReason razon = static_cast<QFocusEvent*>(evento)->reason();
        const bool devuelto = razon == Qt::ActiveWindowFocusReason || razon == Qt::PopupFocusReason;
        if (!devuelto || m_focoPedido) {
            m_focoPedido = false;
            Manejar([this] { NumeroEcuaciones_GotFocus(); });
        }
    } else if (evento->type() == QEvent::KeyPress) {
        const auto* tecla = static_cast<QKeyEvent*>(evento);
        if (tecla->key() == Qt::Key_Return || tecla->key() == Qt::Key_Enter)
            Manejar([this] { NumeroEcuaciones_KeyPress(kCodigoEnter); });
    }
    return false; // the key goes on to the box unchanged
}

// Every time the screen becomes the active one: count entry, voice on.
void Datos1::Form_Activate() {
    SetPuntero(Puntero::Predeterminado);
    Tabla->SetColumnWidth(0, 600);
    for (int columna = 1; columna <= 4; ++columna)
        Tabla->SetColumnWidth(columna, 1100);
    VozActiva = kVerdadero;
    MostrarVoz(true);
    EstadoCuenta();
    m_focoPedido = true;
    NumeroEcuaciones->setFocus(Qt::OtherFocusReason);
    if (!std::exchange(App().Modulo().RescateOfrecido, true) && !RutaDeRescate().isEmpty() &&
        QFile::exists(RutaDeRescate()))
        QMetaObject::invokeMethod(
            this, [this] { Manejar([this] { OfrecerRescate(); }); }, Qt::QueuedConnection);
    if (QString& ruta = App().Modulo().ArchivoPorAbrir; !ruta.isEmpty())
        QMetaObject::invokeMethod(
            this,
            [this, ruta = std::exchange(ruta, QString())] { Manejar([&] { AbrirSistema(ruta); }); },
            Qt::QueuedConnection);
}

void Datos1::EstadoCuenta() {
    Tabla->setEnabled(false);
    NumeroEcuaciones->setEnabled(true);
    Resolver->hide();
    OK1->show();
    BotonCambio->hide();
}

void Datos1::EnfocarNumeroEcuaciones() {
    if (focusWidget() != NumeroEcuaciones)
        m_focoPedido = true;
    NumeroEcuaciones->setFocus(Qt::OtherFocusReason);
    if (QString& ruta = App().Modulo().ArchivoPorAbrir; !ruta.isEmpty())
        QMetaObject::invokeMethod(
            this,
            [this, ruta = std::exchange(ruta, QString())] { Manejar([&] { AbrirSistema(ruta); }); },
            Qt::QueuedConnection);
}

void Datos1::NumeroEcuaciones_GotFocus() {
    Hablar(NumeroEcuaciones->toolTip());
    OK1->show();
}

void Datos1::NumeroEcuaciones_KeyPress(int codigo) {
    if (codigo == kCodigoEnter)
        OK1_Click();
}

void Datos1::OK1_Click() {
    // Whatever goes wrong while confirming (not a number, out of range, a size
    // the grid refuses) is, to the user, a count that is not valid.
    try {
        ConfirmarCuenta();
    } catch (const ErrorNumerado&) {
        MensajeError(kMayorQueTres);
        EnfocarNumeroEcuaciones();
    }
}

void Datos1::ConfirmarCuenta() {
    const std::int16_t cuenta = TextoAEntero16(NumeroEcuaciones->text(), QLocale());
    if (cuenta == 32767) // one more row would not fit
        throw ErrorNumerado(NumeroError::Desbordamiento);
    // Checked before the grid is resized: a refused count must not cost the
    // rows already typed.
    if (cuenta < 4) {
        MensajeError(kMayorQueTres);
        EnfocarNumeroEcuaciones();
        return;
    }
    // Fewer equations than the grid has rows: the rows that go can be taken back.
    const std::int32_t antes = Tabla->RowCount() - 1;
    const bool menos = cuenta < antes;
    std::vector<Tramo> quitadas;
    if (menos)
        quitadas.push_back(TramoAntes(cuenta + 1, 0, antes - cuenta, 5));
    Tabla->SetRowCount(cuenta + 1);
    Hablar(QStringLiteral("Introduzca los datos de las ecuaciones"));
    NumeroEcuaciones->setEnabled(false);
    OK1->hide();
    BotonCambio->show();

    Tabla->SetColumnText(0, 1, EnterosDesdeUno(cuenta));
    Tabla->setEnabled(true);
    Resolver->show();
    Tabla->SetCurrentRow(1);
    Tabla->SetCurrentCol(1);
    Tabla->setFocus(Qt::OtherFocusReason);
    DatosCambiados();
    if (menos)
        Recordar(QStringLiteral("número de ecuaciones %1").arg(cuenta), std::move(quitadas),
                 std::pair{antes, std::int32_t(cuenta)});
}

void Datos1::BotonCambio_Click() {
    Tabla->setEnabled(false);
    NumeroEcuaciones->setEnabled(true);
    BotonCambio->hide();
    Resolver->hide();
    EnfocarNumeroEcuaciones();
}

void Datos1::BotonAcerca_Click() {
    if (App().Registrada(IdPantalla::AcercaDe))
        App().Mostrar(IdPantalla::AcercaDe);
}

void Datos1::BotonSalir_Click() {
    if (PuedeTerminar())
        App().Terminar();
}

void Datos1::MensajeError(const QString& texto) {
    Hablar(texto);
    QMessageBox mensaje(QMessageBox::Warning, kTituloValidacion, texto, QMessageBox::Ok, this);
    mensaje.exec();
}

// Each finished cell must hold a number, rewritten in its normal form; a cell
// that does not is marked and put back into editing for correction.
void Datos1::Tabla_CellEdited(int row, int col) {
    const std::int32_t filaActual = Tabla->CurrentRow();
    const std::int32_t columnaActual = Tabla->CurrentCol();
    Tramo tramo{CellBlock(row, col, Tabla->CellBeforeEdit()), {}};
    const bool valida = ComprobarCelda(row, col);
    tramo.despues = Tabla->KeepBlock(row, col, 1, 1, kAlineacionDerecha);
    Recordar(QStringLiteral("celda %1%2").arg(QChar(u'A' + col - 1)).arg(row), std::move(tramo));
    if (valida) {
        Tabla->SetCurrentRow(filaActual);
        Tabla->SetCurrentCol(columnaActual);
    } else {
        Tabla->ReopenEdit();
    }
    DatosCambiados();
}

// The one check of a cell's entry, typed or pasted; the cell is left as the
// current cell. One that is not a number keeps its text, so the user sees
// what to correct.
bool Datos1::ComprobarCelda(std::int32_t fila, std::int32_t columna) {
    Tabla->SetCurrentRow(fila);
    Tabla->SetCurrentCol(columna);
    const GridCell celda = CeldaComprobada(Tabla->CellText(), Reglas());
    Tabla->SetBlock(fila, columna, 1, {celda});
    return celda.note->isEmpty();
}

// A cell as the check leaves it: a number, shown in the program's form,
// right-aligned, in the normal colours; anything else as it was typed,
// marked, with the reason for screen readers.
GridCell Datos1::CeldaComprobada(QStringView texto, const ReglasDeCelda& reglas) {
    try {
        return {
            {}, reglas.normal, kAlineacionDerecha, QString(), TextoADoble(texto, reglas.regional)};
    } catch (const ErrorNumerado& error) {
        return {texto.toString(), reglas.marcada, {}, MotivoDelRechazo(error), {}};
    }
}

// Heard by screen-reader users, who do not see the cell marked: the program
// itself says nothing of a refused cell.
QString Datos1::MotivoDelRechazo(const ErrorNumerado& error) {
    if (error.numero() == NumeroError::Desbordamiento)
        return QStringLiteral("Valor no válido: el número es demasiado grande.");
    const QLocale regional;
    return QStringLiteral("Valor no válido: no es un número. Los decimales se escriben con %1, "
                          "por ejemplo %2.")
        .arg(regional.decimalPoint() == QStringLiteral(",") ? QStringLiteral("coma")
                                                            : QStringLiteral("punto"),
             DobleATexto(2.5, regional));
}

// While a screen reader is on, the program keeps quiet: the reader already
// speaks every prompt, since each one is also the focused control's name or
// description, a message box's text or a window's name or description.
void Datos1::Hablar(const QString& texto) {
    if (VozActiva != kVerdadero || LectorActivo())
        return;
    Voz.StopSpeech();
    Voz.SetSpeakingRate(kPalabrasPorMinuto);
    Voz.SetVolume(kVolumen);
    Voz.Speak(texto);
}

void Datos1::ComandoVoz_Click() {
    if (VozActiva == kVerdadero) {
        VozActiva = kFalso;
        Voz.StopSpeech();
        MostrarVoz(false);
    } else {
        VozActiva = kVerdadero;
        MostrarVoz(true);
    }
}

// The caption names what a click will do; the tooltip says when nothing can
// be heard anyway.
void Datos1::MostrarVoz(bool activa) {
    ComandoVoz->setText(activa ? QStringLiteral("Desactivar Voz") : QStringLiteral("Activar Voz"));
    ComandoVoz->SetPicture(activa ? QStringLiteral(":/veltrana/voz_activa.png")
                                  : QStringLiteral(":/veltrana/voz_inactiva.png"),
                           kLadoImagen);
    ComandoVoz->setToolTip(MotivoDeSilencio());
}

bool Datos1::LectorActivo() const {
    return Lector && Lector->Activo();
}

// The switch keeps the user's choice while a screen reader is on, so the
// voice comes back as it was when the reader goes.
QString Datos1::MotivoDeSilencio() const {
    if (LectorActivo())
        return QStringLiteral(
            "Un lector de pantalla está activo: Veltrana no habla para no superponerse");
    return Voz.Available() ? QString() : Voz.UnavailableReason();
}

// A phrase under way when a reader starts is cut short at once.
void Datos1::Lector_ActivoCambiado(bool activo) {
    if (activo && VozActiva == kVerdadero)
        Voz.StopSpeech();
    ComandoVoz->setToolTip(MotivoDeSilencio());
    // The tooltip is the button's accessible description.
    QAccessibleEvent cambio(ComandoVoz, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&cambio);
}
