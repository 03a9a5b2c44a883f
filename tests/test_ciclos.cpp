// A thousand rounds through the real screens (count, cells, solve, "&Ingresar
// nuevos datos", now and then a refused count or a failed solve) must leave
// nothing behind: as many widgets as after a warm-up, memory within a few
// percent, and nothing for LeakSanitizer (on here in the sanitizer build).

#include "tests/ayudantes_pantallas.h"
#include "tests/banco_pantallas.h"

#include <QPixmapCache>
#include <QPushButton>
#include <fstream>
#include <unistd.h>

namespace {

// Only AddressSanitizer defines it; there resident memory also grows with the
// sanitizer's records of every allocation, so the live heap is counted instead.
extern "C" [[gnu::weak]] std::size_t __sanitizer_get_current_allocated_bytes();

qint64 MemoriaKiB() {
    if (__sanitizer_get_current_allocated_bytes)
        return qint64(__sanitizer_get_current_allocated_bytes() / 1024);
    qint64 paginas = 0, residentes = 0;
    std::ifstream("/proc/self/statm") >> paginas >> residentes;
    return residentes * sysconf(_SC_PAGESIZE) / 1024;
}

} // namespace

class TestCiclos : public QObject, BancoPantallas {
    Q_OBJECT

    void Clic(Pantalla* p, const char* boton) { En<QPushButton>(p, boton)->click(); }

    // A message box shown, read and dismissed; on the offscreen platform no
    // window is active after it, where a window system would hand it back.
    template <typename F> void ConMensaje(F&& accion) {
        VigilanteMensajes mensajes;
        accion();
        QTRY_COMPARE(mensajes.vistos.size(), 1);
        Datos()->activateWindow();
        QCoreApplication::processEvents();
    }

    void Ciclo(int ciclo) {
        const int n = 4 + ciclo % 5;
        if (ciclo % 97 == 1)
            ConMensaje([this] { ConfirmarCuenta(3); });
        ConfirmarCuenta(n);
        if (ciclo % 89 == 2) // an empty grid: 0/0 at the first step
            ConMensaje([this] { Clic(Datos(), "Resolver"); });
        // Diagonally dominant, so every round solves; the last cell typed and
        // checked through the editor.
        for (int f = 1; f <= n; ++f)
            for (int c = 1; c <= 4; ++c) {
                Tabla()->SetCurrentRow(f);
                Tabla()->SetCurrentCol(c);
                Tabla()->SetCellText(c == 2 ? 4 : c < 4 ? -1 : (ciclo * 7 + f) % 23 - 11);
            }
        QTest::keyClick(Tabla(), Qt::Key_F2);
        Teclear(QStringLiteral("7"));
        Pulsar(Qt::Key_Return);
        Clic(Datos(), "Resolver");
        QVERIFY(Resultados() && !Datos());

        Clic(Resultados(), "Command2");
        // The event loop's turn: activation arrives, unloaded screens go.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(Datos() && !Resultados() && Datos()->isActiveWindow());
    }

private slots:
    void initTestCase() {
        SinAvisosDeLaPlataforma();
        // Qt would keep scaled copies of every screen's pictures for a while:
        // what is measured must be what the program holds.
        QPixmapCache::setCacheLimit(0);
        QVERIFY(Montar());
    }
    void cleanupTestCase() {
        app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void thousand_rounds_leave_nothing_behind() {
        constexpr int kCiclos = 1000, kCalentamiento = 50;
        qint64 memoriaInicial = 0;
        qsizetype widgetsIniciales = 0;
        for (int ciclo = 1; ciclo <= kCiclos; ++ciclo) {
            Ciclo(ciclo);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("round %1").arg(ciclo)));
            voz->Olvidar();
            if (ciclo == kCalentamiento) {
                memoriaInicial = MemoriaKiB();
                widgetsIniciales = QApplication::allWidgets().size();
            }
        }
        const qint64 memoriaFinal = MemoriaKiB();
        QCOMPARE(QApplication::allWidgets().size(), widgetsIniciales);
        QVERIFY2(
            memoriaInicial > 0 && memoriaFinal <= memoriaInicial * 1.05 + 256,
            qPrintable(QStringLiteral("%1 KiB, then %2").arg(memoriaInicial).arg(memoriaFinal)));
    }
};

QTEST_MAIN(TestCiclos)
#include "test_ciclos.moc"
