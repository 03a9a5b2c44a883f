#pragma once
// The about box: the program, its author and where to reach him. It speaks
// its greeting each time it becomes the active screen.

#include "app/pantalla.h"

class QPushButton;

class AcercaDe : public Pantalla {
    Q_OBJECT

public:
    explicit AcercaDe(Aplicacion& app);

    void Form_Activate() override;

protected:
    void focusOutEvent(QFocusEvent* e) override;

private:
    void Command1_Click();
    void Form_LostFocus();

    QPushButton* Command1 = nullptr;
};
