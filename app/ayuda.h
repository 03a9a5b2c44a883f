#pragma once
// The program's own help window: the Spanish help document Ayudavt.html,
// shipped beside the program or in its share folder once installed.

#include <QWidget>

class AvisoLector;
class QTextBrowser;
class QUrl;

// A window holding the document rather than the document as the window: a
// screen reader then announces a window by its title and reads the document
// that has the focus inside it. The arrow keys move a caret through the text,
// Ctrl+Down and Ctrl+Up go from heading to heading, and Escape closes.
class VentanaAyuda : public QWidget {
    Q_OBJECT

public:
    explicit VentanaAyuda(const QString& ruta);

    // Where the help document is; empty when it cannot be found.
    static QString Buscar();
    // Why the document found there cannot be shown (a folder, an empty or
    // unreadable file); empty when it can.
    static QString Problema(const QString& ruta);

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void AnunciarEnlace();
    void IrAlAncla(const QUrl& destino);
    void IrASeccion(int sentido);
    void LlevarCursorA(int posicion);

    QTextBrowser* Documento = nullptr;
    AvisoLector* Aviso = nullptr;
};
