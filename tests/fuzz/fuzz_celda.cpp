// Arbitrary text pasted into a cell of the real data-entry screen, the edit
// ended with Enter or Tab, the locale es_ES or en_US: all three and the cell
// from the first byte. A text that reads as a number must leave its value as
// the program writes it, unmarked, right-aligned, the edit closed and the
// current cell where the key took it; any other, itself, marked and reopened.
// (That nothing else on the screen changes is the hostile catalogue's to see.)

#include "tests/banco_pantallas.h"
#include "tests/fuzz/fuzz_comun.h"

namespace {

class Escena : BancoPantallas {
public:
    // A system of 4 equations, its cells holding text no check has seen.
    Escena() {
        if (!Montar())
            std::abort();
        ConfirmarCuenta(4);
        for (int i = 0; i < 16; ++i)
            Escribir(i);
        voz->Olvidar();
    }

    void Probar(fuzz::Entrada entrada) {
        const std::uint8_t eleccion = entrada.Byte();
        QLocale::setDefault(eleccion & 1 ? fuzz::kEs : fuzz::kEn);
        const int indice = (eleccion >> 1) % 4 * 4 + (eleccion >> 3) % 4; // row-major, from 0
        const int fila = indice / 4 + 1, col = indice % 4 + 1;
        const bool conTab = eleccion & 0x20;

        Tabla()->SetCurrentRow(fila);
        Tabla()->SetCurrentCol(col);
        Tabla()->setFocus();
        QTest::keyClick(Tabla(), Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        VERIFICAR(editor && Tabla()->isEditing(), QString());
        editor->selectAll(); // pasted over it
        editor->insert(entrada.Texto(false));
        const QString escrito = editor->text();
        QTest::keyClick(editor, conTab ? Qt::Key_Tab : Qt::Key_Return);

        const fuzz::Lectura lectura =
            fuzz::Leer([&] { return TextoADoble(escrito, QLocale()); }, escrito);
        const QModelIndex celda = Tabla()->gridModel()->index(fila - 1, col - 1);
        const bool numero = lectura.error == 0;
        const int destino = numero && conTab ? std::min(indice + 1, 15) : indice; // Tab: the next
        VERIFICAR(celda.data() == (numero ? DobleATexto(lectura.valor, QLocale()) : escrito),
                  escrito);
        VERIFICAR(Marcada(fila, col) != numero && Tabla()->isEditing() != numero, escrito);
        VERIFICAR(Actual() == QPoint(destino / 4 + 1, destino % 4 + 1), escrito);
        VERIFICAR(!numero || celda.data(Qt::TextAlignmentRole).toInt() ==
                                 int(Qt::AlignRight | Qt::AlignVCenter),
                  escrito);

        // Back to the starting point, so that every input meets the same screen.
        if (Tabla()->isEditing())
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        Escribir(indice);
        Tabla()->SetCellColors(Tabla()->NormalColors());
        Tabla()->gridModel()->setAlignment(fila - 1, col - 1, std::nullopt);
        // The event loop's turn between two user actions.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private:
    void Escribir(int i) {
        Tabla()->SetCurrentRow(i / 4 + 1);
        Tabla()->SetCurrentCol(i % 4 + 1);
        Tabla()->SetCellText(QStringLiteral("c%1").arg(i));
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tam) {
    static Escena* escena = (fuzz::IniciarQt(), new Escena); // for good, like the application
    escena->Probar({datos, datos + tam});
    return 0;
}
