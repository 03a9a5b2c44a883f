#include "grid/portapapeles.h"

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

QString EscribirTabulado(const BloqueTabulado& filas) {
    QString texto;
    for (const QStringList& fila : filas) {
        texto += fila.join(u'\t');
        texto += u'\n';
    }
    return texto;
}
