// Pasting a block copied from a spreadsheet into the coefficient grid.

#include "app/conversiones/conversiones.h"
#include "app/dos_mitades.h"
#include "grid/grid_control.h"
#include "grid/portapapeles.h"
#include "screens/data_entry/datos1.h"
#include "solver/error_numerado.h"

#include <QMessageBox>
#include <algorithm>
#include <iterator>
#include <limits>
#include <utility>

namespace {

constexpr std::int32_t kColumnaD = 4;
// Fewer rows are checked on the GUI thread: a thread would cost more than it saves.
constexpr qsizetype kFilasParaOtroHilo = 1024;

const QString kTituloPegado = QStringLiteral("Pegado Parcial de Datos");

// "1 fila", "3 filas".
QString Cantidad(qsizetype cantidad, const char* singular, const char* plural) {
    return QStringLiteral("%1 %2").arg(cantidad).arg(
        QString::fromUtf8(cantidad == 1 ? singular : plural));
}

const QString kSinTexto =
    QStringLiteral("No se pudo pegar: el portapapeles está vacío o no contiene texto.");
const QString kDemasiado = QStringLiteral(
    "No se pudo pegar: el contenido del portapapeles es mucho mayor que lo que cabe en la tabla.");

// Why the clipboard's content is refused before anything is changed; empty
// when it may be pasted.
QString MotivoParaNoPegar(const QString& texto, qsizetype mayor) {
    if (texto.isEmpty())
        return kSinTexto;
    if (texto.size() > mayor)
        return kDemasiado;
    if (ConControles(texto))
        return QStringLiteral("No se pudo pegar: el portapapeles no contiene celdas de texto.");
    return {};
}

} // namespace

void Datos1::Tabla_PasteFailed(ClipboardReader::Problem problema) {
    switch (problema) {
    case ClipboardReader::Problem::NoAnswer:
        NoPegar(QStringLiteral("No se pudo pegar: el programa que ofrece el contenido del "
                               "portapapeles no respondió."));
        break;
    case ClipboardReader::Problem::TooLarge:
        NoPegar(kDemasiado);
        break;
    default:
        NoPegar(kSinTexto);
    }
}

// Nothing has changed: the user hears and reads why.
void Datos1::NoPegar(const QString& motivo) {
    Hablar(motivo);
    QMessageBox aviso(QMessageBox::Warning, QStringLiteral("Pegar Datos"), motivo, QMessageBox::Ok,
                      this);
    aviso.exec();
}

// The fields of the block that fit, checked as typed cells are; an empty one
// empties its cell, like one never typed into (solving reads it as zero, so
// there is nothing to correct: a spreadsheet holding a system leaves the
// first A and the last C empty). Cells a short row does not reach stay as
// they were. A whole system is checked on two threads, half each: the checks
// are most of a paste's work. Nothing here touches the screen.
Datos1::CeldasComprobadas Datos1::CeldasPegadas(const CamposTabulados& bloque, qsizetype filas,
                                                qsizetype columnas, const ReglasDeCelda& reglas) {
    CeldasComprobadas celdas;
    celdas.numeros.assign(
        std::size_t(columnas),
        std::vector<double>(std::size_t(filas), std::numeric_limits<double>::quiet_NaN()));
    const auto comprobar = [&](qsizetype desde, qsizetype hasta) {
        CeldasComprobadas parte; // all but the numbers, for this half
        const LectorDeNumeros leer(reglas.regional);
        QStringView fila[kColumnaD];
        for (qsizetype i = desde; i < hasta; ++i) {
            const qsizetype campos = bloque.Partir(i, std::span(fila, std::size_t(columnas)));
            parte.pegadas += std::min(campos, columnas);
            parte.columnasDelBloque = std::max(parte.columnasDelBloque, campos);
            for (qsizetype j = 0; j < columnas; ++j) {
                const auto lugar = std::size_t(i * columnas + j);
                if (j >= campos) {
                    parte.sinAlcanzar.push_back(lugar);
                    continue;
                }
                // As CeldaComprobada checks it, which is asked only for the
                // marked cell of a refused field. A field of blanks is no
                // number either, and is looked for only then.
                const QStringView campo = fila[j];
                if (campo.isEmpty())
                    continue;
                try {
                    celdas.numeros[std::size_t(j)][std::size_t(i)] = leer(campo);
                } catch (const ErrorNumerado&) {
                    if (!std::all_of(campo.begin(), campo.end(),
                                     [](QChar c) { return c.isSpace(); }))
                        parte.rechazadas.emplace_back(lugar, CeldaComprobada(campo, reglas));
                }
            }
        }
        return parte;
    };
    auto [primera, segunda] = EnDosMitades(filas, kFilasParaOtroHilo, comprobar);
    celdas.rechazadas = std::move(primera.rechazadas);
    std::move(segunda.rechazadas.begin(), segunda.rechazadas.end(),
              std::back_inserter(celdas.rechazadas));
    celdas.sinAlcanzar = std::move(primera.sinAlcanzar);
    celdas.sinAlcanzar.insert(celdas.sinAlcanzar.end(), segunda.sinAlcanzar.begin(),
                              segunda.sinAlcanzar.end());
    celdas.pegadas = primera.pegadas + segunda.pegadas;
    celdas.columnasDelBloque = std::max(primera.columnasDelBloque, segunda.columnasDelBloque);
    return celdas;
}

