// The user's waits, measured through the real screens: Datos1 and Respuesta
// registered in an Aplicacion, a recording voice instead of espeak-ng, input
// sent as the window system would send it (QTest's clicks and keys).
//
//   count    typing a count and clicking OK: the grid sized and numbered;
//   check    a cell typed into and committed with Enter: the value checked
//            and rewritten;
//   solve    Resolver clicked on a filled grid: every cell read, the system
//            solved, the results screen built, filled and shown;
//   release  then, the data-entry screen destroyed (the event loop does it
//            right after the solve returns, and the user waits for it too);
//   paste, copy  where the program handles the clipboard: a whole system
//            pasted into the grid (every field written and checked), the
//            results table copied;
//   grid     the coefficient grid at its largest (32 767 rows, every cell
//            filled): scroll bar steps to the end, Page Down presses, an edit
//            on the last row, a full repaint (grab()).
//
// Each timed step ends only once the events it posted have been delivered,
// the resulting paint included (counted, so a step that painted nothing is
// reported as a failure of the harness, not as fast). Every step is repeated
// on fresh screens and its median kept; the bare ResolverSistema at the same
// n is timed right after each repetition, so that a noisy spell of the shared
// machine hits both columns alike.
//
//   bench_pantallas [--repeticiones N] [--n N]
//                                        the table ("FILA|…" lines for run-all.sh);
//                                        --n: that size only (for profiling)
//   bench_pantallas --memoria            one pass at the largest size; peak RSS
//
// QT_QPA_PLATFORM defaults to offscreen; set it (xcb under Xvfb) to measure
// on a real window system.

#include "app/aplicacion.h"
#include "app/conversiones/conversiones.h"
#include "grid/grid_model.h"
#include "grid/qt_grid.h"
#include "screens/data_entry/datos1.h"
#include "screens/results/respuesta.h"
#include "solver/resolver_sistema.h"
#include "tests/motor_voz_falso.h"
#include "tests/ayudantes_pantallas.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kTamanos[] = {4, 1000, 32766};
constexpr std::int32_t kMayor = 32766;
constexpr double kObjetivoMs = 100.0;

[[noreturn]] void Abortar(const char* que) {
    std::fprintf(stderr, "bench_pantallas: %s\n", que);
    std::exit(1);
}

void Exigir(bool condicion, const char* que) {
    if (!condicion)
        Abortar(que);
}

template <typename Trabajo> double Ms(Trabajo&& trabajo) {
    QElapsedTimer reloj;
    reloj.start();
    trabajo();
    return double(reloj.nsecsElapsed()) / 1e6;
}

double Mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

double Maximo(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

// Delivers what the step posted: the grid's catch-up of its current cell,
// layout, update requests and so the paint. Objects scheduled for deletion
// are left alone (the release step times them).
void Vaciar() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

void LiberarPendientes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Paint events received by a window's widgets (or by one widget).
class ContadorPinturas : public QObject {
public:
    ContadorPinturas() { qApp->installEventFilter(this); }
    ~ContadorPinturas() override { qApp->removeEventFilter(this); }

    int Datos = 0;
    int Resultados = 0;
    int Vigilado = 0;
    QObject* vigilado = nullptr;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() != QEvent::Paint)
            return false;
        if (objeto == vigilado)
            ++Vigilado;
        if (auto* w = qobject_cast<QWidget*>(objeto)) {
            if (qobject_cast<Respuesta*>(w->window()))
                ++Resultados;
            else if (qobject_cast<Datos1*>(w->window()))
                ++Datos;
        }
        return false;
    }
};

// A diagonally dominant system, and its cells as a user would have typed them
// (15 significant digits, the user's decimal separator). The bare solve runs
// on the values read back from those texts: the very system the screen solves.
struct Sistema {
    std::vector<QString> textos; // row-major, A B C D
    std::vector<double> A, B, C, D;
};

Sistema Generar(std::int32_t n) {
    std::mt19937_64 gen(static_cast<std::uint64_t>(n));
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    Sistema s;
    const auto tam = static_cast<std::size_t>(n);
    s.textos.reserve(4 * tam);
    std::vector<double>* columnas[] = {&s.A, &s.B, &s.C, &s.D};
    for (auto* c : columnas)
        c->resize(tam);
    for (std::size_t i = 0; i < tam; ++i)
        for (int c = 0; c < 4; ++c) {
            const double valor = c == 1 ? 2.5 + u(gen) : u(gen);
            s.textos.push_back(DobleATexto(valor, QLocale()));
            (*columnas[c])[i] = TextoADoble(s.textos.back(), QLocale());
        }
    return s;
}

