// ResolverSistema against the same elimination without any check and against
// LAPACK's dgtsv. All of them keep one contract: the coefficients are read-only,
// the result goes to the caller's Solucion (reused from call to call) and the
// scratch is allocated per call. dgtsv overwrites its matrix and right-hand
// side, so its wrapper copies them into that scratch: the price any caller that
// keeps its coefficients pays. The per-statement reference path is timed too,
// at the smaller sizes, to show what the single end-of-solve check saves.
//
// The machine is shared: CPU time, medians of repetitions interleaved at random
// across all the benchmarks, so that a noisy spell hits them all alike. glibc
// would serve the large scratch arrays from fresh mappings or a trimmed heap,
// and how many page faults a solve takes would then depend on the sizes its
// neighbours asked for; with mapping and trimming off every solve but the first
// of each size runs on warm memory, and the figures compare arithmetic and
// memory traffic only.

#include "solver/resolver_sistema.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <malloc.h>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

extern "C" void dgtsv_(const int* n, const int* nrhs, double* dl, double* d, double* du, double* b,
                       const int* ldb, int* info);

namespace {

using Vec = std::vector<double>;
using Resolutor = void (*)(std::int32_t, const Vec&, const Vec&, const Vec&, const Vec&, Vec&);

void BucleSimple(std::int32_t n, const Vec& A, const Vec& B, const Vec& C, const Vec& D, Vec& x) {
    const auto tam = static_cast<std::size_t>(n);
    x.assign(tam, 0.0);
    const auto Beta = std::make_unique_for_overwrite<double[]>(tam);
    const auto Gamma = std::make_unique_for_overwrite<double[]>(tam);
    Beta[0] = B[0];
    Gamma[0] = D[0];
    for (std::int32_t i = 1; i < n; ++i) {
        const double m = A[i] / Beta[i - 1];
        Beta[i] = B[i] - m * C[i - 1];
        Gamma[i] = D[i] - m * Gamma[i - 1];
    }
    x[n - 1] = Gamma[n - 1] / Beta[n - 1];
    for (std::int32_t k = n - 2; k >= 0; --k)
        x[k] = (Gamma[k] - C[k] * x[k + 1]) / Beta[k];
}

void ConDgtsv(std::int32_t n, const Vec& A, const Vec& B, const Vec& C, const Vec& D, Vec& x) {
    Vec dl(A.begin() + 1, A.begin() + n), d(B.begin(), B.begin() + n),
        du(C.begin(), C.begin() + n - 1);
    x.assign(D.begin(), D.begin() + n);
    const int nrhs = 1;
    int info = 0;
    dgtsv_(&n, &nrhs, dl.data(), d.data(), du.data(), x.data(), &n, &info);
    if (info != 0)
        throw std::runtime_error("dgtsv: pivote nulo");
}

const std::int32_t kTamanos[] = {4, 1000, 32766, 1000000, 10000000};
constexpr std::int32_t kMayorPasoAPaso = 32766;

struct Sistema {
    Vec A, B, C, D;
};
std::map<std::int32_t, Sistema> sistemas;

// Diagonally dominant, so that dgtsv never swaps rows and all do the same work.
Sistema Generar(std::int32_t n) {
    std::mt19937_64 gen(static_cast<std::uint64_t>(n));
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    Sistema s{Vec(n), Vec(n), Vec(n), Vec(n)};
    for (std::int32_t i = 0; i < n; ++i) {
        s.A[i] = u(gen);
        s.C[i] = u(gen);
        s.D[i] = u(gen);
        s.B[i] = 2.5 + u(gen);
    }
    return s;
}

void Medir(benchmark::State& estado, Resolutor resolver) {
    const auto n = static_cast<std::int32_t>(estado.range(0));
    const Sistema& s = sistemas.at(n);
    Vec x;
    for (auto _ : estado) {
        resolver(n, s.A, s.B, s.C, s.D, x);
        benchmark::DoNotOptimize(x.data());
        benchmark::ClobberMemory();
    }
}

// Keeps the median CPU time, in ns, of every (benchmark, n) for the summary.
class Recolector : public benchmark::ConsoleReporter {
public:
    Recolector() : ConsoleReporter(OO_Tabular) {}

    std::map<std::pair<std::string, std::int32_t>, double> medianas;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.aggregate_name == "median")
                medianas[{r.run_name.function_name, std::stoi(r.run_name.args)}] =
                    r.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

void ImprimirResumen(const Recolector& r) {
    const auto t = [&](const char* nombre, std::int32_t n) {
        const auto it = r.medianas.find({nombre, n});
        return it == r.medianas.end() ? 0.0 : it->second / 1e3;
    };
    std::printf("\nMedianas de tiempo de CPU (µs)\n%9s %14s %12s %12s %12s %9s %9s %9s\n", "n",
                "Resolver", "BucleSimple", "dgtsv", "PasoAPaso", "R/Bucle", "R/dgtsv", "R/Paso");
    for (std::int32_t n : kTamanos) {
        const double res = t("ResolverSistema", n), bucle = t("BucleSimple", n),
                     lapack = t("dgtsv", n), paso = t("PasoAPaso", n);
        std::printf("%9d %14.3f %12.3f %12.3f %12.3f %9.3f %9.3f", n, res, bucle, lapack, paso,
                    res / bucle, res / lapack);
        if (paso > 0)
            std::printf(" %9.3f", res / paso);
        std::printf("\n");
    }
}

} // namespace

int main(int argc, char** argv) {
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    // Defaults that the command line can still override.
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> args{argv[0], interleave};
    args.insert(args.end(), argv + 1, argv + argc);
    int cuenta = static_cast<int>(args.size());
    benchmark::Initialize(&cuenta, args.data());
    if (benchmark::ReportUnrecognizedArguments(cuenta, args.data()))
        return 1;

    for (std::int32_t n : kTamanos)
        sistemas.emplace(n, Generar(n));
    const std::pair<const char*, Resolutor> resolutores[] = {
        {"ResolverSistema", &ResolverSistema},
        {"BucleSimple", &BucleSimple},
        {"dgtsv", &ConDgtsv},
        {"PasoAPaso", &ResolverSistemaPasoAPaso},
    };
    for (const auto& [nombre, resolver] : resolutores) {
        auto* b = benchmark::RegisterBenchmark(nombre, Medir, resolver);
        for (std::int32_t n : kTamanos)
            if (resolver != &ResolverSistemaPasoAPaso || n <= kMayorPasoAPaso)
                b->Arg(n);
        b->Repetitions(11)->ReportAggregatesOnly(true)->MinTime(0.2);
    }

    Recolector recolector;
    benchmark::RunSpecifiedBenchmarks(&recolector);
    ImprimirResumen(recolector);
    benchmark::Shutdown();
}
