// The solve command: the system read from the grid, solved and checked, and
// handed over to the results; or the user told why not, with every typed
// cell kept.

#include "app/aplicacion.h"
#include "app/boton_grafico.h"
#include "app/conversiones/conversiones.h"
#include "app/dos_mitades.h"
#include "grid/grid_control.h"
#include "screens/data_entry/datos1.h"
#include "solver/error_numerado.h"
#include "solver/resolucion_comprobada.h"

#include <QLineEdit>
#include <QMessageBox>
#include <algorithm>
#include <optional>
#include <utility>

namespace {

QStringList TextosDe(const std::vector<double>& valores) {
    const QLocale regional;
    QStringList textos;
    textos.reserve(static_cast<qsizetype>(valores.size()));
    for (double v : valores)
        textos << DobleATexto(v, regional);
    return textos;
}

} // namespace

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
        Coeficientes coeficientes(static_cast<std::size_t>(std::max(m_n, 0)));
        modulo.Solucion.assign(coeficientes.A.size(), 0.0);
        leyendoCeldas = true;
        LeerCoeficientes(coeficientes);
        leyendoCeldas = false;
        modulo.Informe = ResolverComprobado(
            m_n, coeficientes.A, coeficientes.B, coeficientes.C, coeficientes.D, modulo.Solucion,
            [&modulo](const std::vector<double>& x) { modulo.TextosSolucion = TextosDe(x); });
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

namespace {

// What reading part of the grid found: the empty cells, and the first cell
// that holds no number, where the reading of that part stopped.
struct LecturaDeCeldas {
    std::vector<qsizetype> vacias;
    std::optional<std::pair<qsizetype, NumeroError>> fallo;
};

} // namespace

// Row by row, A to D; an empty cell counts as zero and is shown as such. A
// cell that holds no number stops the reading there and becomes the current
// cell; the empty cells before it already show their zeros. The largest
// system is read on two threads, half each: reading is the longest part of a
// solve.
void Datos1::LeerCoeficientes(Coeficientes& coeficientes) {
    std::vector<double>* columnas[] = {&coeficientes.A, &coeficientes.B, &coeficientes.C,
                                       &coeficientes.D};
    const QLocale regional;
    // Read in place: nothing writes to the grid until every cell is read.
    const std::vector<QStringView> textos = Tabla->BlockTextViews(1, 1, m_n, 4);
    const auto leer = [&](qsizetype desde, qsizetype hasta) {
        LecturaDeCeldas lectura;
        for (qsizetype i = desde; i < hasta; ++i) {
            double& valor = (*columnas[i % 4])[std::size_t(i / 4)];
            valor = 0; // an empty cell is shown as 0, lined up with the checked cells
            if (textos[std::size_t(i)].isEmpty()) {
                lectura.vacias.push_back(i);
                continue;
            }
            try {
                valor = TextoADoble(textos[std::size_t(i)], regional);
            } catch (const ErrorNumerado& error) {
                lectura.fallo = {i, error.numero()};
                break;
            }
        }
        return lectura;
    };
    constexpr qsizetype kCeldasParaDosHilos = 4096;
    auto [lectura, resto] = EnDosMitades(qsizetype(textos.size()), kCeldasParaDosHilos, leer);
    if (!lectura.fallo) {
        lectura.vacias.insert(lectura.vacias.end(), resto.vacias.begin(), resto.vacias.end());
        lectura.fallo = resto.fallo;
    }

    // Few cells are left empty (a system's first A and last C): each one is
    // written on its own.
    const GridCell cero{QStringLiteral("0"), {}, kAlineacionDerecha, {}};
    std::vector<Tramo> tramos;
    for (const qsizetype i : lectura.vacias) {
        tramos.push_back(TramoAntes(std::int32_t(i / 4) + 1, int(i % 4) + 1, 1, 1));
        tramos.back().despues = {cero};
        Tabla->SetBlock(tramos.back().fila, tramos.back().columna, 1, {cero});
    }
    Recordar(QStringLiteral("ceros escritos al resolver"), std::move(tramos));
    if (const auto fallo = lectura.fallo) {
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
