// Pasting a block copied from a spreadsheet into the coefficient grid.

#include "grid/grid_control.h"
#include "grid/portapapeles.h"
#include "screens/data_entry/datos1.h"

#include <QMessageBox>
#include <algorithm>

namespace {

constexpr std::int32_t kColumnaD = 4;

const QString kTituloPegado = QStringLiteral("Pegado Parcial de Datos");

// "1 fila", "3 filas".
QString Cantidad(qsizetype cantidad, const char* singular, const char* plural) {
    return QStringLiteral("%1 %2").arg(cantidad).arg(
        QString::fromUtf8(cantidad == 1 ? singular : plural));
}

// The most a block can hold and still fit the largest grid: 32 766 rows of
// four fields, each far longer than any number.
constexpr qsizetype kMayorBloque = qsizetype(32766) * 4 * 64;

// Why the clipboard's content is refused before anything is changed; empty
// when it may be pasted.
QString MotivoParaNoPegar(const QString& texto) {
    if (texto.isEmpty())
        return QStringLiteral("No se pudo pegar: el portapapeles está vacío, no contiene texto, o "
                              "el programa que lo ofrece no respondió.");
    if (texto.size() > kMayorBloque)
        return QStringLiteral("No se pudo pegar: el contenido del portapapeles (%1 MB) es mucho "
                              "mayor que lo que cabe en la tabla.")
            .arg(texto.size() >> 20);
    // Text from a spreadsheet has tabs and line breaks, and no other control
    // character; binary data has them all.
    const bool binario = std::any_of(texto.begin(), texto.end(), [](QChar c) {
        return c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r';
    });
    if (binario)
        return QStringLiteral("No se pudo pegar: el portapapeles no contiene celdas de texto.");
    return {};
}

} // namespace

// A block copied from a spreadsheet fills the grid from the current cell on.
// No editor is reopened for a rejected field: one after another they would
// hold the user in a chain of corrections. Every rejected field stays marked
// and the first one becomes the current cell, shown, for the user to fix.
// What does not fit is left out, and the user is told how much.
void Datos1::Tabla_Paste(const QString& texto) {
    if (!Tabla->isEnabled())
        return;
    if (const QString motivo = MotivoParaNoPegar(texto); !motivo.isEmpty()) {
        Hablar(motivo);
        QMessageBox aviso(QMessageBox::Warning, QStringLiteral("Pegar Datos"), motivo,
                          QMessageBox::Ok, this);
        aviso.exec();
        return;
    }
    const BloqueTabulado bloque = LeerTabulado(texto);
    if (bloque.isEmpty())
        return;
    // The fixed row and column are headers: a paste starting there means
    // the nearest coefficient.
    const std::int32_t filaInicio = std::max(Tabla->CurrentRow(), 1);
    const std::int32_t columnaInicio = std::max(Tabla->CurrentCol(), 1);
    const qsizetype filasQueCaben =
        std::min<qsizetype>(bloque.size(), Tabla->RowCount() - filaInicio);
    const qsizetype columnasQueCaben = kColumnaD - columnaInicio + 1;

    qsizetype pegadas = 0;
    qsizetype columnasDelBloque = 0;
    std::int32_t filaFinal = filaInicio;
    std::int32_t columnaFinal = columnaInicio;
    bool rechazada = false;
    for (qsizetype i = 0; i < bloque.size(); ++i) {
        const QStringList& campos = bloque[i];
        columnasDelBloque = std::max(columnasDelBloque, campos.size());
        if (i >= filasQueCaben)
            continue;
        const std::int32_t fila = filaInicio + std::int32_t(i);
        for (qsizetype j = 0; j < std::min(campos.size(), columnasQueCaben); ++j) {
            const std::int32_t columna = columnaInicio + std::int32_t(j);
            ++pegadas;
            if (!PegarCelda(fila, columna, campos[j]) && !rechazada) {
                rechazada = true;
                filaFinal = fila;
                columnaFinal = columna;
            }
        }
    }
    Tabla->SetCurrentRow(filaFinal);
    Tabla->SetCurrentCol(columnaFinal);
    DatosCambiados();

    const qsizetype filasOmitidas = bloque.size() - filasQueCaben;
    const qsizetype columnasOmitidas = std::max<qsizetype>(columnasDelBloque - columnasQueCaben, 0);
    if (filasOmitidas > 0 || columnasOmitidas > 0)
        AvisarOmitidas(pegadas, filasOmitidas, columnasOmitidas);
}

// An empty field empties the cell, like one never typed into: solving reads
// it as zero, so there is nothing to correct (a spreadsheet holding a system
// leaves the first A and the last C empty).
bool Datos1::PegarCelda(std::int32_t fila, std::int32_t columna, const QString& campo) {
    Tabla->SetCurrentRow(fila);
    Tabla->SetCurrentCol(columna);
    if (campo.trimmed().isEmpty()) {
        Tabla->SetCellText(QString());
        Tabla->SetCellColors(Tabla->NormalColors());
        return true;
    }
    Tabla->SetCellText(campo);
    return ComprobarCelda(fila, columna);
}

void Datos1::AvisarOmitidas(qsizetype pegadas, qsizetype filas, qsizetype columnas) {
    QStringList omitidas;
    if (filas > 0)
        omitidas << Cantidad(filas, "fila", "filas");
    if (columnas > 0)
        omitidas << Cantidad(columnas, "columna", "columnas");
    const bool unaSola = omitidas.size() == 1 && filas + columnas == 1;
    const QString texto = (pegadas == 1 ? QStringLiteral("Se pegó 1 celda. ")
                                        : QStringLiteral("Se pegaron %1 celdas. ").arg(pegadas)) +
                          (unaSola ? QStringLiteral("Se omitió %1 que no cabe en la tabla.")
                                   : QStringLiteral("Se omitieron %1 que no caben en la tabla."))
                              .arg(omitidas.join(QStringLiteral(" y ")));
    Hablar(texto);
    QMessageBox aviso(QMessageBox::Warning, kTituloPegado, texto, QMessageBox::Ok, this);
    aviso.exec();
}
