#pragma once
// The splash screen: the program's name, version, author and logo, until the
// user presses a key that types something or clicks its margin or frame.
// Then it hands over to the data-entry screen.

#include "app/pantalla.h"

class QFrame;

class Portada : public Pantalla {
    Q_OBJECT

public:
    explicit Portada(Aplicacion& app);

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void Form_Click();
    void Form_KeyPress(int codigo);
    void Frame1_Click();
    void Continuar();

    QFrame* Frame1 = nullptr;
};
