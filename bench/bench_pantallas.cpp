// The user's waits, measured through the real screens: Datos1 and Respuesta
// registered in an Aplicacion, a recording voice instead of espeak-ng, input
// sent as the window system would send it (QTest's clicks and keys).
//
//   count    typing a count and clicking OK: the grid sized and numbered;
//   check    a cell typed into and committed with Enter: the value checked
//            and rewritten;
//   solve    Resolver clicked on a filled grid: every cell read, the system
//            solved and its answer checked, the results screen built,
//            filled and shown; and again with a zero pivot halfway, where
//            the elimination without pivoting stops and the solve falls back
//            on partial pivoting;
//   release  then, the data-entry screen destroyed (the event loop does it
//            right after the solve returns, and the user waits for it too);
//   paste, copy  where the program handles the clipboard: a whole system
//            pasted into the grid (every field written and checked), the
//            results table copied;
//   open     a system file opened (as Ctrl+O does once the dialog closes):
//            read, the count confirmed, every cell written, shown;
//   grid     the coefficient grid at its largest (32 767 rows, every cell
//            filled): scroll bar steps to the end, Page Down presses, an edit
//            on the last row, a full repaint (grab()).
//
// Each timed step ends only once the events it posted have been delivered,
// the resulting paint included (counted, so a step that painted nothing is
// reported as a failure of the harness, not as fast). Every step is repeated
// on fresh screens and its median kept; the bare ResolverSistema at the same
// n is timed right after each repetition, so that a noisy spell of the shared
// machine hits both columns alike.
//
//   bench_pantallas [--repeticiones N] [--n N] [--paso P]
//                                        the table ("FILA|…" lines for run-all.sh);
//                                        --n: that size only, --paso: that step only
//                                        (count, check, solve, paste, open, grid),
//                                        for profiling
//   bench_pantallas --memoria            one pass at the largest size; peak RSS
//   bench_pantallas --ciclos N           N small sessions in a row; the growth
//
// QT_QPA_PLATFORM defaults to offscreen; set it (xcb under Xvfb) to measure
// on a real window system.

#include "app/archivos/sistema_csv.h"
#include "bench/banco_medidas.h"

#include <QApplication>
#include <QClipboard>
#include <QFont>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

