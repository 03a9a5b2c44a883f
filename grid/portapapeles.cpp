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
