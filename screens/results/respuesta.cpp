#include "screens/results/respuesta.h"

#include "app/aplicacion.h"
#include "app/archivos/sistema_csv.h"
#include "app/booleano.h"
#include "app/boton_grafico.h"
#include "app/conversiones/conversiones.h"
#include "app/dialogos_archivo.h"
#include "app/dos_mitades.h"
#include "grid/portapapeles.h"
#include "grid/qt_grid.h"
#include "solver/error_numerado.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QShortcut>
#include <cmath>

namespace {

constexpr int kAnchoTwips = 5415;
constexpr int kAltoTwips = 5130;
constexpr int kAnchoIncognitaTwips = 1000; // fits "Incógnita" and "x32766"
constexpr int kAnchoValorTwips = 2000;
constexpr int kDerecha = 7; // right-aligned, vertically centred

const QString kTitulo = QStringLiteral("Resolución del sistema tridiagonal");
const QString kTeclaGuardar = QStringLiteral("Control+S guarda la solución en un archivo.");

// Why the elimination without pivoting, the method of the Parts, was not
// enough; nothing when it was.
QString MotivoDelPivoteo(const InformeResolucion& informe) {
    if (informe.metodo == Metodo::SinPivoteo)
        return QString();
    if (informe.falloSinPivoteo)
        return QStringLiteral("Resuelto con pivoteo parcial: sin pivoteo, la eliminación se "
                              "detuvo en la ecuación %1 (%2). ")
            .arg(informe.ecuacionDelFallo)
            .arg(QString::fromUtf8(ErrorNumerado::TextoDe(*informe.falloSinPivoteo)));
    return QStringLiteral("Resuelto con pivoteo parcial: sin pivoteo, la eliminación daba "
                          "una respuesta que no cumplía las ecuaciones (error relativo %1). ")
        .arg(QLocale().toString(informe.errorSinPivoteo, 'E', 1));
}

// How far the unknowns can be trusted: the error bound, and the significant
// digits of the largest unknown it guarantees.
QString TextoExactitud(const InformeResolucion& informe) {
    const int cifras = informe.CifrasConfiables();
    const QString confiables =
        cifras == 0   ? QStringLiteral("ninguna cifra significativa confiable")
        : cifras == 1 ? QStringLiteral("1 cifra significativa confiable")
                      : QStringLiteral("%1 cifras significativas confiables").arg(cifras);
    return MotivoDelPivoteo(informe) +
           QStringLiteral("Exactitud: %1 (el error de cada incógnita es menor que %2 veces la "
                          "mayor en valor absoluto).")
               .arg(confiables, QLocale().toString(informe.cotaError, 'E', 1));
}

} // namespace

