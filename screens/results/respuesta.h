#pragma once
// The results screen: the unknowns x1 … xn of the system just solved, and the
// choice between entering a new system and leaving the program.

#include "app/pantalla.h"

#include <cstdint>

class BotonGrafico;
class GridControl;
class QLabel;

class Respuesta : public Pantalla {
    Q_OBJECT

public:
    explicit Respuesta(Aplicacion& app);

    void Form_Activate() override;
    void Form_Unload() override;

private:
    void Command1_Click();
    void Command2_Click();
    void LlenarIncognitas(std::int32_t n);
    void Incognitas_Copy();
    void Guardar_Click();

    GridControl* Incognitas = nullptr;
    QLabel* Exactitud = nullptr; // how far the unknowns can be trusted
    BotonGrafico* Command2 = nullptr;
    BotonGrafico* Command1 = nullptr;

    // -1 (true): unloading this screen ends the program.
    std::int16_t TerminarAlCerrar = 0;
};
