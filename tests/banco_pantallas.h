#pragma once
// The data-entry and results screens wired as the program wires them, with a
// recording voice: where the screen tests start from.

#include "app/aplicacion.h"
#include "grid/qt_grid.h"
#include "screens/data_entry/datos1.h"
#include "screens/results/respuesta.h"
#include "speech/motor_voz_falso.h"

#include <memory>

class BancoPantallas {
protected:
    // A fresh program, its data-entry screen shown.
    void Montar() {
        voz = std::make_unique<MotorVozFalso>();
        app = std::make_unique<Aplicacion>();
        app->Registrar(IdPantalla::Datos1, [this](Aplicacion& a) { return new Datos1(a, *voz); });
        app->Registrar(IdPantalla::Respuesta, [](Aplicacion& a) { return new Respuesta(a); });
        app->Mostrar(IdPantalla::Datos1);
    }

    Pantalla* Datos() const { return app->Existente(IdPantalla::Datos1); }
    Pantalla* Resultados() const { return app->Existente(IdPantalla::Respuesta); }
    template <typename T> T* En(Pantalla* p, const char* nombre) const {
        return p ? p->findChild<T*>(QString::fromLatin1(nombre)) : nullptr;
    }
    QtGrid* Tabla() const { return En<QtGrid>(Datos(), "Tabla"); }

    std::unique_ptr<MotorVozFalso> voz;
    std::unique_ptr<Aplicacion> app;
};
