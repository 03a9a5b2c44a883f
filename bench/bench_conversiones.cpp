// Reading and writing the numbers of the largest system, by the program's own
// conversions and by QLocale's: the 131 064 coefficient texts of 32 766
// equations read as the solve reads them, and 32 766 unknowns written as the
// results screen writes them. Medians of 11 runs, per locale.

#include "app/conversiones/conversiones.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kEcuaciones = 32766;
constexpr int kCeldas = 4 * kEcuaciones;
constexpr int kRepeticiones = 11;

template <typename Trabajo> double MedianaMs(Trabajo&& trabajo) {
    std::vector<double> ms;
    for (int i = 0; i < kRepeticiones; ++i) {
        QElapsedTimer reloj;
        reloj.start();
        trabajo();
        ms.push_back(double(reloj.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

void Fila(const char* que, int cuantos, double nuestroMs, double qtMs) {
    std::printf("  %-34s %9.2f ms %7.3f us/value | QLocale %9.2f ms %7.3f us/value | %.1fx\n", que,
                nuestroMs, 1000 * nuestroMs / cuantos, qtMs, 1000 * qtMs / cuantos,
                qtMs / nuestroMs);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::mt19937_64 azar(kEcuaciones);
    std::uniform_real_distribution<double> u(-1000.0, 1000.0);
    std::vector<double> valores(kCeldas);
    for (double& v : valores)
        v = u(azar);

    for (const QLocale& locale : {QLocale(QLocale::Spanish, QLocale::Spain),
                                  QLocale(QLocale::English, QLocale::UnitedStates)}) {
        std::vector<QString> textos;
        for (double v : valores)
            textos.push_back(DobleATexto(v, locale)); // as checked cells hold them
        volatile double suma = 0;
        const double leerNuestro = MedianaMs([&] {
            for (const QString& t : textos)
                suma = suma + TextoADoble(t, locale);
        });
        const double leerQt = MedianaMs([&] {
            for (const QString& t : textos)
                suma = suma + locale.toDouble(t);
        });
        volatile qsizetype largo = 0;
        const double escribirNuestro = MedianaMs([&] {
            for (int i = 0; i < kEcuaciones; ++i)
                largo = largo + DobleATexto(valores[i], locale).size();
        });
        const double escribirQt = MedianaMs([&] {
            for (int i = 0; i < kEcuaciones; ++i)
                largo = largo + locale.toString(valores[i], 'g', 15).size();
        });
        std::printf("%s\n", qPrintable(locale.name()));
        Fila("read 131 064 coefficients", kCeldas, leerNuestro, leerQt);
        Fila("write 32 766 unknowns", kEcuaciones, escribirNuestro, escribirQt);
    }
    return 0;
}
