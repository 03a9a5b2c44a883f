// The solve command: the system read from the grid, solved and checked, and
// handed over to the results; or the user told why not, with every typed
// cell kept.

#include "app/aplicacion.h"
#include "app/boton_grafico.h"
#include "app/conversiones/conversiones.h"
#include "grid/grid_control.h"
#include "screens/data_entry/datos1.h"
#include "solver/error_numerado.h"
#include "solver/resolucion_comprobada.h"

#include <QLineEdit>
#include <QMessageBox>
#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

// A failure keeps the user here with every typed cell intact and says what
// went wrong and where, instead of ending the program.
void Datos1::Resolver_Click() {
    SetPuntero(Puntero::RelojDeArena);
    // Alt+R leaves the focus in a cell still being edited: end that edit the
    // way the user would, so what was typed is checked and not lost.
    Resolver->setFocus(Qt::OtherFocusReason);
    bool leyendoCeldas = false;
    ModuloPrincipal& modulo = App().Modulo();
    try {
        m_n = TextoAEntero16(NumeroEcuaciones->text(), QLocale());
        Coeficientes coeficientes;
        modulo.Solucion.assign(static_cast<std::size_t>(std::max(m_n, 0)), 0.0);
        leyendoCeldas = true;
        LeerCoeficientes(coeficientes);
        leyendoCeldas = false;
        modulo.Informe = ResolverComprobado(m_n, coeficientes.A, coeficientes.B, coeficientes.C,
                                            coeficientes.D, modulo.Solucion);
    } catch (const ErrorNumerado& error) {
        SetPuntero(Puntero::Predeterminado);
        AvisarFalloDeResolucion(error, leyendoCeldas);
        return;
    }
    if (modulo.Informe.rechazo != Rechazo::Ninguno) {
        SetPuntero(Puntero::Predeterminado);
        AvisarRechazo(modulo.Informe.rechazo);
        return;
    }
    DatosAsalvo(); // the results show them
    App().Mostrar(IdPantalla::Respuesta);
    App().Descargar(IdPantalla::Datos1);
}

// A checked cell holds its number already: only cells never checked are read
// from their text.
Datos1::NumerosDeLaTabla Datos1::LeerNumeros(std::int32_t filas) const {
    NumerosDeLaTabla leidos;
    for (int c = 0; c < 4; ++c)
        leidos.columnas[std::size_t(c)] = Tabla->ColumnNumbers(c + 1, 1, filas);
    const QLocale regional;
    for (std::size_t i = 0; i < std::size_t(filas) * 4 && !leidos.fallo; ++i) {
        double& valor = leidos.columnas[i % 4][i / 4];
        if (!std::isnan(valor))
            continue;
        const QString texto = Tabla->BlockText(std::int32_t(i / 4) + 1, int(i % 4) + 1, 1, 1)[0];
        if (texto.isEmpty()) {
            leidos.vacias.push_back(i);
            continue;
        }
        try {
            valor = TextoADoble(texto, regional);
        } catch (const ErrorNumerado& error) {
            leidos.fallo = {i, error.numero()};
        }
    }
    return leidos;
}

// Row by row, A to D; an empty cell counts as zero and is shown as such. A
// cell that holds no number stops the reading there and becomes the current
// cell; the empty cells before it already show their zeros.
void Datos1::LeerCoeficientes(Coeficientes& coeficientes) {
    NumerosDeLaTabla leidos = LeerNumeros(m_n);
    for (const std::size_t i : leidos.vacias)
        leidos.columnas[i % 4][i / 4] = 0;
    coeficientes = {std::move(leidos.columnas[0]), std::move(leidos.columnas[1]),
                    std::move(leidos.columnas[2]), std::move(leidos.columnas[3])};

    // Few cells are left empty (a system's first A and last C): each one is
    // written on its own, lined up with the checked cells.
    const GridCell cero{{}, Tabla->NormalColors(), kAlineacionDerecha, QString(), 0.0};
    std::vector<Tramo> tramos;
    for (const std::size_t i : leidos.vacias) {
        const auto fila = std::int32_t(i / 4) + 1;
        const int columna = int(i % 4) + 1;
        tramos.push_back(TramoAntes(fila, columna, 1, 1));
        tramos.back().despues = CellBlock(fila, columna, cero);
        Tabla->SetBlock(tramos.back().despues);
    }
    Recordar(QStringLiteral("ceros escritos al resolver"), std::move(tramos));
    if (const auto fallo = leidos.fallo) {
        Tabla->SetCurrentRow(std::int32_t(fallo->first / 4) + 1);
        Tabla->SetCurrentCol(int(fallo->first % 4) + 1);
        throw ErrorNumerado(fallo->second);
    }
}

void Datos1::AvisarFalloDeResolucion(const ErrorNumerado& error, bool enCelda) {
    const QString fallo = QString::fromUtf8(error.texto());
    if (!enCelda) {
        AvisarResolucion(QStringLiteral("%1: no se pudo resolver el sistema.").arg(fallo));
        return;
    }
    const QChar columna = QChar(u'A' + (Tabla->CurrentCol() - 1));
    const QString problema = error.numero() == NumeroError::Desbordamiento
                                 ? QStringLiteral("contiene un número demasiado grande")
                                 : QStringLiteral("no contiene un número");
    Tabla->setFocus(Qt::OtherFocusReason);
    AvisarResolucion(QStringLiteral("%1: la celda de la fila %2, columna %3, %4. "
                                    "Corríjala y pulse Resolver de nuevo.")
                         .arg(fallo)
                         .arg(Tabla->CurrentRow())
                         .arg(columna)
                         .arg(problema));
}

// Said in terms of the equations the user typed, which all stay as they are.
void Datos1::AvisarRechazo(Rechazo rechazo) {
    AvisarResolucion(QString::fromUtf8(TextoDelRechazo(rechazo)) +
                     QStringLiteral(" Revise los datos: se conservan tal como están."));
}

void Datos1::AvisarResolucion(const QString& texto) {
    Hablar(texto);
    QMessageBox aviso(QMessageBox::Warning, QStringLiteral("Error en la Resolución del Sistema"),
                      texto, QMessageBox::Ok, this);
    aviso.exec();
}
