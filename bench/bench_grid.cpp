// Time of the grid's largest workload, driven through GridControl the way
// the screens drive it: the coefficient grid sized to 32 767 rows, numbered,
// every coefficient cell read and written; the results table sized and
// filled. Run on any platform plugin (QT_QPA_PLATFORM=offscreen works).

#include "grid/qt_grid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <functional>

namespace {

constexpr int kRows = 32767; // the largest count, 32 766 equations, plus the header row

double Milliseconds(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTextStream out(stdout);

    QtGrid tabla(QStringLiteral("^ n |^A|^B|^C|^D;|1|2|3"));
    tabla.resize(361, 353);
    tabla.show();
    QApplication::processEvents();

    const double sizing = Milliseconds([&] { tabla.SetRowCount(kRows); });
    const double numbering = Milliseconds([&] {
        tabla.SetCurrentCol(0);
        for (int i = 1; i < kRows; ++i) {
            tabla.SetCurrentRow(i);
            tabla.SetCellText(i);
        }
        tabla.SetCurrentRow(1);
        tabla.SetCurrentCol(1);
    });
    const double filling = Milliseconds([&] {
        for (int i = 1; i < kRows; ++i) {
            for (int c = 1; c <= 4; ++c) {
                tabla.SetCurrentRow(i);
                tabla.SetCurrentCol(c);
                if (tabla.CellText().isEmpty())
                    tabla.SetCellText(i / 3.0 + c);
            }
        }
    });
    const double painting = Milliseconds([&] {
        tabla.viewport()->repaint();
        QApplication::processEvents();
    });

    QtGrid incognitas(QStringLiteral("^Incógnita|^Valor"));
    incognitas.resize(209, 313);
    incognitas.show();
    QApplication::processEvents();
    const double results = Milliseconds([&] {
        incognitas.SetColumnWidth(1, 2000);
        incognitas.SetRowCount(kRows);
        for (int i = 1; i < kRows; ++i) {
            incognitas.SetCurrentRow(i);
            incognitas.SetCurrentCol(0);
            incognitas.SetCellText(QLatin1Char('x') + QString::number(i));
            incognitas.SetCurrentCol(1);
            incognitas.SetCellText(1.0 / i);
        }
        QApplication::processEvents();
    });

    out << "coefficient grid, " << kRows << " rows\n"
        << "  sizing     " << sizing << " ms\n"
        << "  numbering  " << numbering << " ms\n"
        << "  filling    " << filling << " ms\n"
        << "  painting   " << painting << " ms\n"
        << "results table, sized and filled: " << results << " ms\n";
    return 0;
}
