// A thousand rounds of the whole flow in one process, through the real
// screens with a recording voice: count, cells, solve, "&Ingresar nuevos
// datos", with now and then a rejected count and a failed solve. Every
// screen a round builds must be gone by the next: the number of widgets
// comes back to the same value, memory stays within a few percent of what
// it was after a warm-up, and LeakSanitizer (on for this test in the
// sanitizer build) finds nothing at exit.

#include "app/conversiones.h"
#include "grid/grid_model.h"
#include "solver/resolver_sistema.h"
#include "tests/ayudantes_pantallas.h"
#include "tests/banco_pantallas.h"

#include <QFile>
#include <QLineEdit>
#include <QPixmapCache>
#include <QPushButton>

namespace {

constexpr int kCiclos = 1000;
constexpr int kCalentamiento = 50;
constexpr double kCrecimientoRelativo = 0.05;
constexpr qint64 kHolguraKiB = 256;

#if defined(__SANITIZE_ADDRESS__)
#define VELTRANA_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELTRANA_ASAN 1
#endif
#endif

#ifdef VELTRANA_ASAN
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

qint64 MemoriaResidenteKiB() {
    QFile estado(QStringLiteral("/proc/self/status"));
    if (!estado.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& linea : estado.readAll().split('\n'))
        if (linea.startsWith("VmRSS:"))
            return linea.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// What the program holds. Under AddressSanitizer resident memory also
// grows with the sanitizer's own records of every allocation, so there the
// live heap is counted instead.
qint64 MemoriaKiB() {
#ifdef VELTRANA_ASAN
    return qint64(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    return MemoriaResidenteKiB();
#endif
}

// Diagonally dominant, so every round solves: B = 4, A = C = -1, D varies.
QString Coeficiente(int ciclo, int fila, int col) {
    switch (col) {
    case 1:
    case 3:
        return QStringLiteral("-1");
    case 2:
        return QStringLiteral("4");
    default:
        return QString::number((ciclo * 7 + fila) % 23 - 11);
    }
}

// The offscreen platform warns at every raise() and more, thousands of
// times here: that would hide what the test reports.
QtMessageHandler gManejadorPrevio = nullptr;
void SinAvisosDeRaise(QtMsgType tipo, const QMessageLogContext& contexto, const QString& texto) {
    if (!texto.contains(QLatin1String("This plugin does not support")))
        gManejadorPrevio(tipo, contexto, texto);
}

} // namespace

class TestCiclos : public QObject, BancoPantallas {
    Q_OBJECT

    void Pulsar(Pantalla* p, const char* boton) { En<QPushButton>(p, boton)->click(); }

    // A closed message box leaves no window active on the offscreen
    // platform; a window system would hand activation back.
    void Reactivar() {
        Datos()->activateWindow();
        QCoreApplication::processEvents();
    }

    void Cuenta(int n) {
        En<QLineEdit>(Datos(), "NumeroEcuaciones")->setText(QString::number(n));
        Pulsar(Datos(), "OK1");
    }

    // Cells written through the grid's contract, as the program writes
    // them; one typed and checked through the editor, as the user would.
    void Escribir(int ciclo, int n) {
        for (int f = 1; f <= n; ++f)
            for (int c = 1; c <= 4; ++c) {
                Tabla()->SetCurrentRow(f);
                Tabla()->SetCurrentCol(c);
                Tabla()->SetCellText(Coeficiente(ciclo, f, c));
            }
        Tabla()->SetCurrentRow(n);
        Tabla()->SetCurrentCol(4);
        Tabla()->setFocus();
        QTest::keyClick(Tabla(), Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->setText(Coeficiente(ciclo, n, 4));
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(!Tabla()->isEditing());
    }

    void Ciclo(int ciclo) {
        const int n = 4 + ciclo % 5;
        QVERIFY(Datos() && !Resultados());
        if (ciclo % 97 == 1) {
            VigilanteMensajes mensajes;
            Cuenta(3); // rejected, then a valid count
            QTRY_COMPARE(mensajes.vistos.size(), 1);
            Reactivar();
        }
        Cuenta(n);
        if (ciclo % 89 == 2) {
            // An empty grid: 0/0 at the first step, the screen stays.
            VigilanteMensajes mensajes;
            Pulsar(Datos(), "Resolver");
            QTRY_COMPARE(mensajes.vistos.size(), 1);
            QVERIFY(Datos() && !Resultados());
            Reactivar();
        }
        Escribir(ciclo, n);
        if (QTest::currentTestFailed())
            return;
        Pulsar(Datos(), "Resolver");
        QVERIFY(Resultados() && !Datos());

        std::vector<double> a(std::size_t(n), -1.0), b(std::size_t(n), 4.0), c(std::size_t(n), -1.0), d;
        for (int f = 1; f <= n; ++f)
            d.push_back(Coeficiente(ciclo, f, 4).toDouble());
        std::vector<double> esperada;
        ResolverSistema(n, a, b, c, d, esperada);
        QCOMPARE(app->Modulo().Solucion, esperada);
        const GridModel* tabla = En<QtGrid>(Resultados(), "Incognitas")->gridModel();
        QCOMPARE(tabla->rowCount(), n);
        QCOMPARE(tabla->text(n - 1, 1), DobleATexto(esperada.back(), QLocale()));

        Pulsar(Resultados(), "Command2");
        QVERIFY(Datos() && !Resultados());
        // The event loop's turn: the new screen's activation arrives, and
        // the unloaded screens are destroyed.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(Datos()->isActiveWindow());
    }

private slots:
    void initTestCase() {
        gManejadorPrevio = qInstallMessageHandler(SinAvisosDeRaise);
        // Every screen builds its pictures afresh, and Qt keeps scaled
        // copies of them in its pixmap cache, up to 10 MB, with the keys of
        // dropped ones until a 30-second timer purges them: no cache, so
        // that what is measured is what the program holds.
        QPixmapCache::setCacheLimit(0);
        Montar();
        QVERIFY(QTest::qWaitForWindowActive(Datos()));
    }

    void cleanupTestCase() {
        app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void thousand_rounds_leave_nothing_behind() {
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
        qInfo("memory after %d rounds: %lld KiB, after %d: %lld KiB (resident now: %lld KiB)", kCalentamiento,
              memoriaInicial, kCiclos, memoriaFinal, MemoriaResidenteKiB());
        QVERIFY(memoriaInicial > 0);
        QCOMPARE(QApplication::allWidgets().size(), widgetsIniciales);
        QVERIFY2(memoriaFinal <= memoriaInicial * (1 + kCrecimientoRelativo) + kHolguraKiB,
                 qPrintable(QStringLiteral("%1 KiB → %2 KiB").arg(memoriaInicial).arg(memoriaFinal)));
    }
};

QTEST_MAIN(TestCiclos)
#include "test_ciclos.moc"
