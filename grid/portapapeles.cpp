#include "grid/portapapeles.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

CamposTabulados LeerTabulado(QStringView texto) {
    CamposTabulados bloque;
    if (texto.isEmpty())
        return bloque;
    if (texto.endsWith(u'\n'))
        texto.chop(1);
    for (qsizetype inicio = 0; inicio <= texto.size();) {
        qsizetype fin = texto.indexOf(u'\n', inicio);
        if (fin < 0)
            fin = texto.size();
        QStringView linea = texto.sliced(inicio, fin - inicio);
        if (linea.endsWith(u'\r'))
            linea.chop(1);
        bloque.m_lineas << linea;
        inicio = fin + 1;
    }
    return bloque;
}

qsizetype CamposTabulados::Partir(qsizetype fila, std::span<QStringView> campos) const {
    const QStringView linea = m_lineas[fila];
    qsizetype cuantos = 0;
    for (qsizetype inicio = 0;; ++cuantos) {
        const qsizetype tab = linea.indexOf(u'\t', inicio);
        if (std::size_t(cuantos) < campos.size())
            campos[std::size_t(cuantos)] =
                linea.sliced(inicio, (tab < 0 ? linea.size() : tab) - inicio);
        if (tab < 0)
            return cuantos + 1;
        inicio = tab + 1;
    }
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
