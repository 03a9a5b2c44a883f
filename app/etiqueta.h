#pragma once
// Fixed labels of the screens laid out by hand, each in its own font.

#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QWidget;

QFont Letra(const QString& familia, double puntos, bool negrita = false);

QLabel* CrearEtiqueta(QWidget* padre, const char* nombre, const QString& texto, QRect sitio,
                      const QFont& fuente, Qt::Alignment alineacion = Qt::AlignLeft);
