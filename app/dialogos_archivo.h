#pragma once
// The file dialogs the screens share: Qt's own, with a filter for the
// comma-separated files Veltrana keeps systems in and one for all files. The
// folder last used is offered again for the rest of the run.

#include <QString>

class QByteArray;
class QWidget;

// The chosen file; empty when the user cancels.
QString PedirArchivoParaAbrir(QWidget* padre);
QString PedirArchivoParaGuardar(QWidget* padre, const QString& titulo, const QString& propuesto);

// Writes the file whole or not at all; a failure is told to the user, who
// learns that any earlier file is as it was. Whether it was written.
bool GuardarYAvisar(QWidget* padre, const QString& ruta, const QByteArray& contenido);
