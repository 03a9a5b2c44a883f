// A grid built from an arbitrary format text, then driven through its contract
// by the rest of the input, beside a shadow of what both should have made: an
// input fails when the grid disagrees with it (size and headers, current cell
// and its text, which operations are refused and how) or raises anything else.

#include "grid/grid_model.h"
#include "grid/qt_grid.h"
#include "tests/fuzz/fuzz_comun.h"

namespace {

constexpr int kTipos = int(NumeroError::TiposIncompatibles);
constexpr int kDesborde = int(NumeroError::Desbordamiento);

struct Sombra {
    int columnas, filas, fila, columna; // columns, rows: the fixed ones included
    bool fija;
    QMap<std::pair<int, int>, QString> textos;

    explicit Sombra(const QString& formato) {
        const qsizetype pc = formato.indexOf(u';');
        fija = pc >= 0;
        const QStringList cols = formato.left(pc).split(u'|'); // all of it without ';'
        const QStringList cabeceras = fija ? formato.mid(pc + 1).split(u'|') : QStringList();
        columnas = int(cols.size());
        for (int c = 0; c < columnas; ++c) // without the alignment mark
            textos[{0, c}] = cols[c].mid(QStringLiteral("<^>").contains(cols[c].left(1)) ? 1 : 0);
        for (int r = 0; r < cabeceras.size(); ++r) // an empty corner leaves the column's
            if (r > 0 || !cabeceras[0].isEmpty())
                textos[{r, 0}] = cabeceras[r];
        filas = std::max(1, int(cabeceras.size()));
        fila = filas > 1 ? 1 : 0;
        columna = fija && columnas > 1 ? 1 : 0; // no data column: the fixed one
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tam) {
    fuzz::IniciarQt();
    fuzz::Entrada entrada{datos, datos + tam};
    const QString formato = entrada.Texto(true);
    Sombra s(formato);
    QtGrid grid(formato);
    VERIFICAR(grid.hasFixedColumn() == s.fija &&
                  grid.gridModel()->columnCount() == s.columnas - s.fija,
              formato);
    // Every cell the format wrote (a corner of the grid, for long formats).
    for (int r = 0; r < std::min(s.filas, 8); ++r)
        for (int c = 0; c < std::min(s.columnas, 64); ++c) {
            grid.SetCurrentRow(r);
            grid.SetCurrentCol(c);
            VERIFICAR(grid.CellText() == s.textos.value({r, c}), formato);
        }
    grid.SetCurrentRow(s.fila);
    grid.SetCurrentCol(s.columna);

    for (int pasos = 0; pasos <= 64; ++pasos) {
        VERIFICAR(grid.RowCount() == s.filas && grid.CurrentRow() == s.fila, formato);
        VERIFICAR(grid.CurrentCol() == s.columna &&
                      grid.CellText() == s.textos.value({s.fila, s.columna}),
                  formato);
        if (pasos == 64 || entrada.Fin())
            break;
        const int op = entrada.Byte() % 12;
        // Gone through, or refused with the right error; the shadow follows.
        const auto intentar = [&](int esperado, auto&& operacion) {
            const int error = fuzz::Leer([&] { return operacion(), 0.0; }, formato).error;
            VERIFICAR(error == esperado,
                      formato + QString::asprintf(" | step %d, op %d: error %d", pasos, op, error));
            return error == 0;
        };
        int n = 0;
        double r = 0;
        QString texto;
        switch (op) {
        case 0: // the row count
            n = entrada.Byte() % 40 - 2;
            if (intentar(n < 0 ? kDesborde : 0, [&] { grid.SetRowCount(n); })) {
                s.textos.removeIf([&](auto t) { return t.key().first >= std::max(n, 1); });
                s.filas = n;
                s.fila = std::min(s.fila, std::max(n - 1, 0));
            }
            break;
        case 1: // the current row, as an integer or as a double that may not be one
        case 10:
            r = op == 1 ? entrada.Byte() % 44 - 2 : entrada.Entero16() / 4.0;
            if (intentar(r != std::trunc(r)      ? kTipos
                         : r < 0 || r >= s.filas ? kDesborde
                                                 : 0,
                         [&] { op == 1 ? grid.SetCurrentRow(int(r)) : grid.SetCurrentRow(r); }))
                s.fila = int(r);
            break;
        case 2: // the current column
            n = entrada.Byte() % (s.columnas + 3) - 1;
            if (intentar(n < 0 || n >= s.columnas ? kDesborde : 0, [&] { grid.SetCurrentCol(n); }))
                s.columna = n;
            break;
        case 3: // the current cell's text, as text, a double or an integer
            texto = entrada.Texto(true);
            intentar(0, [&] { grid.SetCellText(texto); });
            break;
        case 4: // mantissa / divisor * 10^e
            r = entrada.Entero16();
            r /= entrada.Byte() + 1;
            r *= std::pow(10.0, entrada.Byte() % 40 - 20);
            texto = DobleATexto(r, QLocale());
            intentar(0, [&] { grid.SetCellText(r); });
            break;
        case 5:
            n = int(std::uint32_t(std::uint16_t(entrada.Entero16())) << 16);
            n |= std::uint16_t(entrada.Entero16());
            texto = QString::number(n);
            intentar(0, [&] { grid.SetCellText(std::int32_t(n)); });
            break;
        case 6: // marked or not: seen on the screens, where it means something
            n = entrada.Byte() & 1;
            intentar(0, [&] { grid.SetCellColors(n ? grid.MarkColors() : grid.NormalColors()); });
            break;
        case 7:
            n = entrada.Byte() % 12 - 1;
            intentar(n < 0 || n > 8 ? kDesborde : 0, [&] { grid.SetCellAlignment(n); });
            break;
        case 8:
            intentar(0, [&] { grid.ReopenEdit(); });
            break;
        case 9: // a column's width
            n = entrada.Byte() % (s.columnas + 3) - 1;
            r = entrada.Entero16();
            intentar(n < 0 || n >= s.columnas || r < 0 ? kDesborde : 0,
                     [&] { grid.SetColumnWidth(n, int(r)); });
            break;
        // Shown, enabled or not: painted, focused, and the view's current cell
        // taken over where the program had left one on a header.
        case 11:
            grid.setEnabled(entrada.Byte() & 1);
            grid.resize(300, 200);
            grid.show();
            QApplication::processEvents();
            if ((s.fila < 1 || (s.fija && s.columna < 1)) && grid.CurrentRow() >= 1 &&
                grid.CurrentRow() < s.filas && grid.CurrentCol() >= s.fija &&
                grid.CurrentCol() < s.columnas) {
                s.fila = grid.CurrentRow();
                s.columna = grid.CurrentCol();
            }
            break;
        }
        if (op >= 3 && op <= 5) // the text written
            s.textos[{s.fila, s.columna}] = texto;
    }
    return 0;
}
