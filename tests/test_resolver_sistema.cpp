// Known systems under the caller's floating-point flags, bad arguments, the
// fast solve against the statement-by-statement one on poisoned random
// systems, and the checked solve on systems whose solution is known exactly.

#include "solver/error_numerado.h"
#include "solver/resolucion_comprobada.h"
#include "solver/resolver_sistema.h"

#include <QtTest>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <tuple>

using Vec = std::vector<double>;

namespace {

constexpr double kSNaN = std::numeric_limits<double>::signaling_NaN();
constexpr int kDiv = int(NumeroError::DivisionEntreCero), kDes = int(NumeroError::Desbordamiento);

struct Sistema {
    Vec A, B, C, D;
};

// (error number, equation) or (0, 0), and Solucion, given stale contents to drop.
std::pair<QPoint, Vec> Resolver(auto f, const Sistema& s) {
    std::pair<QPoint, Vec> r{QPoint(), Vec{7.0, 7.0}};
    try {
        f(std::int32_t(s.B.size()), s.A, s.B, s.C, s.D, r.second);
    } catch (const ErrorNumerado& e) {
        r.first = QPoint(e.valor(), e.ecuacion());
    }
    return r;
}

// Bitwise, so that −0 against +0 and NaN payloads count.
bool MismosBits(const Vec& a, const Vec& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

const Vec kA4{0, -1, -1, -1}, kB4{2, 2, 2, 2}, kC4{-1, -1, -1, 0}, kD4{1, 0, 0, 1}, kZ4(4, 0.0);

// D = A·x in exact arithmetic: every coefficient and unknown a small integer
// or a power of two, every sum exact.
Sistema ConD(Sistema s, const Vec& x) {
    const std::size_t n = x.size();
    for (std::size_t i = 0; i < n; ++i)
        s.D[i] =
            (i > 0 ? s.A[i] * x[i - 1] : 0) + s.B[i] * x[i] + (i + 1 < n ? s.C[i] * x[i + 1] : 0);
    return s;
}

// 32 766 diagonally dominant equations, but for the 4 from k on: the
// example of the issue that a zero pivot stops (B(k) = 0), decoupled.
std::pair<Sistema, Vec> ProfundoEn(std::size_t k) {
    const std::size_t n = 32766;
    Sistema s{Vec(n, 1), Vec(n, 4), Vec(n, 1), Vec(n)};
    Vec x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = double(int(i % 7) - 3);
    const Vec bloque[] = {{0, 1, 1, 1}, {0, 1, 2, 1}, {1, 1, 1, 0}, {3, 1, -2, 6}}; // A B C x
    for (std::size_t j = 0; j < 4; ++j)
        std::tie(s.A[k + j], s.B[k + j], s.C[k + j], x[k + j]) =
            std::tuple(bloque[0][j], bloque[1][j], bloque[2][j], bloque[3][j]);
    s.C[k - 1] = 0;
    return {ConD(s, x), x};
}

} // namespace

class TestResolverSistema : public QObject {
    Q_OBJECT

private slots:
    void resolver_data() {
        QTest::addColumn<Sistema>("s");
        QTest::addColumn<QPoint>("fallo");
        QTest::addColumn<Vec>("x");
        // x3 comes out one ulp below 1 (0x1.fffffffffffffp-1), the others exact.
        const Vec x4{1, 1, 0.9999999999999999, 1};
        QTest::newRow("4x4") << Sistema{kA4, kB4, kC4, kD4} << QPoint() << x4;
        QTest::newRow("A1 y C4 sin uso")
            << Sistema{{kSNaN, -1, -1, -1}, kB4, {-1, -1, -1, INFINITY}, kD4} << QPoint() << x4;
        // m comes out subnormal and m·C(1) underflows to zero: neither is a failure.
        QTest::newRow("subdesbordamiento")
            << Sistema{{0, 1e-300}, {1e10, 1}, {1e-200, 0}, {1, 1}} << QPoint() << Vec{1e-10, 1};
        QTest::newRow("B1=0") << Sistema{kA4, {0, 2, 2, 2}, kC4, kD4} << QPoint(kDiv, 2) << kZ4;
        QTest::newRow("vacio, 0/0") << Sistema{kZ4, kZ4, kZ4, kZ4} << QPoint(kDes, 2) << kZ4;
        QTest::newRow("n=1, B=0") << Sistema{{1}, {0}, {1}, {1}} << QPoint(kDiv, 1) << Vec{0};
        // Solucion keeps what the statements before the failure stored.
        QTest::newRow("hacia atras")
            << Sistema{{0, 0}, {1, 1}, {1e300, 0}, {0, 1e300}} << QPoint(kDes, 1) << Vec{0, 1e300};
    }
    // Whatever flags the caller had raised: they neither cause a failure nor
    // get lost, and the solve leaves no failure flag of its own behind.
    void resolver() {
        QFETCH(Sistema, s);
        QFETCH(QPoint, fallo);
        QFETCH(Vec, x);
        for (auto f : {&ResolverSistema, &ResolverSistemaPasoAPaso})
            for (const int previas : {0, FE_OVERFLOW, FE_ALL_EXCEPT}) {
                std::feclearexcept(FE_ALL_EXCEPT);
                std::feraiseexcept(previas);
                const auto [obtenido, solucion] = Resolver(f, s);
                const int despues = std::fetestexcept(FE_ALL_EXCEPT);
                QCOMPARE(obtenido, fallo);
                QVERIFY(MismosBits(solucion, x));
                QCOMPARE(despues & (previas | FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW), previas);
            }
    }

