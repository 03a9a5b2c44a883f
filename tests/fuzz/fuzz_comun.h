#pragma once
// Shared by the fuzz targets, each one LLVMFuzzerTestOneInput built either
// with libFuzzer or, with VELTRANA_REPLAY defined, with the main() at the end
// of this file, which feeds it the corpus kept in the repository.

#include "app/conversiones/conversiones.h"
#include "solver/error_numerado.h"

#include <QDebug>
#include <QLocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fuzz {

inline const QLocale kEs(QLocale::Spanish, QLocale::Spain);
inline const QLocale kEn(QLocale::English, QLocale::UnitedStates);

// Says what broke on which text, then aborts: libFuzzer keeps the input, and
// the replay test fails.
[[noreturn]] inline void Fallo(const char* donde, const char* que, const QString& texto) {
    QString legible;
    QDebug(&legible) << texto.left(400);
    std::fprintf(stderr, "%s: invariant broken: %s\n  text: %s\n", donde, que, qPrintable(legible));
    std::abort();
}

inline QString Texto(const std::uint8_t* datos, std::size_t tam) {
    return QString::fromUtf8(reinterpret_cast<const char*>(datos), qsizetype(tam));
}

// What a conversion gave: a value, or (error not 0) the number of its
// failure. Anything but ErrorNumerado escaping is a failure.
struct Lectura {
    double valor = 0;
    int error = 0;
};
template <typename F> Lectura Leer(F&& operacion, const QString& texto) {
    try {
        return {operacion(), 0};
    } catch (const ErrorNumerado& e) {
        return {0, e.valor()};
    } catch (...) {
        Fallo(__FILE__, "something other than ErrorNumerado was raised", texto);
    }
}

} // namespace fuzz

#define VERIFICAR(cond, texto)                                                                     \
    do {                                                                                           \
        if (!(cond))                                                                               \
            ::fuzz::Fallo(__FILE__ ":" QT_STRINGIFY(__LINE__), #cond, (texto));                    \
    } while (false)

#ifdef VELTRANA_REPLAY
// Every input of the folder given; none at all fails, for a test that checks
// nothing must not pass.
int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> archivos;
    if (argc == 2 && fs::is_directory(argv[1]))
        for (const fs::directory_entry& e : fs::directory_iterator(argv[1]))
            archivos.push_back(e.path());
    if (archivos.empty()) {
        std::fprintf(stderr, "no input to replay\n");
        return 1;
    }
    for (const fs::path& archivo : archivos) {
        // Exactly the input's size, so that reading past it is caught.
        std::vector<std::uint8_t> datos(fs::file_size(archivo));
        std::ifstream(archivo, std::ios::binary)
            .read(reinterpret_cast<char*>(datos.data()), datos.size());
        std::fprintf(stderr, "%s\n", archivo.filename().c_str());
        LLVMFuzzerTestOneInput(datos.data(), datos.size());
    }
    std::printf("%zu inputs replayed\n", archivos.size());
}
#endif
