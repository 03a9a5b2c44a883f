#pragma once
// The program's own help window: the Spanish help document Ayudavt.html,
// shipped beside the program or in its share folder once installed.

#include <QTextBrowser>

class VentanaAyuda : public QTextBrowser {
    Q_OBJECT

public:
    explicit VentanaAyuda(const QString& ruta);

    // Where the help document is; empty when it cannot be found.
    static QString Buscar();
};