    // Refused before anything is touched.
    void argumentosInvalidos() {
        Vec b = kB4, x{7.0};
        for (auto f : {&ResolverSistema, &ResolverSistemaPasoAPaso}) {
            QVERIFY_THROWS_EXCEPTION(std::invalid_argument, f(0, kA4, kB4, kC4, kD4, x));
            QVERIFY_THROWS_EXCEPTION(std::invalid_argument, f(5, kA4, kB4, kC4, kD4, x));
            QVERIFY_THROWS_EXCEPTION(std::invalid_argument, f(4, kA4, b, kC4, kD4, b));
            QVERIFY(MismosBits(x, {7.0}) && MismosBits(b, kB4));
        }
    }

    // Random systems, n up to 300, solved both ways. Unpoisoned ones are made
    // diagonally dominant and judged by their residual as well.
    void diferencial_data() {
        QTest::addColumn<Vec>("veneno");
        const double sub = std::numeric_limits<double>::denorm_min();
        QTest::newRow("sin veneno") << Vec{};
        QTest::newRow("ceros") << Vec{0.0, -0.0};
        QTest::newRow("enormes") << Vec{1e300, -1e300, 1.7e308, 1e200};
        QTest::newRow("NaN") << Vec{NAN, -NAN, -std::nan("0x123"), kSNaN};
        QTest::newRow("mezcla") << Vec{0.0, -0.0, 1e300, INFINITY, NAN, kSNaN, sub, 1e-300};
    }
    void diferencial() {
        QFETCH(Vec, veneno);
        std::mt19937_64 gen(qHash(QByteArray(QTest::currentDataTag())));
        std::uniform_real_distribution<double> u(-2.0, 2.0);
        int fallos = 0;
        for (int k = 0; k < 4000; ++k) {
            const int n = k % 10 == 0 ? 300 : 1 + int(gen() % 8);
            Sistema s{Vec(n), Vec(n), Vec(n), Vec(n)};
            for (Vec* w : {&s.A, &s.B, &s.C, &s.D})
                for (double& c : *w)
                    c = !veneno.empty() && gen() % 7 == 0 ? veneno[gen() % veneno.size()] : u(gen);
            for (int i = 0; veneno.empty() && i < n; ++i)
                s.B[i] = std::copysign(std::abs(s.A[i]) + std::abs(s.C[i]) + 0.1, s.B[i]);
            const auto [fallo, x] = Resolver(&ResolverSistema, s);
            const auto [falloPaso, xPaso] = Resolver(&ResolverSistemaPasoAPaso, s);
            QCOMPARE(fallo, falloPaso);
            QVERIFY(MismosBits(x, xPaso));
            fallos += !fallo.isNull();
            if (veneno.empty()) { // diagonally dominant: the elimination's answer stands
                Vec comprobada;
                const InformeResolucion r = ResolverComprobado(n, s.A, s.B, s.C, s.D, comprobada);
                QVERIFY(r.metodo == Metodo::SinPivoteo && r.rechazo == Rechazo::Ninguno);
                QVERIFY(MismosBits(comprobada, x));
            }
        }
        // Poison that makes no solve fail would prove little.
        QVERIFY(veneno.empty() ? fallos == 0 : fallos > 0);
    }

