#pragma once
// The data-entry screen: the user states how many equations the system has,
// types their coefficients into the grid and asks for the solution.

#include "app/datos1_publico.h"
#include "app/pantalla.h"

#include <cstdint>

class BotonGrafico;
class QLabel;
class QLineEdit;
class QPushButton;
class QtGrid;

class Datos1 : public Pantalla, public Datos1Publico {
    Q_OBJECT

public:
    explicit Datos1(Aplicacion& app);

    void Hablar(const QString& texto) override;
    std::int32_t n() const override { return m_n; }

private:
    void CrearControles();

    QLabel* Label1 = nullptr;
    QLineEdit* NumeroEcuaciones = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* OK1 = nullptr;
    BotonGrafico* BotonCambio = nullptr;
    BotonGrafico* ComandoVoz = nullptr;
    BotonGrafico* BotonAcerca = nullptr;
    BotonGrafico* Resolver = nullptr;
    BotonGrafico* BotonSalir = nullptr;
    QtGrid* Tabla = nullptr;

    std::int32_t m_n = 0;
};