// Bare ResolverSistema, ms per call: a batch of calls long enough for the
// clock (about 10 ms).
double MsResolverSolo(const Sistema& s, std::int32_t n) {
    const int veces = std::max(1, 2'000'000 / n);
    std::vector<double> x;
    const double total = Ms([&] {
        for (int i = 0; i < veces; ++i)
            ResolverSistema(n, s.A, s.B, s.C, s.D, x);
    });
    Exigir(x.size() == static_cast<std::size_t>(n), "la resolución directa no dio n incógnitas");
    return total / veces;
}

// One program run: the registry with the two screens and the recording voice,
// the data-entry screen shown and active, as after the splash screen.
class Escenario {
public:
    Escenario() {
        m_app.Registrar(IdPantalla::Datos1, [this](Aplicacion& a) { return new Datos1(a, m_voz); });
        m_app.Registrar(IdPantalla::Respuesta, [](Aplicacion& a) { return new Respuesta(a); });
        m_app.Mostrar(IdPantalla::Datos1);
        Exigir(QTest::qWaitForWindowActive(Datos()), "la pantalla de datos no se activó");
        Vaciar();
    }
    ~Escenario() { LiberarPendientes(); }
    Escenario(const Escenario&) = delete;
    Escenario& operator=(const Escenario&) = delete;

    Pantalla* Datos() const { return m_app.Existente(IdPantalla::Datos1); }
    Pantalla* Resultados() const { return m_app.Existente(IdPantalla::Respuesta); }
    template <typename T> T* En(Pantalla* p, const char* nombre) const {
        T* control = p ? p->findChild<T*>(QString::fromLatin1(nombre)) : nullptr;
        Exigir(control != nullptr, nombre);
        return control;
    }
    QtGrid* Tabla() const { return En<QtGrid>(Datos(), "Tabla"); }

    void EscribirCuenta(std::int32_t n) {
        En<QLineEdit>(Datos(), "NumeroEcuaciones")->setText(QString::number(n));
    }
    void Clic(Pantalla* p, const char* boton) {
        QTest::mouseClick(En<QPushButton>(p, boton), Qt::LeftButton);
    }
    void ConfirmarCuenta(std::int32_t n) {
        EscribirCuenta(n);
        Clic(Datos(), "OK1");
        Vaciar();
    }
    // The cells as the tests fill them: through GridControl, cell by cell.
    void Llenar(const Sistema& s, std::int32_t n) {
        QtGrid* tabla = Tabla();
        for (std::int32_t i = 0; i < n; ++i)
            for (int c = 0; c < 4; ++c) {
                tabla->SetCurrentRow(i + 1);
                tabla->SetCurrentCol(c + 1);
                tabla->SetCellText(s.textos[4 * static_cast<std::size_t>(i) + c]);
            }
        tabla->SetCurrentRow(1);
        tabla->SetCurrentCol(1);
        Vaciar();
    }

private:
    MotorVozFalso m_voz; // outlives the screens that speak through it
    Aplicacion m_app;
};

// Puts the grid's current cell on (fila, col), in view, with the focus on the
// grid, as clicking on it would.
void Seleccionar(QtGrid* tabla, std::int32_t fila, int col) {
    tabla->SetCurrentRow(fila);
    tabla->SetCurrentCol(col);
    tabla->setFocus(Qt::MouseFocusReason);
    Vaciar();
    tabla->scrollTo(tabla->currentIndex());
    Vaciar();
}

struct Fila {
    std::string paso;
    std::string n;
    double mediana;
    double solo; // < 0: no bare-solve column
    std::string objetivo;
    bool cumple;
    std::string nota;
};
std::vector<Fila> filas;

void Anotar(const std::string& paso, std::int32_t n, const std::vector<double>& ms,
            const std::vector<double>& solo, const std::string& nota = {}) {
    const double m = Mediana(ms);
    filas.push_back({paso, std::to_string(n), m, solo.empty() ? -1.0 : Mediana(solo), "< 100 ms",
                     m < kObjetivoMs, nota});
}

