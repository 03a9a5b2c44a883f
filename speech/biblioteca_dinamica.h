#pragma once
// Libraries the voice needs only once it speaks: espeak-ng, the sound
// server's client and the sound-file libraries they bring. Linked to the
// program, they were all loaded before its first window, which they kept
// waiting about 8 ms; loaded here, by the thread that uses them, they are
// not.

#include <dlfcn.h>
#include <optional>

class BibliotecaDinamica {
public:
    explicit BibliotecaDinamica(const char* nombre) : m_biblioteca(dlopen(nombre, RTLD_NOW)) {}
    // Never closed: a library's threads and data may outlive whoever asked.
    BibliotecaDinamica(const BibliotecaDinamica&) = delete;
    BibliotecaDinamica& operator=(const BibliotecaDinamica&) = delete;

    // The function `nombre` into `funcion`; false when it or the library is
    // missing.
    template <typename Funcion> bool Tomar(Funcion*& funcion, const char* nombre) const {
        funcion = m_biblioteca ? reinterpret_cast<Funcion*>(dlsym(m_biblioteca, nombre)) : nullptr;
        return funcion != nullptr;
    }

private:
    void* m_biblioteca;
};

// The functions tomar(biblioteca, funciones) takes from the library `nombre`,
// loaded on the first call (each place that calls it has its own) by the
// thread that makes it; nullptr when the library or any function is missing.
template <typename Funciones, typename Tomar>
const Funciones* CargarFunciones(const char* nombre, Tomar tomar) {
    static const std::optional<Funciones> cargadas = [&]() -> std::optional<Funciones> {
        static const BibliotecaDinamica biblioteca(nombre);
        Funciones funciones{};
        if (!tomar(biblioteca, funciones))
            return std::nullopt;
        return funciones;
    }();
    return cargadas ? &*cargadas : nullptr;
}
