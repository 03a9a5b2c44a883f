#include "grid/portapapeles.h"

BloqueTabulado LeerTabulado(const QString& texto) {
    BloqueTabulado filas;
    if (texto.isEmpty())
        return filas;
    QStringView resto(texto);
    if (resto.endsWith(u'\n'))
        resto.chop(1);
    filas.reserve(resto.count(u'\n') + 1);
    for (QStringView linea : resto.split(u'\n')) {
        if (linea.endsWith(u'\r'))
            linea.chop(1);
        QStringList campos;
        for (QStringView campo : linea.split(u'\t'))
            campos << campo.toString();
        filas << campos;
    }
    return filas;
}

QString EscribirTabulado(const BloqueTabulado& filas) {
    QString texto;
    for (const QStringList& fila : filas) {
        texto += fila.join(u'\t');
        texto += u'\n';
    }
    return texto;
}