// --- the steps ---------------------------------------------------------------

void MedirCuenta(std::int32_t n, const Sistema& s, int repeticiones, ContadorPinturas& pinturas) {
    std::vector<double> ms, solo;
    for (int r = 0; r < repeticiones; ++r) {
        Escenario e;
        e.EscribirCuenta(n);
        Vaciar();
        const int antes = pinturas.Datos;
        ms.push_back(Ms([&] {
            e.Clic(e.Datos(), "OK1");
            Vaciar();
        }));
        QtGrid* tabla = e.Tabla();
        Exigir(tabla->RowCount() == n + 1 &&
                   tabla->gridModel()->headerText(Qt::Vertical, n - 1) == QString::number(n) &&
                   tabla->isEnabled(),
               "la cuenta no dimensionó y numeró la tabla");
        Exigir(pinturas.Datos > antes, "la cuenta no repintó la pantalla");
        solo.push_back(MsResolverSolo(s, n));
    }
    Anotar("count confirmed (OK)", n, ms, solo);
}

void MedirComprobacion(std::int32_t n, const Sistema& s, int repeticiones,
                       ContadorPinturas& pinturas) {
    Escenario e;
    e.ConfirmarCuenta(n);
    QtGrid* tabla = e.Tabla();
    pinturas.vigilado = tabla->viewport();
    const QString decimal = QLocale().decimalPoint();
    std::vector<double> ms, teclas, solo;
    for (int r = 0; r < repeticiones; ++r) {
        // Cells spread over the whole grid, a different one each time.
        const auto fila = static_cast<std::int32_t>(1 + (std::int64_t(r) * 7919) % n);
        const int col = 1 + r % 4;
        Seleccionar(tabla, fila, col);
        // "12.50" typed; the check rewrites it "12.5".
        const QString tecleado = QString::number(10 + r) + decimal + QStringLiteral("50");
        const QString esperado = QString::number(10 + r) + decimal + QStringLiteral("5");
        for (const QChar c : tecleado)
            teclas.push_back(Ms([&] {
                Teclear(QString(c));
                Vaciar();
            }));
        Exigir(tabla->isEditing(), "teclear no abrió el editor de la celda");
        const int antes = pinturas.Vigilado;
        ms.push_back(Ms([&] {
            Pulsar(Qt::Key_Return);
            Vaciar();
        }));
        Exigir(!tabla->isEditing() && tabla->gridModel()->text(fila - 1, col - 1) == esperado,
               "la celda no quedó comprobada y reescrita");
        Exigir(tabla->gridModel()
                   ->data(tabla->gridModel()->index(fila - 1, col - 1), Qt::TextAlignmentRole)
                   .isValid(),
               "la comprobación no alineó la celda");
        Exigir(pinturas.Vigilado > antes, "la comprobación no repintó la celda");
        solo.push_back(MsResolverSolo(s, n));
    }
    pinturas.vigilado = nullptr;
    Anotar("cell edit checked (Enter)", n, ms, solo);
    Anotar("  typing into the cell, per key", n, teclas, {});
}

void MedirResolucion(std::int32_t n, const Sistema& s, int repeticiones,
                     ContadorPinturas& pinturas) {
    std::vector<double> ms, liberar, solo;
    for (int r = 0; r < repeticiones; ++r) {
        Escenario e;
        e.ConfirmarCuenta(n);
        e.Llenar(s, n);
        const int antes = pinturas.Resultados;
        ms.push_back(Ms([&] {
            e.Clic(e.Datos(), "Resolver");
            Vaciar();
        }));
        Pantalla* resultados = e.Resultados();
        Exigir(resultados && resultados->isVisible(), "no se mostró la pantalla de resultados");
        const GridModel* m = e.En<QtGrid>(resultados, "Incognitas")->gridModel();
        std::vector<double> x;
        ResolverSistema(n, s.A, s.B, s.C, s.D, x);
        Exigir(m->rowCount() == n && m->text(n - 1, 0) == QStringLiteral("x%1").arg(n) &&
                   m->text(n - 1, 1) == DobleATexto(x.back(), QLocale()),
               "la tabla de resultados no quedó llena");
        Exigir(pinturas.Resultados > antes, "la pantalla de resultados no se pintó");
        Exigir(e.Datos() == nullptr, "la pantalla de datos siguió registrada");
        liberar.push_back(Ms(LiberarPendientes));
        solo.push_back(MsResolverSolo(s, n));
    }
    Anotar("solve, results shown", n, ms, solo);
    Anotar("  then data-entry screen released", n, liberar, {});
}

