#pragma once
// The data-entry and results screens wired as the program wires them, with a
// silent voice that notes what it would say: where the screen tests start
// from. A message box that the test does not expect fails it.

#include "app/aplicacion.h"
#include "grid/grid_model.h"
#include "grid/qt_grid.h"
#include "screens/data_entry/datos1.h"
#include "screens/results/respuesta.h"
#include "tests/ayudantes_pantallas.h"
#include "tests/motor_voz_falso.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>
#include <memory>

class BancoPantallas {
protected:
    // A fresh program, its data-entry screen shown and active; false when
    // it never became active.
    [[nodiscard]] bool Montar(LectorPantalla* lector = nullptr) {
        Armar(lector);
        app->Mostrar(IdPantalla::Datos1);
        return QTest::qWaitForWindowActive(Datos());
    }
    // A fresh program with no screen shown yet; with a screen reader, the
    // one the program's voice makes way for.
    void Armar(LectorPantalla* lector = nullptr) {
        voz = std::make_unique<MotorVozFalso>();
        app = std::make_unique<Aplicacion>();
        app->Registrar(IdPantalla::Datos1,
                       [this, lector](Aplicacion& a) { return new Datos1(a, *voz, lector); });
        app->Registrar(IdPantalla::Respuesta, [](Aplicacion& a) { return new Respuesta(a); });
    }

    Pantalla* Datos() const { return app->Existente(IdPantalla::Datos1); }
    Pantalla* Resultados() const { return app->Existente(IdPantalla::Respuesta); }
    template <typename T> T* En(Pantalla* p, const char* nombre) const {
        return p ? p->findChild<T*>(QString::fromLatin1(nombre)) : nullptr;
    }
    QtGrid* Tabla() const { return En<QtGrid>(Datos(), "Tabla"); }
    QLineEdit* Caja() const { return En<QLineEdit>(Datos(), "NumeroEcuaciones"); }
    void Clic(Pantalla* p, const char* boton) { En<QAbstractButton>(p, boton)->click(); }

    // The count typed and confirmed with OK.
    void ConfirmarCuenta(int n) {
        Caja()->setText(QString::number(n));
        QTest::mouseClick(En<QWidget>(Datos(), "OK1"), Qt::LeftButton);
    }
    // The data-entry screen's state: "count" (the box and OK take input) or
    // "coefficients" (the grid, solve and change count do); anything in
    // between is "mixed", a fault.
    const char* Estado() const {
        const bool c = Tabla()->isEnabled();
        const auto visible = [this](const char* boton) {
            return En<QWidget>(Datos(), boton)->isVisible();
        };
        const bool coherente = Caja()->isEnabled() != c && visible("Resolver") == c &&
                               visible("OK1") != c && visible("BotonCambio") == c;
        return !coherente ? "mixed" : c ? "coefficients" : "count";
    }
    // Each row's A, B, C, D written as the program writes cells, unchecked;
    // "{d}" is the decimal separator of the locale under test.
    void Poner(const QList<QStringList>& filas) {
        for (int i = 0; i < filas.size(); ++i)
            for (int c = 0; c < 4; ++c) {
                Tabla()->SetCurrentRow(i + 1);
                Tabla()->SetCurrentCol(c + 1);
                Tabla()->SetCellText(ConSeparador(filas[i][c]));
            }
    }
    // A click on a cell of the coefficient grid, (1, 1) being A1.
    void ClicEn(int fila, int col) {
        QTest::mouseClick(Tabla()->viewport(), Qt::LeftButton, {},
                          Tabla()->visualRect(Tabla()->model()->index(fila - 1, col - 1)).center());
    }
    // (row, column) of the coefficient grid's current cell, as GridControl counts them.
    QPoint Actual() const { return {Tabla()->CurrentRow(), Tabla()->CurrentCol()}; }
    // The coefficient cells as the user sees them, row by row: each one's
    // text, then "*" when it is marked (coloured as the cell check leaves a
    // cell it rejects) and ">" when it is right-aligned, as the check leaves
    // the numbers it rewrites.
    QList<QStringList> Vistas() const {
        QList<QStringList> filas(Tabla()->RowCount() - 1);
        for (int f = 1; f < Tabla()->RowCount(); ++f)
            for (int c = 1; c <= 4; ++c) {
                const QModelIndex i = Tabla()->gridModel()->index(f - 1, c - 1);
                const bool derecha = i.data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight;
                const QVariant fondo = i.data(Qt::BackgroundRole);
                const bool marcada = fondo.isValid() && fondo.value<QBrush>().color().rgb() ==
                                                            Tabla()->MarkColors().back;
                filas[f - 1] << i.data().toString() + (marcada ? "*" : "") + (derecha ? ">" : "");
            }
        return filas;
    }

    std::unique_ptr<MotorVozFalso> voz;
    std::unique_ptr<Aplicacion> app;
    TrampaMensajes trampa;
};

// The offscreen platform warns at every raise() and more: a test that goes
// through the screens thousands of times would drown what it reports.
inline void SinAvisosDeLaPlataforma() {
    static QtMessageHandler previo = nullptr;
    previo = qInstallMessageHandler(
        [](QtMsgType tipo, const QMessageLogContext& contexto, const QString& texto) {
            if (!texto.contains(QLatin1String("This plugin does not support")))
                previo(tipo, contexto, texto);
        });
}
