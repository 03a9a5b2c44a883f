#include "grid/portapapeles.h"

#include <bit>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Every position of c in the text, in order, to hallado(posicion). Eight
// characters at a time where the processor allows: a whole system's text
// has 131 064 fields in 1.5 million characters, and a search started afresh
// for each short field spends more time starting than searching.
template <typename Hallado> void Buscar(QStringView texto, char16_t c, Hallado&& hallado) {
    const char16_t* p = texto.utf16();
    const auto n = std::size_t(texto.size());
    std::size_t i = 0;
#ifdef __SSE2__
    const __m128i buscado = _mm_set1_epi16(short(c));
    for (; i + 8 <= n; i += 8) {
        const __m128i ocho = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        // Two bits for each character found, one for each of its bytes.
        auto bits = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi16(ocho, buscado)));
        for (; bits != 0; bits &= bits - 1, bits &= bits - 1)
            hallado(qsizetype(i + unsigned(std::countr_zero(bits)) / 2));
    }
#endif
    for (; i < n; ++i)
        if (p[i] == c)
            hallado(qsizetype(i));
}

// The pieces of the text between the separators, in order, to pieza(vista).
template <typename Pieza> void Cortar(QStringView texto, char16_t separador, Pieza&& pieza) {
    qsizetype inicio = 0;
    const auto cortar = [&](qsizetype fin) {
        pieza(texto.sliced(inicio, fin - inicio));
        inicio = fin + 1;
    };
    Buscar(texto, separador, cortar);
    cortar(texto.size());
}

} // namespace

CamposTabulados LeerTabulado(QStringView texto) {
    CamposTabulados bloque;
    if (texto.isEmpty())
        return bloque;
    if (texto.endsWith(u'\n'))
        texto.chop(1);
    Cortar(texto, u'\n', [&bloque](QStringView linea) {
        if (linea.endsWith(u'\r'))
            linea.chop(1);
        bloque.m_lineas << linea;
    });
    return bloque;
}

qsizetype CamposTabulados::Partir(qsizetype fila, std::span<QStringView> campos) const {
    std::size_t cuantos = 0;
    Cortar(m_lineas[fila], u'\t', [&](QStringView campo) {
        if (cuantos < campos.size())
            campos[cuantos] = campo;
        ++cuantos;
    });
    return qsizetype(cuantos);
}

bool ConControles(QStringView texto) {
    const char16_t* c = texto.utf16();
    const auto n = std::size_t(texto.size());
    std::size_t i = 0;
#ifdef __SSE2__
    // SSE2 compares signed 16-bit lanes: the sign bit flipped, the signed
    // order is the unsigned one.
    const __m128i signo = _mm_set1_epi16(short(0x8000));
    const __m128i espacio = _mm_xor_si128(_mm_set1_epi16(0x20), signo);
    for (; i + 8 <= n; i += 8) {
        const __m128i ocho = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + i));
        const __m128i control = _mm_cmplt_epi16(_mm_xor_si128(ocho, signo), espacio);
        const __m128i permitido =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(ocho, _mm_set1_epi16(u'\t')),
                                      _mm_cmpeq_epi16(ocho, _mm_set1_epi16(u'\n'))),
                         _mm_cmpeq_epi16(ocho, _mm_set1_epi16(u'\r')));
        if (_mm_movemask_epi8(_mm_andnot_si128(permitido, control)) != 0)
            return true;
    }
#endif
    for (; i < n; ++i)
        if (c[i] < 0x20 && c[i] != u'\t' && c[i] != u'\n' && c[i] != u'\r')
            return true;
    return false;
}

QString EscribirTabulado(std::span<const QString> celdas, qsizetype columnas) {
    qsizetype largo = 0;
    for (const QString& celda : celdas)
        largo += celda.size() + 1;
    QString texto;
    texto.reserve(largo);
    for (std::size_t i = 0; i < celdas.size(); ++i) {
        texto += celdas[i];
        texto += (qsizetype(i) + 1) % columnas == 0 ? u'\n' : u'\t';
    }
    return texto;
}