namespace {

// --- the steps ---------------------------------------------------------------

void MedirCuenta(std::int32_t n, const Sistema& s, int repeticiones, ContadorPinturas& pinturas) {
    std::vector<double> ms, solo;
    for (int r = 0; r < repeticiones; ++r) {
        Escenario e;
        e.Caja()->setText(QString::number(n));
        Vaciar();
        const int antes = pinturas.Datos;
        ms.push_back(Ms([&] {
            e.Clic(e.Datos(), "OK1");
            Vaciar();
        }));
        QtGrid* tabla = e.Tabla();
        Exigir(tabla->RowCount() == n + 1 &&
                   tabla->gridModel()->headerText(Qt::Vertical, n - 1) == QString::number(n) &&
                   tabla->isEnabled(),
               "la cuenta no dimensionó y numeró la tabla");
        Exigir(pinturas.Datos > antes, "la cuenta no repintó la pantalla");
        solo.push_back(MsResolverSolo(s, n));
    }
    Anotar("count confirmed (OK)", n, ms, solo);
}

void MedirComprobacion(std::int32_t n, const Sistema& s, int repeticiones,
                       ContadorPinturas& pinturas) {
    Escenario e;
    e.ConfirmarCuenta(n);
    QtGrid* tabla = e.Tabla();
    pinturas.vigilado = tabla->viewport();
    const QString decimal = QLocale().decimalPoint();
    std::vector<double> ms, teclas, solo;
    for (int r = 0; r < repeticiones; ++r) {
        // Cells spread over the whole grid, a different one each time.
        const auto fila = static_cast<std::int32_t>(1 + (std::int64_t(r) * 7919) % n);
        const int col = 1 + r % 4;
        Seleccionar(tabla, fila, col);
        // "12.50" typed; the check rewrites it "12.5".
        const QString tecleado = QString::number(10 + r) + decimal + QStringLiteral("50");
        const QString esperado = QString::number(10 + r) + decimal + QStringLiteral("5");
        for (const QChar c : tecleado)
            teclas.push_back(Ms([&] {
                Teclear(QString(c));
                Vaciar();
            }));
        Exigir(tabla->isEditing(), "teclear no abrió el editor de la celda");
        const int antes = pinturas.Vigilado;
        ms.push_back(Ms([&] {
            Pulsar(Qt::Key_Return);
            Vaciar();
        }));
        Exigir(!tabla->isEditing() && tabla->gridModel()->text(fila - 1, col - 1) == esperado,
               "la celda no quedó comprobada y reescrita");
        Exigir(tabla->gridModel()
                   ->data(tabla->gridModel()->index(fila - 1, col - 1), Qt::TextAlignmentRole)
                   .isValid(),
               "la comprobación no alineó la celda");
        Exigir(pinturas.Vigilado > antes, "la comprobación no repintó la celda");
        solo.push_back(MsResolverSolo(s, n));
    }
    pinturas.vigilado = nullptr;
    Anotar("cell edit checked (Enter)", n, ms, solo);
    Anotar("  typing into the cell, per key", n, teclas, {});
}

// The bare solve beside it is that of `base`: the system solved, when the
// elimination without pivoting can.
void MedirResolucion(std::int32_t n, const Sistema& s, const Sistema& base, int repeticiones,
                     ContadorPinturas& pinturas, const std::string& paso) {
    std::vector<double> ms, liberar, solo;
    for (int r = 0; r < repeticiones; ++r) {
        Escenario e;
        e.ConfirmarCuenta(n);
        e.Llenar(s, n);
        const int antes = pinturas.Resultados;
        ms.push_back(Ms([&] {
            e.Clic(e.Datos(), "Resolver");
            Vaciar();
        }));
        Pantalla* resultados = e.Resultados();
        Exigir(resultados && resultados->isVisible(), "no se mostró la pantalla de resultados");
        const GridModel* m = e.En<QtGrid>(resultados, "Incognitas")->gridModel();
        std::vector<double> x;
        ResolverComprobado(n, s.A, s.B, s.C, s.D, x);
        Exigir(m->rowCount() == n && m->text(n - 1, 0) == QStringLiteral("x%1").arg(n) &&
                   m->text(n - 1, 1) == DobleATexto(x.back(), QLocale()),
               "la tabla de resultados no quedó llena");
        Exigir(pinturas.Resultados > antes, "la pantalla de resultados no se pintó");
        Exigir(e.Datos() == nullptr, "la pantalla de datos siguió registrada");
        liberar.push_back(Ms(LiberarPendientes));
        solo.push_back(MsResolverSolo(base, n));
    }
    Anotar(paso, n, ms, solo);
    if (&s == &base)
        Anotar("  then data-entry screen released", n, liberar, {});
}

// The clipboard, where the program handles it: the whole system pasted
// from a spreadsheet (Ctrl+V on the first cell: every field written and
// checked), and the results table copied (Ctrl+C). Left out of the table when
// the keys do nothing.
void MedirPortapapeles(std::int32_t n, const Sistema& s, int repeticiones) {
    QString bloque;
    for (std::int32_t i = 0; i < n; ++i)
        for (int c = 0; c < 4; ++c)
            bloque +=
                s.textos[4 * static_cast<std::size_t>(i) + c] + QLatin1Char(c < 3 ? '\t' : '\n');
    const QString& ultima = s.textos.back();
    QClipboard* portapapeles = QGuiApplication::clipboard();

    std::vector<double> pegar, deshacer, copiar, solo;
    for (int r = 0; r < repeticiones; ++r) {
        Escenario e;
        e.ConfirmarCuenta(n);
        QtGrid* tabla = e.Tabla();
        Seleccionar(tabla, 1, 1);
        portapapeles->setText(bloque);
        Vaciar();
        VigilanteMensajes mensajes; // a step that shows a box has not done its work
        const double ms = Ms([&] {
            Pulsar(Qt::Key_V, Qt::ControlModifier);
            Vaciar();
        });
        if (tabla->gridModel()->text(n - 1, 3) != ultima)
            return; // pasting is not handled
        Exigir(mensajes.vistos.isEmpty(), "el pegado mostró un mensaje");
        pegar.push_back(ms);
        solo.push_back(MsResolverSolo(s, n));

        // Taken back and done again, so the solve below reads the pasted system.
        const double msDeshacer = Ms([&] {
            Pulsar(Qt::Key_Z, Qt::ControlModifier);
            Vaciar();
        });
        if (tabla->gridModel()->text(n - 1, 3).isEmpty())
            deshacer.push_back(msDeshacer);
        Pulsar(Qt::Key_Y, Qt::ControlModifier);
        Vaciar();
        Exigir(tabla->gridModel()->text(n - 1, 3) == ultima, "Ctrl+Y no rehízo el pegado");

        // The results of the pasted system, copied.
        e.Clic(e.Datos(), "Resolver");
        Vaciar();
        LiberarPendientes();
        auto* incognitas = e.En<QtGrid>(e.Resultados(), "Incognitas");
        incognitas->setFocus(Qt::OtherFocusReason);
        portapapeles->clear();
        Vaciar();
        const double msCopia = Ms([&] {
            QTest::keyClick(incognitas, Qt::Key_C, Qt::ControlModifier);
            Vaciar();
        });
        if (portapapeles->text().count(QLatin1Char('\n')) >= n)
            copiar.push_back(msCopia);
    }
    if (!pegar.empty())
        Anotar("paste the whole system (Ctrl+V)", n, pegar, solo);
    if (!deshacer.empty())
        Anotar("  then undone (Ctrl+Z)", n, deshacer, {});
    if (!copiar.empty())
        Anotar("copy the results (Ctrl+C)", n, copiar, solo);
}

void MedirApertura(std::int32_t n, const Sistema& s, int repeticiones) {
    QTemporaryDir carpeta;
    const QString ruta = carpeta.filePath(QStringLiteral("sistema.csv"));
    SistemaLeido sistema;
    sistema.columnas = {s.A, s.B, s.C, s.D};
    Exigir(GuardarArchivo(ruta, EscribirSistema(sistema)).isEmpty(), "no se pudo escribir");
    std::vector<double> abrir, solo;
    for (int r = 0; r < repeticiones; ++r) {
        Escenario e;
        Vaciar();
        VigilanteMensajes mensajes;
        const double ms = Ms([&] {
            static_cast<Datos1*>(e.Datos())->AbrirSistema(ruta);
            Vaciar();
        });
        Exigir(mensajes.vistos.isEmpty() && e.Tabla()->RowCount() == n + 1, "no se abrió");
        abrir.push_back(ms);
        solo.push_back(MsResolverSolo(s, n));
    }
    Anotar("open a system file (Ctrl+O), shown", n, abrir, solo);
}

// --- output ------------------------------------------------------------------

std::string Texto(double v, int decimales) {
    char b[32];
    std::snprintf(b, sizeof b, "%.*f", decimales, v);
    return b;
}

// Three significant digits, without an exponent: 0.0000312, 41.3, 34500.
std::string Cifras(double v) {
    int decimales = 2;
    for (double a = std::abs(v); a > 0 && a < 1 && decimales < 9; a *= 10)
        ++decimales;
    if (std::abs(v) >= 100)
        decimales = 0;
    else if (std::abs(v) >= 10)
        decimales = 1;
    return Texto(v, decimales);
}

void Imprimir() {
    std::printf("\n%-44s %6s %11s %13s %12s %9s  %s\n", "step", "n", "median ms", "bare solve ms",
                "ratio", "target", "verdict");
    for (const Fila& f : filas) {
        const std::string solo = f.solo < 0 ? "-" : Cifras(f.solo);
        const std::string razon = f.solo <= 0 ? "-" : Cifras(f.mediana / f.solo);
        std::printf("%-44s %6s %11.3f %13s %12s %9s  %s%s%s\n", f.paso.c_str(), f.n.c_str(),
                    f.mediana, solo.c_str(), razon.c_str(), f.objetivo.c_str(),
                    f.cumple ? "ok" : "MISSED", f.nota.empty() ? "" : "  ", f.nota.c_str());
    }
    // Machine-readable, for run-all.sh: step|n|median|bare|ratio|target|verdict|note
    for (const Fila& f : filas)
        std::printf("FILA|%s|%s|%s|%s|%s|%s|%s|%s\n", f.paso.c_str(), f.n.c_str(),
                    Texto(f.mediana, 3).c_str(), f.solo < 0 ? "-" : Cifras(f.solo).c_str(),
                    f.solo <= 0 ? "-" : Cifras(f.mediana / f.solo).c_str(), f.objetivo.c_str(),
                    f.cumple ? "ok" : "MISSED", f.nota.c_str());
}

// The offscreen platform warns at every window raised; nothing else is hidden.
QtMessageHandler anterior = nullptr;
void FiltrarMensajes(QtMsgType tipo, const QMessageLogContext& contexto, const QString& texto) {
    if (texto == QLatin1String("This plugin does not support raise()"))
        return;
    if (anterior)
        anterior(tipo, contexto, texto);
}

} // namespace