// The block a paste writes: the checked fields, and the cells it does not
// reach as they were.
GridBlock Datos1::BloquePegado(CeldasComprobadas celdas, const GridBlock& antes) {
    GridBlock despues{antes.row,
                      antes.col,
                      antes.rows,
                      antes.cols,
                      antes.alignment,
                      std::move(celdas.numeros),
                      std::move(celdas.rechazadas)};
    const auto cols = std::size_t(antes.cols);
    for (const std::size_t lugar : celdas.sinAlcanzar) {
        const double previo = antes.columns[lugar % cols][lugar / cols];
        despues.columns[lugar % cols][lugar / cols] = previo;
        const auto otra = std::lower_bound(
            antes.others.begin(), antes.others.end(), lugar,
            [](const auto& celda, std::size_t buscado) { return celda.first < buscado; });
        if (otra != antes.others.end() && otra->first == lugar)
            despues.others.push_back(*otra);
    }
    std::sort(despues.others.begin(), despues.others.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    return despues;
}

// A block copied from a spreadsheet fills the grid from the current cell on.
// No editor is reopened for a rejected field: one after another they would
// hold the user in a chain of corrections. Every rejected field stays marked
// and the first one becomes the current cell, shown, for the user to fix.
// What does not fit is left out, and the user is told how much.
void Datos1::Tabla_Paste(const QString& texto) {
    if (!Tabla->isEnabled())
        return;
    if (const QString motivo = MotivoParaNoPegar(texto, kMayorPegado); !motivo.isEmpty()) {
        NoPegar(motivo);
        return;
    }
    const CamposTabulados bloque = LeerTabulado(texto);
    if (bloque.Filas() == 0)
        return;
    // The fixed row and column are headers: a paste starting there means
    // the nearest coefficient.
    const std::int32_t filaInicio = std::max(Tabla->CurrentRow(), 1);
    const std::int32_t columnaInicio = std::max(Tabla->CurrentCol(), 1);
    const qsizetype filasQueCaben =
        std::min<qsizetype>(bloque.Filas(), Tabla->RowCount() - filaInicio);
    const qsizetype columnasQueCaben = kColumnaD - columnaInicio + 1;

    // The fields are checked on other threads while this one keeps the cells
    // they replace, for Ctrl+Z.
    auto comprobacion =
        Aparte(filasQueCaben >= kFilasParaOtroHilo,
               [&bloque, filasQueCaben, columnasQueCaben, reglas = Reglas()] {
                   return CeldasPegadas(bloque, filasQueCaben, columnasQueCaben, reglas);
               });
    Tramo tramo = TramoAntes(filaInicio, columnaInicio, std::int32_t(filasQueCaben),
                             std::int32_t(columnasQueCaben));
    CeldasComprobadas celdas = comprobacion.get();
    const auto primera =
        std::int32_t(celdas.rechazadas.empty() ? 0 : celdas.rechazadas.front().first);
    const qsizetype pegadas = celdas.pegadas;
    qsizetype columnasDelBloque = celdas.columnasDelBloque;
    for (qsizetype i = filasQueCaben; i < bloque.Filas(); ++i) // the rows left out
        columnasDelBloque = std::max(columnasDelBloque, bloque.Columnas(i));

    tramo.despues = BloquePegado(std::move(celdas), tramo.antes);
    Tabla->SetBlock(tramo.despues);
    Recordar(QStringLiteral("pegado de %1").arg(Cantidad(pegadas, "celda", "celdas")),
             std::move(tramo));
    Tabla->SetCurrentRow(filaInicio + primera / std::int32_t(columnasQueCaben));
    Tabla->SetCurrentCol(columnaInicio + primera % std::int32_t(columnasQueCaben));
    DatosCambiados();

    const qsizetype filasOmitidas = bloque.Filas() - filasQueCaben;
    const qsizetype columnasOmitidas = std::max<qsizetype>(columnasDelBloque - columnasQueCaben, 0);
    if (filasOmitidas > 0 || columnasOmitidas > 0)
        AvisarOmitidas(pegadas, filasOmitidas, columnasOmitidas);
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
