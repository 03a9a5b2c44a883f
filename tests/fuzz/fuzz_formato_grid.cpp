// A grid built from an arbitrary format text, then driven through its
// contract by the rest of the input. The input is the format (UTF-8, up to a
// 0 byte), then operations of a few bytes each. A shadow of what the format
// and the operations should have produced is kept beside the grid; an input
// fails when the grid disagrees with it: headers and size read from the
// format, the current cell, the text of the current cell, which operations
// are refused and with which error, or an operation that raises anything
// but ErrorNumerado.

#include "tests/fuzz/fuzz_comun.h"

#include "grid/grid_model.h"
#include "grid/qt_grid.h"

#include <QBrush>
#include <QStringList>

#include <map>
#include <utility>

namespace {

constexpr int kTipos = int(NumeroError::TiposIncompatibles);
constexpr int kDesborde = int(NumeroError::Desbordamiento);

QString SinAlineacion(QString t) {
    if (t.startsWith(u'<') || t.startsWith(u'^') || t.startsWith(u'>'))
        t.remove(0, 1);
    return t;
}

// What the format says the grid holds, and what the operations did to it.
struct Sombra {
    int columnas = 0; // fixed column included
    bool fija = false;
    int filas = 0;
    int fila = 0;
    int columna = 0;
    std::map<std::pair<int, int>, QString> textos;

    explicit Sombra(const QString& formato) {
        const qsizetype pc = formato.indexOf(u';');
        fija = pc >= 0;
        const QStringList cols = formato.left(fija ? pc : formato.size()).split(u'|');
        const QStringList cabeceras = fija ? formato.mid(pc + 1).split(u'|') : QStringList();
        columnas = int(cols.size());
        for (int c = 0; c < columnas; ++c)
            textos[{0, c}] = SinAlineacion(cols[c]);
        if (fija && !cabeceras.front().isEmpty())
            textos[{0, 0}] = cabeceras.front();
        filas = std::max(1, int(cabeceras.size()));
        for (int r = 1; r < cabeceras.size(); ++r)
            textos[{r, 0}] = cabeceras[r];
        fila = filas > 1 ? 1 : 0;
        columna = fija && columnas > 1 ? 1 : 0; // no data column: the fixed one
    }

    QString Texto(int r, int c) const {
        const auto it = textos.find({r, c});
        return it == textos.end() ? QString() : it->second;
    }
    bool EnFija() const { return fila < 1 || (fija && columna < 1); }

