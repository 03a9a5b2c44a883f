// Known systems under the caller's floating-point flags, bad arguments, and the
// fast solve against the statement-by-statement one on poisoned random systems.

#include "solver/error_numerado.h"
#include "solver/resolver_sistema.h"

#include <QtTest>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

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
            for (int i = 0; veneno.empty() && i < n; ++i) {
                const double t[] = {i > 0 ? s.A[i] * x[i - 1] : 0.0, s.B[i] * x[i],
                                    i + 1 < n ? s.C[i] * x[i + 1] : 0.0, -s.D[i]};
                QVERIFY(std::abs(t[0] + t[1] + t[2] + t[3]) <=
                        1e-14 *
                            (std::abs(t[0]) + std::abs(t[1]) + std::abs(t[2]) + std::abs(t[3])));
            }
        }
        // Poison that makes no solve fail would prove little.
        QVERIFY(veneno.empty() ? fallos == 0 : fallos > 0);
    }
};

QTEST_APPLESS_MAIN(TestResolverSistema)
#include "test_resolver_sistema.moc"