// The clipboard, where the program handles it: the whole system pasted
// from a spreadsheet (Ctrl+V on the first cell: every field written and
// checked), and the results table copied (Ctrl+C). Left out of the table when
// the keys do nothing.
void MedirPortapapeles(std::int32_t n, const Sistema& s, int repeticiones) {
    QString bloque;
    for (std::int32_t i = 0; i < n; ++i)
        for (int c = 0; c < 4; ++c)
            bloque +=
                s.textos[4 * static_cast<std::size_t>(i) + c] + QLatin1Char(c < 3 ? '\t' : '\n');
    const QString& ultima = s.textos.back();
    QClipboard* portapapeles = QGuiApplication::clipboard();

    std::vector<double> pegar, copiar, solo;
    for (int r = 0; r < repeticiones; ++r) {
        Escenario e;
        e.ConfirmarCuenta(n);
        QtGrid* tabla = e.Tabla();
        Seleccionar(tabla, 1, 1);
        portapapeles->setText(bloque);
        Vaciar();
        VigilanteMensajes mensajes; // a step that shows a box has not done its work
        const double ms = Ms([&] {
            Pulsar(Qt::Key_V, Qt::ControlModifier);
            Vaciar();
        });
        if (tabla->gridModel()->text(n - 1, 3) != ultima)
            return; // pasting is not handled
        Exigir(mensajes.vistos.isEmpty(), "el pegado mostró un mensaje");
        pegar.push_back(ms);
        solo.push_back(MsResolverSolo(s, n));

        // The results of the pasted system, copied.
        e.Clic(e.Datos(), "Resolver");
        Vaciar();
        LiberarPendientes();
        auto* incognitas = e.En<QtGrid>(e.Resultados(), "Incognitas");
        incognitas->setFocus(Qt::OtherFocusReason);
        portapapeles->clear();
        Vaciar();
        const double msCopia = Ms([&] {
            QTest::keyClick(incognitas, Qt::Key_C, Qt::ControlModifier);
            Vaciar();
        });
        if (portapapeles->text().count(QLatin1Char('\n')) >= n)
            copiar.push_back(msCopia);
    }
    if (!pegar.empty())
        Anotar("paste the whole system (Ctrl+V)", n, pegar, solo);
    if (!copiar.empty())
        Anotar("copy the results (Ctrl+C)", n, copiar, solo);
}

