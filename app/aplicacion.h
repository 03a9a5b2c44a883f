#pragma once
// The screen registry and the program's life: each screen exists at most once,
// is built on first use, shown non-modally and destroyed on unload. It decides
// when a screen "becomes active" (shown, or turned to from another of our
// screens; not when a message box, the help or another program hands the
// focus back), ends the program, and shows the last-resort report.

#include "app/datos1_publico.h"
#include "app/modulo_principal.h"
#include "app/pantalla.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <map>

class VentanaAyuda;

class Aplicacion : public QObject {
    Q_OBJECT

public:
    using Fabrica = std::function<Pantalla*(Aplicacion&)>;

    explicit Aplicacion(QObject* parent = nullptr);
    ~Aplicacion() override;

    void Registrar(IdPantalla id, Fabrica fabrica);
    bool Registrada(IdPantalla id) const { return m_fabricas.count(id) != 0; }

    // Naming a screen builds it when it does not exist.
    Pantalla& Obtener(IdPantalla id);
    Pantalla* Existente(IdPantalla id) const;
    // The data-entry screen if it exists; never builds one.
    Datos1Publico* Datos1() const;

    // Shows the screen non-modally and makes it the active one.
    void Mostrar(IdPantalla id);
    void DarFoco(IdPantalla id);
    // Runs the screen's unload handler, then destroys it. The program ends
    // when no screen is left open.
    void Descargar(IdPantalla id);

    // Ends at once: no further handler and no unload handler runs.
    void Terminar();
    bool Terminada() const { return m_terminada; }

    // Shows a failure nobody trapped, then ends the program.
    void InformeFinal(const QString& texto);

    void MostrarAyuda(QWidget* desde);

    ModuloPrincipal& Modulo() { return m_modulo; }
    Pantalla* Activa() const { return m_activa; }

    // A screen's window was activated; runs its activate handler when it
    // takes over from another screen.
    void Activada(Pantalla& pantalla);

signals:
    void terminada();

private:
    void Quitar(Pantalla& pantalla);
    bool QuedaAlgunaAbierta() const;

    std::map<IdPantalla, Fabrica> m_fabricas;
    std::map<IdPantalla, QPointer<Pantalla>> m_pantallas;
    QPointer<Pantalla> m_activa;
    QPointer<VentanaAyuda> m_ayuda;
    ModuloPrincipal m_modulo;
    bool m_terminada = false;
};
