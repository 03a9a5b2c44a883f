// Replays saved inputs through a fuzz target without libFuzzer, so that the
// corpus kept in the repository runs as an ordinary test with any compiler.
// Each argument is a file or a folder of files. An empty or missing corpus
// fails: a test that checks nothing must not pass.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> archivos;
    for (int i = 1; i < argc; ++i) {
        const fs::path ruta(argv[i]);
        if (fs::is_directory(ruta)) {
            for (const auto& e : fs::directory_iterator(ruta))
                if (e.is_regular_file())
                    archivos.push_back(e.path());
        } else if (fs::is_regular_file(ruta)) {
            archivos.push_back(ruta);
        }
    }
    if (archivos.empty()) {
        std::fprintf(stderr, "no input to replay\n");
        return 1;
    }
    std::sort(archivos.begin(), archivos.end());

    LLVMFuzzerInitialize(&argc, &argv);
    for (const fs::path& archivo : archivos) {
        std::ifstream f(archivo, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
        // A copy of exactly the input's size, so reading past it is caught.
        std::vector<std::uint8_t> datos(bytes.begin(), bytes.end());
        std::fprintf(stderr, "%s\n", archivo.filename().c_str());
        LLVMFuzzerTestOneInput(datos.empty() ? nullptr : datos.data(), datos.size());
    }
    std::printf("%zu inputs replayed\n", archivos.size());
    return 0;
}