// The coefficient grid at its largest, every cell filled.
void MedirTablaMayor(const Sistema& s, int repeticiones, ContadorPinturas& pinturas) {
    Escenario e;
    e.ConfirmarCuenta(kMayor);
    e.Llenar(s, kMayor);
    QtGrid* tabla = e.Tabla();
    Exigir(tabla->RowCount() == kMayor + 1, "la tabla mayor no tiene 32 767 filas");
    pinturas.vigilado = tabla->viewport();
    const auto n = tabla->RowCount();

    // Scroll bar dragged to the end in 100 steps.
    QScrollBar* barra = tabla->verticalScrollBar();
    std::vector<double> pasos;
    int antes = pinturas.Vigilado;
    for (int i = 1; i <= 100; ++i) {
        const int valor = int(std::int64_t(barra->maximum()) * i / 100);
        pasos.push_back(Ms([&] {
            barra->setValue(valor);
            Vaciar();
        }));
    }
    Exigir(barra->value() == barra->maximum(), "la barra no llegó al final");
    Exigir(pinturas.Vigilado >= antes + 100, "un paso de la barra no repintó la tabla");
    filas.push_back({"grid: scroll bar step (100 to the end)", std::to_string(n), Mediana(pasos),
                     -1, "< 100 ms", Maximo(pasos) < kObjetivoMs,
                     "max " + std::to_string(Maximo(pasos)).substr(0, 5) + " ms"});

    // Page Down from the top, then Ctrl+End.
    barra->setValue(0);
    Seleccionar(tabla, 1, 1);
    std::vector<double> paginas;
    antes = pinturas.Vigilado;
    for (int i = 0; i < 200; ++i)
        paginas.push_back(Ms([&] {
            Pulsar(Qt::Key_PageDown);
            Vaciar();
        }));
    Exigir(tabla->CurrentRow() > 200, "Página abajo no movió la celda actual");
    Exigir(pinturas.Vigilado >= antes + 200, "una página no repintó la tabla");
    const double alFinal = Ms([&] {
        Pulsar(Qt::Key_End, Qt::ControlModifier);
        Vaciar();
    });
    Exigir(tabla->CurrentRow() == n - 1 && barra->value() == barra->maximum(),
           "Ctrl+Fin no llevó a la última fila");
    filas.push_back({"grid: Page Down key (200 presses)", std::to_string(n), Mediana(paginas), -1,
                     "< 100 ms", Maximo(paginas) < kObjetivoMs && alFinal < kObjetivoMs,
                     "max " + std::to_string(Maximo(paginas)).substr(0, 5) + " ms; Ctrl+End " +
                         std::to_string(alFinal).substr(0, 5) + " ms"});

    // An edit on the last row: two keys and Enter, checked.
    std::vector<double> ediciones;
    for (int r = 0; r < repeticiones; ++r) {
        Seleccionar(tabla, n - 1, 1 + r % 4);
        ediciones.push_back(Ms([&] {
            Teclear(QString::number(10 + r));
            Pulsar(Qt::Key_Return);
            Vaciar();
        }));
        Exigir(tabla->gridModel()->text(n - 2, r % 4) == QString::number(10 + r),
               "la edición de la última fila no quedó");
    }
    filas.push_back({"grid: edit on the last row (2 keys + Enter)", std::to_string(n),
                     Mediana(ediciones), -1, "< 100 ms", Mediana(ediciones) < kObjetivoMs, ""});

    // A full repaint of the grid, into a pixmap.
    std::vector<double> repintados;
    for (int r = 0; r < repeticiones; ++r) {
        QPixmap imagen;
        repintados.push_back(Ms([&] { imagen = tabla->grab(); }));
        Exigir(!imagen.isNull(), "grab() no dio imagen");
    }
    filas.push_back({"grid: full repaint (grab)", std::to_string(n), Mediana(repintados), -1,
                     "< 100 ms", Mediana(repintados) < kObjetivoMs, ""});
    pinturas.vigilado = nullptr;
}

// --- output ------------------------------------------------------------------

std::string Texto(double v, int decimales) {
    char b[32];
    std::snprintf(b, sizeof b, "%.*f", decimales, v);
    return b;
}

// Three significant digits, without an exponent: 0.0000312, 41.3, 34500.
std::string Cifras(double v) {
    int decimales = 2;
    for (double a = std::abs(v); a > 0 && a < 1 && decimales < 9; a *= 10)
        ++decimales;
    if (std::abs(v) >= 100)
        decimales = 0;
    else if (std::abs(v) >= 10)
        decimales = 1;
    return Texto(v, decimales);
}

void Imprimir() {
    std::printf("\n%-44s %6s %11s %13s %12s %9s  %s\n", "step", "n", "median ms", "bare solve ms",
                "ratio", "target", "verdict");
    for (const Fila& f : filas) {
        const std::string solo = f.solo < 0 ? "-" : Cifras(f.solo);
        const std::string razon = f.solo <= 0 ? "-" : Cifras(f.mediana / f.solo);
        std::printf("%-44s %6s %11.3f %13s %12s %9s  %s%s%s\n", f.paso.c_str(), f.n.c_str(),
                    f.mediana, solo.c_str(), razon.c_str(), f.objetivo.c_str(),
                    f.cumple ? "ok" : "MISSED", f.nota.empty() ? "" : "  ", f.nota.c_str());
    }
    // Machine-readable, for run-all.sh: step|n|median|bare|ratio|target|verdict|note
    for (const Fila& f : filas)
        std::printf("FILA|%s|%s|%s|%s|%s|%s|%s|%s\n", f.paso.c_str(), f.n.c_str(),
                    Texto(f.mediana, 3).c_str(), f.solo < 0 ? "-" : Cifras(f.solo).c_str(),
                    f.solo <= 0 ? "-" : Cifras(f.mediana / f.solo).c_str(), f.objetivo.c_str(),
                    f.cumple ? "ok" : "MISSED", f.nota.c_str());
}