    // The rows of a 4-equation system are the example unless given.
    void comprobada_data() {
        QTest::addColumn<Sistema>("s");
        QTest::addColumn<Vec>("x");         // the exact solution; empty: refused
        QTest::addColumn<int>("resultado"); // Rechazo; for an answer, 10 + Metodo
        QTest::addColumn<int>("paraEn");    // where the elimination stopped, if it did
        QTest::addColumn<QPoint>("cifras"); // fewest and most trusted digits
        const Vec A4{0, 1, 1, 1}, C4{1, 1, 1, 0}, x4{3, 1, -2, 6}, D4{1, 2, 3, 4};
        const int sin = 10 + int(Metodo::SinPivoteo), con = 10 + int(Metodo::PivoteoParcial);
        // x is exact but for the 3E-20 that B(1)·x(1) adds to D(1).
        QTest::newRow("tiny pivot")
            << Sistema{A4, {1e-20, 1, 2, 1}, C4, D4} << x4 << con << 0 << QPoint(13, 15);
        QTest::newRow("zero pivot")
            << Sistema{A4, {0, 1, 2, 1}, C4, D4} << x4 << con << 2 << QPoint(13, 15);
        QTest::newRow("zero pivot, last equation")
            << ConD({A4, {1, 2, 1, 1}, C4, kZ4}, {1, 2, 3, 4}) << Vec{1, 2, 3, 4} << con << 4
            << QPoint(13, 15);
        const auto [profundo, xProfundo] = ProfundoEn(20000);
        QTest::newRow("zero pivot deep in 32 766")
            << profundo << xProfundo << con << 20002 << QPoint(12, 15);
        QTest::newRow("well conditioned")
            << Sistema{kA4, kB4, kC4, kD4} << Vec{1, 1, 1, 1} << sin << 0 << QPoint(14, 15);
        QTest::newRow("zero answer")
            << Sistema{kA4, kB4, kC4, kZ4} << kZ4 << sin << 0 << QPoint(15, 15);
        const double e = std::ldexp(1.0, -40); // condition about 4E+12
        QTest::newRow("ill conditioned")
            << ConD({{0, 1, 0, 0}, {1, 1 + e, 1, 1}, {1, 0, 0, 0}, kZ4}, {1, 2, 3, 4})
            << Vec{1, 2, 3, 4} << sin << 0 << QPoint(1, 4);
        QTest::newRow("singular, empty")
            << Sistema{kZ4, kZ4, kZ4, kZ4} << Vec{} << int(Rechazo::Singular) << 2 << QPoint();
        const double d = std::ldexp(1.0, -52);
        QTest::newRow("nearly singular") << Sistema{{0, 1}, {1, 1 + d}, {1, 0}, {2, 2 + d}} << Vec{}
                                         << int(Rechazo::CasiSingular) << 0 << QPoint();
    }
    // Refused, or answered by the method expected with the bound it reports
    // holding against the exact solution; the elimination's answer, when it
    // stands, bit for bit.
    void comprobada() {
        QFETCH(Sistema, s);
        QFETCH(Vec, x);
        QFETCH(int, resultado);
        QFETCH(int, paraEn);
        QFETCH(QPoint, cifras);
        Vec obtenida;
        const auto n = std::int32_t(s.B.size());
        const InformeResolucion r = ResolverComprobado(n, s.A, s.B, s.C, s.D, obtenida);
        QCOMPARE(r.rechazo == Rechazo::Ninguno ? 10 + int(r.metodo) : int(r.rechazo), resultado);
        QCOMPARE(r.ecuacionDelFallo, paraEn);
        QVERIFY(!x.empty() || MismosBits(obtenida, Vec(n, 0.0)));
        if (x.empty())
            return;
        double error = 0, mayor = 0;
        for (std::size_t i = 0; i < x.size(); ++i)
            std::tie(error, mayor) = std::pair(std::max(error, std::abs(obtenida[i] - x[i])),
                                               std::max(mayor, std::abs(obtenida[i])));
        QVERIFY2(error <= r.cotaError * mayor, qPrintable(QString::number(error / mayor)));
        // Every digit claimed is one the bound guarantees.
        const int c = r.CifrasConfiables();
        QVERIFY(c >= cifras.x() && c <= cifras.y() && r.cotaError <= std::pow(10.0, -c));
        if (r.metodo == Metodo::SinPivoteo)
            QVERIFY(MismosBits(obtenida, Resolver(&ResolverSistema, s).second));
    }
};

QTEST_APPLESS_MAIN(TestResolverSistema)
#include "test_resolver_sistema.moc"