Respuesta::Respuesta(Aplicacion& app) : Pantalla(app, IdPantalla::Respuesta, kAnchoTwips, kAltoTwips) {
    setWindowTitle(QStringLiteral("Veltrana"));
    // What the screen says on opening, for a screen reader to say instead.
    setAccessibleDescription(kTitulo);

    Incognitas = new QtGrid(QStringLiteral("^Incógnita|^Valor"), this);
    Incognitas->setObjectName(QStringLiteral("Incognitas"));
    Incognitas->setGeometry(Twips(120, 240, 3135, 4695));
    Incognitas->SetColumnWidth(0, kAnchoIncognitaTwips);
    // Nothing reads the table back: typing into it would only mislead.
    Incognitas->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Incognitas->setAccessibleName(QStringLiteral("Incógnitas y sus valores"));
    Incognitas->setToolTip(kTeclaGuardar);

    Exactitud = new QLabel(this);
    Exactitud->setObjectName(QStringLiteral("Exactitud"));
    Exactitud->setGeometry(Twips(3480, 240, 1815, 2520));
    Exactitud->setWordWrap(true);
    Exactitud->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Command2 = new BotonGrafico(QStringLiteral("&Ingresar nuevos datos"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(Twips(3480, 2880, 1815, 975));
    Command2->SetPicture(QStringLiteral(":/veltrana/nuevos_datos.png"), 32);

    Command1 = new BotonGrafico(QStringLiteral("&Salir"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips(3480, 3960, 1815, 975));

    setTabOrder(Incognitas, Command1);
    setTabOrder(Command1, Command2);

    connect(Command1, &QPushButton::clicked, this, [this] { Manejar([this] { Command1_Click(); }); });
    connect(Command2, &QPushButton::clicked, this, [this] { Manejar([this] { Command2_Click(); }); });
    connect(Incognitas, &GridControl::CopyRequested, this, [this] { Manejar([this] { Incognitas_Copy(); }); });
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this,
            [this] { Manejar([this] { Guardar_Click(); }); });
}

void Respuesta::Form_Activate() {
    SetPuntero(Puntero::RelojDeArena);
    TerminarAlCerrar = kVerdadero;
    // Once a solve has closed the data-entry screen there is no voice to speak
    // with and no count to read: the table keeps the system it was filled with.
    if (Datos1Publico* datos = App().Datos1()) {
        Exactitud->setText(TextoExactitud(App().Modulo().Informe));
        const QString dicho = kTitulo + QStringLiteral(". ") + Exactitud->text();
        setAccessibleDescription(dicho + u' ' + kTeclaGuardar);
        datos->Hablar(dicho);
        Incognitas->SetColumnWidth(1, kAnchoValorTwips);
        Incognitas->SetRowCount(datos->n() + 1); // n is at most 32 767: no overflow
        LlenarIncognitas(datos->n());
    }
    SetPuntero(Puntero::Predeterminado);
}

void Respuesta::LlenarIncognitas(std::int32_t n) {
    const std::vector<double>& solucion = App().Modulo().Solucion;
    Incognitas->SetColumnText(0, 1, EnterosDesdeUno(n, u"x"));
    // Numbers line up by their last digit.
    const auto filas = std::min(std::size_t(std::max(n, 0)), solucion.size());
    Incognitas->SetColumnNumbers(
        1, 1, std::vector<double>(solucion.begin(), solucion.begin() + filas), kDerecha);
    // Keyboard and screen-reader users start reading at x1.
    Incognitas->SetCurrentRow(n > 0 ? 1 : 0);
    Incognitas->SetCurrentCol(0);
}

// The whole table, whatever cell is current: results are copied to be kept or
// worked on in a spreadsheet, which takes the header line as the names of its
// columns and the values, in the user's regional format, as numbers.
// The values are written out here, on two threads for the largest tables,
// rather than by the table, which would keep a text for every one.
void Respuesta::Incognitas_Copy() {
    const std::int32_t filas = Incognitas->RowCount();
    const QStringList nombres = Incognitas->BlockText(0, 0, filas, 1);
    const std::vector<double> valores = Incognitas->ColumnNumbers(1, 0, filas);
    std::vector<QString> celdas(2 * std::size_t(filas));
    const auto escribir = [&](qsizetype desde, qsizetype hasta) {
        const QLocale regional;
        for (auto i = std::size_t(desde); i < std::size_t(hasta); ++i) {
            celdas[2 * i] = nombres[qsizetype(i)];
            if (!std::isnan(valores[i]))
                celdas[2 * i + 1] = DobleATexto(valores[i], regional);
        }
    };
    constexpr qsizetype kFilasParaDosHilos = 4096;
    EnDosMitades(filas, kFilasParaDosHilos, escribir);
    for (std::int32_t i = 0; i < filas; ++i) // the header, and any cell that is text
        if (std::isnan(valores[std::size_t(i)]))
            celdas[2 * std::size_t(i) + 1] = Incognitas->BlockText(i, 1, 1, 1)[0];
    QGuiApplication::clipboard()->setText(EscribirTabulado(celdas, 2));
}

// Every unknown in full, as x,valor lines a spreadsheet or a script reads,
// and how far they can be trusted.
void Respuesta::Guardar_Click() {
    const QString ruta = PedirArchivoParaGuardar(this, QStringLiteral("Guardar solución"),
                                                 QStringLiteral("solucion.csv"));
    if (!ruta.isEmpty())
        GuardarYAvisar(this, ruta, EscribirSolucion(App().Modulo().Solucion, Exactitud->text()));
}

void Respuesta::Command1_Click() { App().Terminar(); }

void Respuesta::Command2_Click() {
    App().Mostrar(IdPantalla::Datos1);
    TerminarAlCerrar = kFalso;
    App().Descargar(IdPantalla::Respuesta);
}

void Respuesta::Form_Unload() {
    if (TerminarAlCerrar == kVerdadero)
        App().Terminar();
}
