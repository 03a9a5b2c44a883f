#include "app/etiqueta.h"

#include <QLabel>

QFont Letra(const QString& familia, double puntos, bool negrita) {
    QFont fuente(familia);
    fuente.setPointSizeF(puntos);
    fuente.setBold(negrita);
    return fuente;
}

// Top-aligned, so that a label taller than its text (a larger font on
// another system) still starts where the layout puts its first line.
QLabel* CrearEtiqueta(QWidget* padre, const char* nombre, const QString& texto, QRect sitio,
                      const QFont& fuente, Qt::Alignment alineacion) {
    auto* etiqueta = new QLabel(texto, padre);
    etiqueta->setObjectName(QString::fromLatin1(nombre));
    etiqueta->setFont(fuente);
    etiqueta->setAlignment(alineacion | Qt::AlignTop);
    etiqueta->setGeometry(sitio);
    return etiqueta;
}
