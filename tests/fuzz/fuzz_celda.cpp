// Arbitrary text typed into a cell of the real data-entry screen (with a
// recording voice) and committed, so that the screen's cell check runs on
// it. The first byte picks the locale (es_ES or en_US), the cell and the key
// that ends the edit (Enter or Tab); the rest is the text, pasted into the
// cell's editor. An input fails when the cell ends up other than:
// - a number in normal form that reads back to the typed value within 15
//   significant digits, unmarked, right-aligned, the edit closed and the
//   current cell where the key moved it; or
// - marked, holding the typed text unchanged, reopened for editing, the
//   current cell still on it;
// with accepted exactly when the text reads as a double; or when anything
// else on the screen changed: another cell, the count box, the states, the
// voice, a message box.

#include "tests/fuzz/fuzz_comun.h"

#include "app/aplicacion.h"
#include "grid/grid_model.h"
#include "grid/qt_grid.h"
#include "screens/data_entry/datos1.h"
#include "speech/motor_voz_falso.h"

#include <QBrush>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <array>

namespace {

constexpr int kLado = 4; // a 4-equation system: cells (1…4, 1…4)

struct Celda {
    QString texto;
    QVariant fondo, frente, alineacion;
    bool operator==(const Celda&) const = default;
};

struct Escena {
    MotorVozFalso voz;
    Aplicacion app;
    Datos1* datos = nullptr;
    QtGrid* tabla = nullptr;
    QLineEdit* cuenta = nullptr;
    std::array<Celda, kLado * kLado> inicial;

    Celda Leer(int fila, int col) const {
        const QModelIndex i = tabla->gridModel()->index(fila - 1, col - 1);
        return {i.data(Qt::DisplayRole).toString(), i.data(Qt::BackgroundRole),
                i.data(Qt::ForegroundRole), i.data(Qt::TextAlignmentRole)};
    }
    bool Marcada(int fila, int col) const {
        const QVariant fondo = Leer(fila, col).fondo;
        return fondo.isValid() && fondo.value<QBrush>().color().rgb() == tabla->MarkColors().back;
    }
    bool EstadoCoeficientes() const {
        return tabla->isEnabled() && !cuenta->isEnabled() &&
               datos->findChild<QPushButton*>(QStringLiteral("Resolver"))->isVisible() &&
               datos->findChild<QPushButton*>(QStringLiteral("BotonCambio"))->isVisible() &&
               !datos->findChild<QPushButton*>(QStringLiteral("OK1"))->isVisible();
    }
};

Escena* escena = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::IniciarQt();
    escena = new Escena;
    Escena& e = *escena;
    e.app.Registrar(IdPantalla::Datos1, [](Aplicacion& a) { return new Datos1(a, escena->voz); });
    e.app.Mostrar(IdPantalla::Datos1);
    e.datos = static_cast<Datos1*>(e.app.Existente(IdPantalla::Datos1));
    if (!QTest::qWaitForWindowActive(e.datos))
        std::abort();
    e.tabla = e.datos->findChild<QtGrid*>(QStringLiteral("Tabla"));
    e.cuenta = e.datos->findChild<QLineEdit*>(QStringLiteral("NumeroEcuaciones"));
    e.cuenta->setText(QStringLiteral("4"));
    e.datos->findChild<QPushButton*>(QStringLiteral("OK1"))->click();
    // Whatever the cells hold, only the edited one may change.
    for (int f = 1; f <= kLado; ++f)
        for (int c = 1; c <= kLado; ++c) {
            e.tabla->SetCurrentRow(f);
            e.tabla->SetCurrentCol(c);
            e.tabla->SetCellText(QStringLiteral("c%1%2").arg(f).arg(c));
            e.inicial[std::size_t((f - 1) * kLado + c - 1)] = e.Leer(f, c);
        }
    if (!e.EstadoCoeficientes())
        std::abort();
    e.voz.Olvidar();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tam) {
    Escena& e = *escena;
    fuzz::Entrada entrada(datos, tam);
    const std::uint8_t eleccion = entrada.Byte();
    QLocale::setDefault(eleccion & 1 ? fuzz::Es() : fuzz::En());
    const int fila = (eleccion >> 1) % kLado + 1;
    const int col = (eleccion >> 3) % kLado + 1;
    const bool conTab = eleccion & 0x20;
    const QString texto = entrada.Resto();

    e.tabla->SetCurrentRow(fila);
    e.tabla->SetCurrentCol(col);
    e.tabla->setFocus();
    QTest::keyClick(e.tabla, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    VERIFICAR(editor && e.tabla->isEditing(), texto);
    editor->selectAll();
    editor->insert(texto); // what pasting does
    const QString escrito = editor->text();
    QTest::keyClick(editor, conTab ? Qt::Key_Tab : Qt::Key_Return);

    const fuzz::Lectura lectura = fuzz::LeerDoble(escrito, QLocale());
    const Celda despues = e.Leer(fila, col);
    if (lectura.valor) {
        VERIFICAR(fuzz::EnFormaNormal(despues.texto, QLocale()), escrito + u'|' + despues.texto);
        const fuzz::Lectura releida = fuzz::LeerDoble(despues.texto, QLocale());
        VERIFICAR(releida.valor && fuzz::Cerca(*lectura.valor, *releida.valor),
                  escrito + u'|' + despues.texto);
        VERIFICAR(!e.Marcada(fila, col) && !e.tabla->isEditing(), escrito);
        VERIFICAR(despues.alineacion.toInt() == int(Qt::AlignRight | Qt::AlignVCenter), escrito);
        const int siguiente = (fila - 1) * kLado + col; // 0-based position of the next cell
        const int destino = conTab && siguiente < kLado * kLado ? siguiente : siguiente - 1;
        VERIFICAR(e.tabla->CurrentRow() == destino / kLado + 1 && e.tabla->CurrentCol() == destino % kLado + 1,
                  escrito);
    } else {
        VERIFICAR(despues.texto == escrito, escrito);
        VERIFICAR(e.Marcada(fila, col) && e.tabla->isEditing(), escrito);
        VERIFICAR(e.tabla->CurrentRow() == fila && e.tabla->CurrentCol() == col, escrito);
    }
    for (int f = 1; f <= kLado; ++f)
        for (int c = 1; c <= kLado; ++c)
            if (f != fila || c != col)
                VERIFICAR(e.Leer(f, c) == e.inicial[std::size_t((f - 1) * kLado + c - 1)], escrito);
    VERIFICAR(e.cuenta->text() == QLatin1String("4") && e.EstadoCoeficientes(), escrito);
    VERIFICAR(e.voz.Llamadas().isEmpty() && !QApplication::activeModalWidget(), escrito);

    // Back to the starting point, so that every input meets the same screen.
    if (e.tabla->isEditing())
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    e.tabla->SetCurrentRow(fila);
    e.tabla->SetCurrentCol(col);
    e.tabla->SetCellText(QStringLiteral("c%1%2").arg(fila).arg(col));
    e.tabla->SetCellColors(e.tabla->NormalColors());
    e.tabla->gridModel()->setAlignment(fila - 1, col - 1, std::nullopt);
    VERIFICAR(e.Leer(fila, col) == e.inicial[std::size_t((fila - 1) * kLado + col - 1)], escrito);
    // The event loop's turn between two user actions.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
