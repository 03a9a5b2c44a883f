#pragma once
// The harness of bench_pantallas: timing, the delivery of what a step posted,
// paint counting, the systems measured, one program run on the screen tests'
// fixture, and the rows of the summary table.

#include "app/conversiones/conversiones.h"
#include "solver/resolucion_comprobada.h"
#include "solver/resolver_sistema.h"
#include "tests/banco_pantallas.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

constexpr std::int32_t kTamanos[] = {4, 1000, 32766};
constexpr std::int32_t kMayor = 32766;
constexpr double kObjetivoMs = 100.0;

[[noreturn]] inline void Abortar(const char* que) {
    std::fprintf(stderr, "bench_pantallas: %s\n", que);
    std::exit(1);
}

inline void Exigir(bool condicion, const char* que) {
    if (!condicion)
        Abortar(que);
}

template <typename Trabajo> double Ms(Trabajo&& trabajo) {
    QElapsedTimer reloj;
    reloj.start();
    trabajo();
    return double(reloj.nsecsElapsed()) / 1e6;
}

inline double Mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

inline double Maximo(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

// Delivers what the step posted: the grid's catch-up of its current cell,
// layout, update requests and so the paint. Objects scheduled for deletion
// are left alone (the release step times them).
inline void Vaciar() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

inline void LiberarPendientes() {
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

inline Sistema Generar(std::int32_t n) {
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

// The same system with a zero pivot halfway: A and B of the middle equation
// zero. The elimination without pivoting stops there, and the solve falls
// back on partial pivoting.
inline Sistema ConPivoteNulo(Sistema s) {
    const std::size_t k = s.B.size() / 2;
    s.A[k] = s.B[k] = 0;
    s.textos[4 * k] = s.textos[4 * k + 1] = QStringLiteral("0");
    return s;
}

// Bare ResolverSistema, ms per call: a batch of calls long enough for the
// clock (about 10 ms).
inline double MsResolverSolo(const Sistema& s, std::int32_t n) {
    const int veces = std::max(1, 2'000'000 / n);
    std::vector<double> x;
    const double total = Ms([&] {
        for (int i = 0; i < veces; ++i)
            ResolverSistema(n, s.A, s.B, s.C, s.D, x);
    });
    Exigir(x.size() == static_cast<std::size_t>(n), "la resolución directa no dio n incógnitas");
    return total / veces;
}

// One program run: the screen tests' fixture (the two screens registered, a
// silent voice), the data-entry screen shown and active, as after the splash
// screen.
class Escenario : public BancoPantallas {
public:
    Escenario() {
        Exigir(Montar(), "la pantalla de datos no se activó");
        Vaciar();
    }
    ~Escenario() {
        app.reset();
        LiberarPendientes();
    }
    Escenario(const Escenario&) = delete;
    Escenario& operator=(const Escenario&) = delete;

    using BancoPantallas::Caja;
    using BancoPantallas::Clic;
    using BancoPantallas::Datos;
    using BancoPantallas::Resultados;
    using BancoPantallas::Tabla;
    template <typename T> T* En(Pantalla* p, const char* nombre) const {
        T* control = BancoPantallas::En<T>(p, nombre);
        Exigir(control != nullptr, nombre);
        return control;
    }
    void ConfirmarCuenta(std::int32_t n) {
        BancoPantallas::ConfirmarCuenta(n);
        Vaciar();
    }
    // The cells as the program leaves them once checked (typed, pasted or
    // opened): numbers, written through GridControl cell by cell.
    void Llenar(const Sistema& s, std::int32_t n) {
        QtGrid* tabla = Tabla();
        const std::vector<double>* columnas[] = {&s.A, &s.B, &s.C, &s.D};
        for (std::int32_t i = 0; i < n; ++i)
            for (int c = 0; c < 4; ++c) {
                tabla->SetCurrentRow(i + 1);
                tabla->SetCurrentCol(c + 1);
                tabla->SetCellText((*columnas[c])[static_cast<std::size_t>(i)]);
            }
        tabla->SetCurrentRow(1);
        tabla->SetCurrentCol(1);
        Vaciar();
    }
};

// Puts the grid's current cell on (fila, col), in view, with the focus on the
// grid, as clicking on it would.
inline void Seleccionar(QtGrid* tabla, std::int32_t fila, int col) {
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
inline std::vector<Fila> filas;

inline void Anotar(const std::string& paso, std::int32_t n, const std::vector<double>& ms,
            const std::vector<double>& solo, const std::string& nota = {}) {
    const double m = Mediana(ms);
    filas.push_back({paso, std::to_string(n), m, solo.empty() ? -1.0 : Mediana(solo), "< 100 ms",
                     m < kObjetivoMs, nota});
}

// The coefficient grid at its largest (bench_tabla_mayor.cpp).
void MedirTablaMayor(const Sistema& s, int repeticiones, ContadorPinturas& pinturas);
// One pass at the largest size; prints its peak memory.
int Memoria();
// Many small sessions, one after another; prints how much the program grew.
int Ciclos(int cuantos);