int main(int argc, char** argv) {
    anterior = qInstallMessageHandler(FiltrarMensajes);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qt(argc, argv);
    // As the program: its screens were laid out for this face and size.
    QApplication::setFont(QFont(QStringLiteral("Liberation Sans"), 8));
    QApplication::setQuitOnLastWindowClosed(false);

    int repeticiones = 11;
    bool memoria = false;
    int ciclos = 0;
    QByteArray paso;
    std::vector<std::int32_t> tamanos(std::begin(kTamanos), std::end(kTamanos));
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--memoria") == 0)
            memoria = true;
        else if (std::strcmp(argv[i], "--ciclos") == 0 && i + 1 < argc)
            ciclos = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--repeticiones") == 0 && i + 1 < argc)
            repeticiones = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--n") == 0 && i + 1 < argc)
            tamanos = {std::clamp(std::atoi(argv[++i]), 4, int(kMayor))};
        else if (std::strcmp(argv[i], "--paso") == 0 && i + 1 < argc)
            paso = argv[++i];
        else
            Abortar("uso: bench_pantallas [--repeticiones N] [--n N] [--paso P] [--memoria] "
                    "[--ciclos N]");
    }
    if (memoria)
        return Memoria();
    if (ciclos > 0)
        return Ciclos(ciclos);

    std::printf("platform %s, decimal separator '%s', %d repetitions\n",
                qPrintable(QGuiApplication::platformName()), qPrintable(QLocale().decimalPoint()),
                repeticiones);
    ContadorPinturas pinturas;
    for (std::int32_t n : tamanos) {
        const Sistema s = Generar(n);
        const auto medir = [&paso](const char* nombre) { return paso.isEmpty() || paso == nombre; };
        if (medir("count"))
            MedirCuenta(n, s, repeticiones, pinturas);
        if (medir("check"))
            MedirComprobacion(n, s, repeticiones, pinturas);
        if (medir("solve")) {
            MedirResolucion(n, s, s, repeticiones, pinturas, "solve, results shown");
            if (n > 4)
                MedirResolucion(n, ConPivoteNulo(s), s, repeticiones, pinturas,
                                "solve needing pivoting, results shown");
        }
        if (medir("paste"))
            MedirPortapapeles(n, s, repeticiones);
        if (medir("open"))
            MedirApertura(n, s, repeticiones);
        if (medir("grid") && n == kMayor)
            MedirTablaMayor(s, repeticiones, pinturas);
        std::fflush(stdout);
    }
    Imprimir();
    return 0;
}
