// Systems kept in files: opened with Ctrl+O, by dropping a file on the window
// or from the command line, and saved with Ctrl+S.

#include "app/aplicacion.h"
#include "app/archivos/sistema_csv.h"
#include "app/conversiones/conversiones.h"
#include "app/dialogos_archivo.h"
#include "grid/grid_control.h"
#include "screens/data_entry/datos1.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QShortcut>

namespace {

constexpr std::int32_t kMaxEcuaciones = 32766;
// A line of four numbers as any program writes them is well under 200 bytes;
// a file too big for 32 766 of them is refused before it is read.
constexpr std::int64_t kMaxBytes = std::int64_t(kMaxEcuaciones) * 200;
constexpr int kColumnas = 4;

// The one local file of a drop, when it looks like a system; empty otherwise.
QString ArchivoSoltado(const QMimeData* datos) {
    if (!datos->hasUrls() || datos->urls().size() != 1 || !datos->urls().front().isLocalFile())
        return {};
    const QString ruta = datos->urls().front().toLocalFile();
    const QString tipo = QFileInfo(ruta).suffix().toLower();
    const bool texto = tipo == u"csv" || tipo == u"tsv" || tipo == u"txt";
    return texto ? ruta : QString();
}

} // namespace

void Datos1::PrepararArchivos() {
    setAcceptDrops(true);
    const auto atajo = [this](QKeySequence::StandardKey tecla, void (Datos1::*manejador)()) {
        connect(new QShortcut(tecla, this), &QShortcut::activated, this,
                [this, manejador] { Manejar([this, manejador] { (this->*manejador)(); }); });
    };
    atajo(QKeySequence::Open, &Datos1::Abrir_Click);
    atajo(QKeySequence::Save, &Datos1::Guardar_Click);
}

void Datos1::Abrir_Click() {
    if (const QString ruta = PedirArchivoParaAbrir(this); !ruta.isEmpty())
        AbrirSistema(ruta);
}

// In any state of the screen: the file's equations become the count and the
// grid, ready to solve. A file that cannot be read changes nothing.
void Datos1::AbrirSistema(const QString& ruta) {
    const QString nombre = QFileInfo(ruta).fileName();
    SistemaLeido sistema;
    try {
        // A named pipe or a device could keep the program waiting for ever.
        if (const QFileInfo info(ruta); info.exists() && !info.isFile() && !info.isDir())
            throw ArchivoIlegible(QStringLiteral("no es un archivo de datos"));
        sistema = LeerArchivoSistema(ruta, QLocale(), kMaxEcuaciones, kMaxBytes);
        if (sistema.Filas() < 4)
            throw ArchivoIlegible(QStringLiteral("tiene %1 ecuaciones; un sistema tiene al menos 4")
                                      .arg(sistema.Filas()));
    } catch (const ArchivoIlegible& fallo) {
        AvisarArchivo(fallo.Mensaje(nombre));
        return;
    }
    SetPuntero(Puntero::RelojDeArena);
    const auto n = std::int32_t(sistema.Filas());
    NumeroEcuaciones->setText(EnteroATexto(n));
    ConfirmarCuenta();
    // Shown as checked cells; an empty field (NaN) leaves an empty cell.
    Tabla->SetBlock(GridBlock{1,
                              1,
                              n,
                              kColumnas,
                              kAlineacionDerecha,
                              {std::make_move_iterator(sistema.columnas.begin()),
                               std::make_move_iterator(sistema.columnas.end())},
                              {}});
    OlvidarCambios(); // a system of its own: nothing before it to take back
    Tabla->SetCurrentRow(1);
    Tabla->SetCurrentCol(1);
    SetPuntero(Puntero::Predeterminado);
    DatosAsalvo(); // they are in the file
    Hablar(QStringLiteral("Abierto %1: %2 ecuaciones").arg(nombre).arg(n));
}

void Datos1::Guardar_Click() {
    SistemaLeido sistema;
    if (!LeerTablaParaGuardar(sistema))
        return;
    const QString ruta = PedirArchivoParaGuardar(this, QStringLiteral("Guardar sistema"),
                                                 QStringLiteral("sistema.csv"));
    if (!ruta.isEmpty())
        Escribir(ruta, sistema);
}

bool Datos1::GuardarSistema(const QString& ruta) {
    SistemaLeido sistema;
    return LeerTablaParaGuardar(sistema) && Escribir(ruta, sistema);
}

bool Datos1::Escribir(const QString& ruta, const SistemaLeido& sistema) {
    if (!GuardarYAvisar(this, ruta, EscribirSistema(sistema)))
        return false;
    DatosAsalvo();
    Hablar(QStringLiteral("Guardado %1").arg(QFileInfo(ruta).fileName()));
    return true;
}

// The grid's rows as they stand, an empty cell left empty. A cell that does
// not hold a number would make a file that cannot be opened again: the user
// is sent to it instead.
bool Datos1::LeerTablaParaGuardar(SistemaLeido& sistema) {
    // Ends an edit under way as the user would, so what was typed is checked
    // and saved.
    if (Tabla->isAncestorOf(focusWidget()))
        Tabla->setFocus(Qt::OtherFocusReason);
    if (Tabla->RowCount() < 2) {
        AvisarArchivo(QStringLiteral("No hay ecuaciones que guardar: confirme primero el número "
                                     "de ecuaciones."));
        return false;
    }
    NumerosDeLaTabla leidos = LeerNumeros(Tabla->RowCount() - 1);
    if (const auto fallo = leidos.fallo) {
        const auto fila = std::int32_t(fallo->first / kColumnas) + 1;
        const int columna = int(fallo->first % kColumnas) + 1;
        AvisarArchivo(QStringLiteral("La celda %1%2 no contiene un número. Corríjala y "
                                     "guarde de nuevo.")
                          .arg(QChar(u'A' + columna - 1))
                          .arg(fila));
        Tabla->SetCurrentRow(fila); // the cell to correct becomes the current one
        Tabla->SetCurrentCol(columna);
        Tabla->setFocus(Qt::OtherFocusReason);
        return false;
    }
    sistema.columnas = std::move(leidos.columnas); // empty cells stay NaN, empty fields
    return true;
}

void Datos1::AvisarArchivo(const QString& texto) {
    Hablar(texto);
    QMessageBox aviso(QMessageBox::Warning, QStringLiteral("Error en el Archivo"), texto,
                      QMessageBox::Ok, this);
    aviso.exec();
}

void Datos1::dragEnterEvent(QDragEnterEvent* evento) {
    if (!ArchivoSoltado(evento->mimeData()).isEmpty())
        evento->acceptProposedAction();
}

// Opened once the drop is over: a message box must not run inside it.
void Datos1::dropEvent(QDropEvent* evento) {
    const QString ruta = ArchivoSoltado(evento->mimeData());
    if (ruta.isEmpty())
        return;
    evento->acceptProposedAction();
    QMetaObject::invokeMethod(
        this, [this, ruta] { Manejar([this, &ruta] { AbrirSistema(ruta); }); },
        Qt::QueuedConnection);
}
