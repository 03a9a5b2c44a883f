// The memory a long session leaves behind: the count confirmed, the cells
// typed, the system solved, "Ingresar nuevos datos" clicked, over and over,
// through the real screens. Resident size after a warm-up and after the
// cycles; the program should not grow with use.

#include "bench/banco_medidas.h"

#include <QFile>

namespace {

long ResidenteKb() {
    QFile estado(QStringLiteral("/proc/self/statm"));
    if (!estado.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> campos = estado.readAll().split(' ');
    return campos.size() > 1 ? campos[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

void Ciclo(Escenario& e, const Sistema& s, std::int32_t n) {
    e.ConfirmarCuenta(n);
    e.Llenar(s, n);
    e.Clic(e.Datos(), "Resolver");
    Vaciar();
    Exigir(e.Resultados() != nullptr, "no se mostró la pantalla de resultados");
    e.Clic(e.Resultados(), "Command2");
    Vaciar();
    LiberarPendientes();
    Exigir(e.Datos() != nullptr && e.Resultados() == nullptr,
           "no se volvió a la pantalla de datos");
}

} // namespace

int Ciclos(int cuantos) {
    constexpr std::int32_t n = 4;
    constexpr int kCalentamiento = 100;
    constexpr double kObjetivoMb = 2.0;
    const Sistema s = Generar(n);
    Escenario e;
    for (int i = 0; i < kCalentamiento; ++i)
        Ciclo(e, s, n);
    const long antes = ResidenteKb();
    for (int i = 0; i < cuantos; ++i)
        Ciclo(e, s, n);
    const double crecimientoMb = (ResidenteKb() - antes) / 1024.0;
    std::printf("FILA|memory growth: count, cells, solve, new data x %d|%d|%.2f MB|-|-|< %.0f "
                "MB|%s|resident size, after %d cycles of warm-up\n",
                cuantos, n, crecimientoMb, kObjetivoMb, crecimientoMb < kObjetivoMb ? "ok" : "MISSED",
                kCalentamiento);
    return 0;
}
