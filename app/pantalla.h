#pragma once
// Base of the program's four screens: a fixed-size, centred window laid out in
// twips, told when it becomes the active screen and when it is unloaded, with
// F1 for help and an hourglass pointer. Handlers run through Manejar(), so a
// failure nobody trapped ends in the last-resort report instead of travelling
// through Qt's event loop.

#include <QRect>
#include <QWidget>

#include <utility>

class Aplicacion;

enum class IdPantalla { Datos1, Respuesta, AcercaDe, Portada };

enum class Puntero { Predeterminado = 0, RelojDeArena = 11 };

class Pantalla : public QWidget {
    Q_OBJECT

public:
    Pantalla(Aplicacion& app, IdPantalla id, int anchoTwips, int altoTwips);

    IdPantalla Id() const { return m_id; }
    Aplicacion& App() const { return m_app; }

    void SetPuntero(Puntero puntero);
    Puntero GetPuntero() const { return m_puntero; }

    // Runs when the screen becomes the active screen of the program.
    virtual void Form_Activate() {}
    // Runs when the screen is being unloaded (not when the program ends).
    virtual void Form_Unload() {}

    // Runs a handler to completion; an untrapped failure goes to the
    // last-resort report. Nothing runs once the program has ended.
    template <typename Handler> void Manejar(Handler&& handler) {
        if (Terminada())
            return;
        try {
            std::forward<Handler>(handler)();
        } catch (...) {
            InformarFalloNoAtrapado(); // reads the current exception
        }
    }

    // Twips (1/1440 inch) to pixels at the 96-dpi reference: 15 twips a pixel.
    // Qt's high-DPI scaling takes care of denser displays.
    static constexpr int Pixeles(int twips) { return (twips + 7) / 15; }
    static QRect Twips(int left, int top, int width, int height);

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    bool Terminada() const;
    void InformarFalloNoAtrapado();

    Aplicacion& m_app;
    IdPantalla m_id;
    Puntero m_puntero = Puntero::Predeterminado;
};