// Peak and current resident set, from the kernel's own accounting (kB).
long Estado(const char* campo) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& linea : f.readAll().split('\n'))
        if (linea.startsWith(campo))
            return linea.mid(int(std::strlen(campo))).trimmed().split(' ').front().toLong();
    return -1;
}

// One pass at the largest size, as the program goes: count, every cell filled
// (15 significant digits in each: the most text a cell takes), solve, results
// shown. Peak RSS of the whole process. The resident size once the count is
// confirmed is printed too: run-all.sh reads the real program's at the same
// point, and the difference is what the program carries beyond this harness
// (its voice, its multimedia back end, its splash screen).
int Memoria() {
    constexpr double kObjetivoMb = 80.0;
    long conCuenta = 0;
    {
        Escenario e;
        e.ConfirmarCuenta(kMayor);
        conCuenta = Estado("VmRSS:");
        const Sistema s = Generar(kMayor);
        e.Llenar(s, kMayor);
        e.Clic(e.Datos(), "Resolver");
        Vaciar();
        Exigir(e.Resultados() && e.Resultados()->isVisible(),
               "no se mostró la pantalla de resultados");
        LiberarPendientes();
    }
    const double pico = double(Estado("VmHWM:")) / 1024;
    std::printf("peak RSS (VmHWM): %.1f MB; resident %.1f MB once the count was confirmed; "
                "platform %s\n",
                pico, double(conCuenta) / 1024, qPrintable(QGuiApplication::platformName()));
    std::printf("MEMORIA|%.1f|%.1f|%s\n", pico, double(conCuenta) / 1024,
                qPrintable(QGuiApplication::platformName()));
    std::printf("FILA|peak RSS, count + cells + solve + results|%d|%.1f MB|-|-|< 80 MB|%s|%s\n",
                kMayor, pico, pico < kObjetivoMb ? "ok" : "MISSED",
                qPrintable(QGuiApplication::platformName()));
    return 0;
}

// The offscreen platform warns at every window raised; nothing else is hidden.
QtMessageHandler anterior = nullptr;
void FiltrarMensajes(QtMsgType tipo, const QMessageLogContext& contexto, const QString& texto) {
    if (texto == QLatin1String("This plugin does not support raise()"))
        return;
    if (anterior)
        anterior(tipo, contexto, texto);
}

} // namespace

int main(int argc, char** argv) {
    anterior = qInstallMessageHandler(FiltrarMensajes);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qt(argc, argv);
    // As the program: its screens were laid out for this face and size.
    QApplication::setFont(QFont(QStringLiteral("Liberation Sans"), 8));
    QApplication::setQuitOnLastWindowClosed(false);

    int repeticiones = 11;
    bool memoria = false;
    std::vector<std::int32_t> tamanos(std::begin(kTamanos), std::end(kTamanos));
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--memoria") == 0)
            memoria = true;
        else if (std::strcmp(argv[i], "--repeticiones") == 0 && i + 1 < argc)
            repeticiones = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--n") == 0 && i + 1 < argc)
            tamanos = {std::clamp(std::atoi(argv[++i]), 4, int(kMayor))};
        else
            Abortar("uso: bench_pantallas [--repeticiones N] [--n N] [--memoria]");
    }
    if (memoria)
        return Memoria();

    std::printf("platform %s, decimal separator '%s', %d repetitions\n",
                qPrintable(QGuiApplication::platformName()), qPrintable(QLocale().decimalPoint()),
                repeticiones);
    ContadorPinturas pinturas;
    for (std::int32_t n : tamanos) {
        const Sistema s = Generar(n);
        MedirCuenta(n, s, repeticiones, pinturas);
        MedirComprobacion(n, s, repeticiones, pinturas);
        MedirResolucion(n, s, repeticiones, pinturas);
        MedirPortapapeles(n, s, repeticiones);
        if (n == kMayor)
            MedirTablaMayor(s, repeticiones, pinturas);
        std::fflush(stdout);
    }
    Imprimir();
    return 0;
}
