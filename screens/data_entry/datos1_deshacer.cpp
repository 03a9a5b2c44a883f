// Taking back changes to the coefficient grid: Ctrl+Z undoes, Ctrl+Y or
// Ctrl+Shift+Z redoes. What can be taken back: a checked cell, a paste, the
// zeros a solve wrote into empty cells, and a smaller count with the rows it
// removed. Each change keeps the blocks of cells as they were and as they
// became; the rows themselves come back through the same bulk writes.

#include "app/aviso_lector.h"
#include "app/conversiones/conversiones.h"
#include "grid/grid_control.h"
#include "screens/data_entry/datos1.h"

#include <QKeySequence>
#include <QLineEdit>
#include <QShortcut>
#include <QUndoCommand>
#include <QUndoStack>
#include <algorithm>

class Datos1::CambioDeTabla final : public QUndoCommand {
public:
    CambioDeTabla(Datos1& datos, const QString& que) : QUndoCommand(que), m_datos(datos) {}

    void Anadir(Tramo tramo) { m_tramos.push_back(std::move(tramo)); }
    // A count that went from `antes` equations to `despues`.
    void CambiarCuenta(std::int32_t antes, std::int32_t despues) { m_cuenta = {antes, despues}; }
    bool Vacio() const { return m_tramos.empty() && !m_cuenta; }

    void undo() override { m_datos.AplicarCambio(m_tramos, m_cuenta, true, text()); }
    // Pushed once the change is made: only a later redo applies it.
    void redo() override {
        if (!std::exchange(m_primeraVez, false))
            m_datos.AplicarCambio(m_tramos, m_cuenta, false, text());
    }

private:
    Datos1& m_datos;
    std::vector<Tramo> m_tramos;
    std::optional<std::pair<std::int32_t, std::int32_t>> m_cuenta;
    bool m_primeraVez = true;
};

void Datos1::PrepararDeshacer() {
    m_deshacer = new QUndoStack(this);
    m_avisoDeshacer = new AvisoLector(this);
    const auto atajo = [this](const QKeySequence& teclas, bool rehacer) {
        connect(new QShortcut(teclas, this), &QShortcut::activated, this, [this, rehacer] {
            Manejar([this, rehacer] { rehacer ? m_deshacer->redo() : m_deshacer->undo(); });
        });
    };
    atajo(QKeySequence(Qt::CTRL | Qt::Key_Z), false);
    atajo(QKeySequence(Qt::CTRL | Qt::Key_Y), true);
    atajo(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), true);
}

// A change already made, kept so it can be taken back.
void Datos1::Recordar(const QString& que, std::vector<Tramo> tramos,
                      std::optional<std::pair<std::int32_t, std::int32_t>> cuenta) {
    auto cambio = std::make_unique<CambioDeTabla>(*this, que);
    for (Tramo& tramo : tramos)
        cambio->Anadir(std::move(tramo));
    if (cuenta)
        cambio->CambiarCuenta(cuenta->first, cuenta->second);
    if (!cambio->Vacio())
        m_deshacer->push(cambio.release());
}

void Datos1::Recordar(const QString& que, Tramo tramo) {
    std::vector<Tramo> tramos;
    tramos.push_back(std::move(tramo));
    Recordar(que, std::move(tramos));
}

Datos1::Tramo Datos1::TramoAntes(std::int32_t fila, std::int32_t columna, std::int32_t filas,
                                 std::int32_t columnas) const {
    return {Tabla->KeepBlock(fila, columna, filas, columnas, kAlineacionDerecha), {}};
}

void Datos1::OlvidarCambios() {
    m_deshacer->clear();
}

// Only while the grid takes input: a count being typed has the box's own undo.
void Datos1::AplicarCambio(const std::vector<Tramo>& tramos,
                           const std::optional<std::pair<std::int32_t, std::int32_t>>& cuenta,
                           bool deshacer, const QString& que) {
    if (!Tabla->isEnabled())
        return;
    if (cuenta) {
        const std::int32_t n = deshacer ? cuenta->first : cuenta->second;
        Tabla->SetRowCount(n + 1);
        NumeroEcuaciones->setText(EnteroATexto(n));
    }
    for (const Tramo& tramo : tramos)
        Tabla->SetBlock(deshacer ? tramo.antes : tramo.despues);
    // The first cell brought back becomes the current one; for rows taken
    // away again, the last row that remains.
    if (!tramos.empty() && Tabla->RowCount() > 1) {
        Tabla->SetCurrentRow(std::clamp(tramos.front().antes.row, 1, Tabla->RowCount() - 1));
        Tabla->SetCurrentCol(std::max(tramos.front().antes.col, 1));
        Tabla->scrollTo(Tabla->model()->index(Tabla->CurrentRow() - 1, 0));
    }
    DatosCambiados();
    m_avisoDeshacer->Decir(
        (deshacer ? QStringLiteral("Deshecho: %1.") : QStringLiteral("Rehecho: %1.")).arg(que));
}