    void CambiarFilas(int n) {
        for (auto it = textos.begin(); it != textos.end();)
            it = it->first.first >= std::max(n, 1) ? textos.erase(it) : std::next(it);
        filas = n;
        fila = std::min(fila, std::max(n - 1, 0));
    }
};

template <typename F> int ErrorDe(F&& operacion, const QString& formato) {
    try {
        operacion();
        return 0;
    } catch (const ErrorNumerado& e) {
        return e.valor();
    } catch (...) {
        fuzz::Fallo("the grid raised something other than ErrorNumerado", formato, __FILE__, __LINE__);
    }
}

void Coinciden(const QtGrid& grid, const Sombra& s, const QString& formato) {
    VERIFICAR(grid.RowCount() == s.filas, formato);
    VERIFICAR(grid.CurrentRow() == s.fila && grid.CurrentCol() == s.columna, formato);
    VERIFICAR(grid.CurrentCol() >= 0 && grid.CurrentCol() < s.columnas, formato);
    VERIFICAR(grid.CellText() == s.Texto(s.fila, s.columna), formato);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::IniciarQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tam) {
    fuzz::Entrada entrada(datos, tam);
    const QString formato = entrada.TextoHastaCero();
    Sombra s(formato);
    QtGrid grid(formato);
    VERIFICAR(grid.hasFixedColumn() == s.fija, formato);
    VERIFICAR(grid.gridModel()->columnCount() == s.columnas - (s.fija ? 1 : 0), formato);
    Coinciden(grid, s, formato);
    // Every cell the format wrote (a corner of the grid, for long formats).
    for (int r = 0; r < std::min(s.filas, 8); ++r)
        for (int c = 0; c < std::min(s.columnas, 64); ++c) {
            grid.SetCurrentRow(r);
            grid.SetCurrentCol(c);
            VERIFICAR(grid.CellText() == s.Texto(r, c), formato);
        }
    grid.SetCurrentRow(s.fila);
    grid.SetCurrentCol(s.columna);

    for (int pasos = 0; pasos < 64 && !entrada.Fin(); ++pasos) {
        const int op = entrada.Byte() % 12;
        int esperado = 0;
        int obtenido = 0;
        switch (op) {
        case 0: {
            const int n = entrada.Byte() % 40 - 2;
            esperado = n < 0 ? kDesborde : 0;
            obtenido = ErrorDe([&] { grid.SetRowCount(n); }, formato);
            if (!esperado)
                s.CambiarFilas(n);
            break;
        }
        case 1: {
            const int r = entrada.Byte() % 44 - 2;
            esperado = r < 0 || r >= s.filas ? kDesborde : 0;
            obtenido = ErrorDe([&] { grid.SetCurrentRow(r); }, formato);
            if (!esperado)
                s.fila = r;
            break;
        }
        case 2: {
            const int c = entrada.Byte() % (s.columnas + 3) - 1;
            esperado = c < 0 || c >= s.columnas ? kDesborde : 0;
            obtenido = ErrorDe([&] { grid.SetCurrentCol(c); }, formato);
            if (!esperado)
                s.columna = c;
            break;
        }
        case 3: {
            const QString t = entrada.TextoHastaCero();
            obtenido = ErrorDe([&] { grid.SetCellText(t); }, formato);
            s.textos[{s.fila, s.columna}] = t;
            break;
        }
        case 4: {
            const int mantisa = entrada.Entero16();
            const int divisor = entrada.Byte() + 1;
            const double v = mantisa / double(divisor) * std::pow(10.0, entrada.Byte() % 40 - 20);
            obtenido = ErrorDe([&] { grid.SetCellText(v); }, formato);
            s.textos[{s.fila, s.columna}] = DobleATexto(v, QLocale());
            break;
        }
        case 5: {
            const std::uint32_t alto = std::uint16_t(entrada.Entero16());
            const std::int32_t v = std::int32_t(alto << 16 | std::uint16_t(entrada.Entero16()));
            obtenido = ErrorDe([&] { grid.SetCellText(v); }, formato);
            s.textos[{s.fila, s.columna}] = QString::number(v);
            break;
        }
        case 6: {
            const bool marca = entrada.Byte() & 1;
            obtenido = ErrorDe([&] { grid.SetCellColors(marca ? grid.MarkColors() : grid.NormalColors()); }, formato);
            if (!s.EnFija()) {
                const QVariant fondo = grid.gridModel()
                                           ->index(s.fila - 1, s.columna - (s.fija ? 1 : 0))
                                           .data(Qt::BackgroundRole);
                VERIFICAR(marca ? fondo.value<QBrush>().color().rgb() == grid.MarkColors().back
                                : !fondo.isValid(),
                          formato);
            }
            break;
        }
        case 7: {
            const int a = entrada.Byte() % 12 - 1;
            esperado = a < 0 || a > 8 ? kDesborde : 0;
            obtenido = ErrorDe([&] { grid.SetCellAlignment(a); }, formato);
            break;
        }
        case 8:
            obtenido = ErrorDe([&] { grid.ReopenEdit(); }, formato);
            break;
        case 9: {
            const int c = entrada.Byte() % (s.columnas + 3) - 1;
            const int w = entrada.Entero16();
            esperado = c < 0 || c >= s.columnas || w < 0 ? kDesborde : 0;
            obtenido = ErrorDe([&] { grid.SetColumnWidth(c, w); }, formato);
            break;
        }
        case 10: {
            const double r = entrada.Entero16() / 4.0;
            esperado = r != std::trunc(r) ? kTipos : r < 0 || r >= s.filas ? kDesborde : 0;
            obtenido = ErrorDe([&] { grid.SetCurrentRow(r); }, formato);
            if (!esperado)
                s.fila = int(r);
            break;
        }
        case 11:
            // Shown, enabled or not: painting, focus and the view catching
            // up. Focus puts the view on a cell; when the program had left
            // the current cell on a header, that cell takes over, as when
            // the user clicks one.
            grid.setEnabled(entrada.Byte() & 1);
            grid.resize(300, 200);
            grid.show();
            QApplication::processEvents();
            if (s.EnFija() && grid.CurrentRow() >= 1 && grid.CurrentRow() < s.filas &&
                grid.CurrentCol() >= (s.fija ? 1 : 0) && grid.CurrentCol() < s.columnas) {
                s.fila = grid.CurrentRow();
                s.columna = grid.CurrentCol();
            }
            break;
        }
        const QString contexto = formato + QStringLiteral(" | step %1, op %2").arg(pasos).arg(op);
        VERIFICAR(obtenido == esperado, contexto + QStringLiteral(": error %1 instead of %2").arg(obtenido).arg(esperado));
        Coinciden(grid, s, contexto);
    }
    return 0;
}
