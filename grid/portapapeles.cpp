#include "grid/portapapeles.h"

CamposTabulados LeerTabulado(QStringView texto) {
    CamposTabulados bloque;
    if (texto.isEmpty())
        return bloque;
    if (texto.endsWith(u'\n'))
        texto.chop(1);
    // A system has four fields a row: the lists are sized for that.
    const qsizetype lineas = texto.count(u'\n') + 1;
    bloque.m_inicios.reserve(lineas + 1);
    bloque.m_campos.reserve(lineas * 4);
    for (qsizetype inicio = 0; inicio <= texto.size();) {
        qsizetype fin = texto.indexOf(u'\n', inicio);
        if (fin < 0)
            fin = texto.size();
        QStringView linea = texto.sliced(inicio, fin - inicio);
        if (linea.endsWith(u'\r'))
            linea.chop(1);
        for (qsizetype campo = 0;;) {
            const qsizetype tab = linea.indexOf(u'\t', campo);
            bloque.m_campos << linea.sliced(campo, (tab < 0 ? linea.size() : tab) - campo);
            if (tab < 0)
                break;
            campo = tab + 1;
        }
        bloque.m_inicios << bloque.m_campos.size();
        inicio = fin + 1;
    }
    return bloque;
}

QString EscribirTabulado(const BloqueTabulado& filas) {
    QString texto;
    for (const QStringList& fila : filas) {
        texto += fila.join(u'\t');
        texto += u'\n';
    }
    return texto;
}
