// The steps of bench_pantallas at the largest size only: the coefficient grid
// scrolled, paged, edited and repainted, and the peak memory of one pass.

#include "bench/banco_medidas.h"

#include <QFile>
#include <QPixmap>
#include <QScrollBar>
#include <cstring>

// The coefficient grid at its largest, every cell filled.
void MedirTablaMayor(const Sistema& s, int repeticiones, ContadorPinturas& pinturas) {
    Escenario e;
    e.ConfirmarCuenta(kMayor);
    e.Llenar(s, kMayor);
    QtGrid* tabla = e.Tabla();
    Exigir(tabla->RowCount() == kMayor + 1, "la tabla mayor no tiene 32 767 filas");
    pinturas.vigilado = tabla->viewport();
    const auto n = tabla->RowCount();

    // Scroll bar dragged to the end in 100 steps.
    QScrollBar* barra = tabla->verticalScrollBar();
    std::vector<double> pasos;
    int antes = pinturas.Vigilado;
    for (int i = 1; i <= 100; ++i) {
        const int valor = int(std::int64_t(barra->maximum()) * i / 100);
        pasos.push_back(Ms([&] {
            barra->setValue(valor);
            Vaciar();
        }));
    }
    Exigir(barra->value() == barra->maximum(), "la barra no llegó al final");
    Exigir(pinturas.Vigilado >= antes + 100, "un paso de la barra no repintó la tabla");
    filas.push_back({"grid: scroll bar step (100 to the end)", std::to_string(n), Mediana(pasos),
                     -1, "< 100 ms", Maximo(pasos) < kObjetivoMs,
                     "max " + std::to_string(Maximo(pasos)).substr(0, 5) + " ms"});

    // Page Down from the top, then Ctrl+End.
    barra->setValue(0);
    Seleccionar(tabla, 1, 1);
    std::vector<double> paginas;
    antes = pinturas.Vigilado;
    for (int i = 0; i < 200; ++i)
        paginas.push_back(Ms([&] {
            Pulsar(Qt::Key_PageDown);
            Vaciar();
        }));
    Exigir(tabla->CurrentRow() > 200, "Página abajo no movió la celda actual");
    Exigir(pinturas.Vigilado >= antes + 200, "una página no repintó la tabla");
    const double alFinal = Ms([&] {
        Pulsar(Qt::Key_End, Qt::ControlModifier);
        Vaciar();
    });
    Exigir(tabla->CurrentRow() == n - 1 && barra->value() == barra->maximum(),
           "Ctrl+Fin no llevó a la última fila");
    filas.push_back({"grid: Page Down key (200 presses)", std::to_string(n), Mediana(paginas), -1,
                     "< 100 ms", Maximo(paginas) < kObjetivoMs && alFinal < kObjetivoMs,
                     "max " + std::to_string(Maximo(paginas)).substr(0, 5) + " ms; Ctrl+End " +
                         std::to_string(alFinal).substr(0, 5) + " ms"});

    // An edit on the last row: two keys and Enter, checked.
    std::vector<double> ediciones;
    for (int r = 0; r < repeticiones; ++r) {
        Seleccionar(tabla, n - 1, 1 + r % 4);
        ediciones.push_back(Ms([&] {
            Teclear(QString::number(10 + r));
            Pulsar(Qt::Key_Return);
            Vaciar();
        }));
        Exigir(tabla->gridModel()->text(n - 2, r % 4) == QString::number(10 + r),
               "la edición de la última fila no quedó");
    }
    filas.push_back({"grid: edit on the last row (2 keys + Enter)", std::to_string(n),
                     Mediana(ediciones), -1, "< 100 ms", Mediana(ediciones) < kObjetivoMs, ""});

    // A full repaint of the grid, into a pixmap.
    std::vector<double> repintados;
    for (int r = 0; r < repeticiones; ++r) {
        QPixmap imagen;
        repintados.push_back(Ms([&] { imagen = tabla->grab(); }));
        Exigir(!imagen.isNull(), "grab() no dio imagen");
    }
    filas.push_back({"grid: full repaint (grab)", std::to_string(n), Mediana(repintados), -1,
                     "< 100 ms", Mediana(repintados) < kObjetivoMs, ""});
    pinturas.vigilado = nullptr;
}

// Peak and current resident set, from the kernel's own accounting (kB).
long Estado(const char* campo) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& linea : f.readAll().split('\n'))
        if (linea.startsWith(campo))
            return linea.mid(int(std::strlen(campo))).trimmed().split(' ').front().toLong();
    return -1;
}

// One pass at the largest size, as the program goes: count, every cell filled
// (15 significant digits in each: the most text a cell takes), solve, results
// shown. Peak RSS of the whole process. The resident size once the count is
// confirmed is printed too: run-all.sh reads the real program's at the same
// point, and the difference is what the program carries beyond this harness
// (its voice, its sound server connection, its splash screen).
int Memoria() {
    constexpr double kObjetivoMb = 80.0;
    long conCuenta = 0;
    {
        Escenario e;
        e.ConfirmarCuenta(kMayor);
        conCuenta = Estado("VmRSS:");
        const Sistema s = Generar(kMayor);
        e.Llenar(s, kMayor);
        e.Clic(e.Datos(), "Resolver");
        Vaciar();
        Exigir(e.Resultados() && e.Resultados()->isVisible(),
               "no se mostró la pantalla de resultados");
        LiberarPendientes();
    }
    const double pico = double(Estado("VmHWM:")) / 1024;
    std::printf("peak RSS (VmHWM): %.1f MB; resident %.1f MB once the count was confirmed; "
                "platform %s\n",
                pico, double(conCuenta) / 1024, qPrintable(QGuiApplication::platformName()));
    std::printf("MEMORIA|%.1f|%.1f|%s\n", pico, double(conCuenta) / 1024,
                qPrintable(QGuiApplication::platformName()));
    std::printf("FILA|peak RSS, count + cells + solve + results|%d|%.1f MB|-|-|< 80 MB|%s|%s\n",
                kMayor, pico, pico < kObjetivoMb ? "ok" : "MISSED",
                qPrintable(QGuiApplication::platformName()));
    return 0;
}
