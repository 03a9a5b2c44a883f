#include "solver/error_numerado.h"
#include "solver/resolver_sistema.h"

#include <QtTest>
#include <bit>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using Vec = std::vector<double>;
using Resolutor = void (*)(std::int32_t, const Vec&, const Vec&, const Vec&, const Vec&, Vec&);

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kSNaN = std::numeric_limits<double>::signaling_NaN();
constexpr int kFallos = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
constexpr int kDiv = int(NumeroError::DivisionEntreCero), kDes = int(NumeroError::Desbordamiento);
constexpr Resolutor kAmbos[] = {&ResolverSistema, &ResolverSistemaPasoAPaso};

struct Sistema {
    Vec A, B, C, D;
};

struct Resultado {
    int error = 0; // 0: solved
    int ecuacion = 0;
    Vec x{7.0, 7.0}; // stale contents the solve has to drop
};

Resultado Resolver(Resolutor f, const Sistema& s) {
    Resultado r;
    try {
        f(static_cast<std::int32_t>(s.B.size()), s.A, s.B, s.C, s.D, r.x);
    } catch (const ErrorNumerado& e) {
        r.error = e.valor();
        r.ecuacion = e.ecuacion();
    }
    return r;
}

// Bitwise, so that −0 against +0 and NaN payloads count.
bool MismosBits(const Vec& a, const Vec& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

// n random equations, about one coefficient in seven replaced by a poison value.
Sistema Aleatorio(std::mt19937_64& gen, int n, const Vec& veneno) {
    std::uniform_real_distribution<double> u(-2.0, 2.0);
    Sistema s{Vec(n), Vec(n), Vec(n), Vec(n)};
    for (Vec* w : {&s.A, &s.B, &s.C, &s.D})
        for (double& c : *w)
            c = !veneno.empty() && gen() % 7 == 0 ? veneno[gen() % veneno.size()] : u(gen);
    return s;
}

const Vec kA4{0, -1, -1, -1}, kB4{2, 2, 2, 2}, kC4{-1, -1, -1, 0}, kD4{1, 0, 0, 1};
const Vec kZ4(4, 0.0);

} // namespace

class TestResolverSistema : public QObject {
    Q_OBJECT

private slots:
    void resolver_data() {
        QTest::addColumn<Sistema>("s");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("ecuacion");
        QTest::addColumn<Vec>("x");
        // x3 comes out one ulp below 1 (0x1.fffffffffffffp-1), the others exact.
        const Vec x4{1, 1, 0.9999999999999999, 1};
        QTest::newRow("4x4") << Sistema{kA4, kB4, kC4, kD4} << 0 << 0 << x4;
        QTest::newRow("A1 y C4 sin uso")
            << Sistema{{kSNaN, -1, -1, -1}, kB4, {-1, -1, -1, kInf}, kD4} << 0 << 0 << x4;
        QTest::newRow("n=1") << Sistema{{5}, {4}, {-3}, {2}} << 0 << 0 << Vec{0.5};
        // m comes out subnormal and m·C(1) underflows to zero: neither is a failure.
        QTest::newRow("subdesbordamiento")
            << Sistema{{0, 1e-300}, {1e10, 1}, {1e-200, 0}, {1, 1}} << 0 << 0 << Vec{1e-10, 1};
        QTest::newRow("NaN silencioso")
            << Sistema{{0, kNaN}, {1, 1}, {0, 0}, {1, 1}} << 0 << 0 << Vec{kNaN, kNaN};
        QTest::newRow("B1=0") << Sistema{kA4, {0, 2, 2, 2}, kC4, kD4} << kDiv << 2 << kZ4;
        QTest::newRow("vacio, 0/0") << Sistema{kZ4, kZ4, kZ4, kZ4} << kDes << 2 << kZ4;
        QTest::newRow("n=1, B=0") << Sistema{{1}, {0}, {1}, {1}} << kDiv << 1 << Vec{0};
        QTest::newRow("Beta2=0, n=2")
            << Sistema{{0, 1}, {1, 1}, {1, 0}, {1, 2}} << kDiv << 2 << Vec{0, 0};
        QTest::newRow("Beta2=0, A3=2")
            << Sistema{{0, 1, 2}, {1, 1, 1}, {1, 1, 0}, {1, 1, 1}} << kDiv << 3 << Vec{0, 0, 0};
        QTest::newRow("Beta2=0, A3=0")
            << Sistema{{0, 1, 0}, {1, 1, 1}, {1, 1, 0}, {1, 1, 1}} << kDes << 3 << Vec{0, 0, 0};
        QTest::newRow("1e300*1e300") << Sistema{{0, 0, 1e300}, {1, 1, 1}, {0, 1e300, 0}, {1, 1, 1}}
                                     << kDes << 3 << Vec{0, 0, 0};
        QTest::newRow("inf-inf") << Sistema{{0, 1}, {1, kInf}, {kInf, 0}, {1, 1}} << kDes << 2
                                 << Vec{0, 0};
        QTest::newRow("NaN senalizador")
            << Sistema{{0, 1}, {kSNaN, 1}, {0, 0}, {1, 1}} << kDes << 2 << Vec{0, 0};
        // Solucion keeps what the statements before the failure stored.
        QTest::newRow("hacia atras")
            << Sistema{{0, 0, 0}, {1, 1, 1}, {1e300, 1e300, 0}, {0, 0, 1e300}} << kDes << 2
            << Vec{0, 0, 1e300};
    }
    void resolver() {
        QFETCH(Sistema, s);
        QFETCH(int, error);
        QFETCH(int, ecuacion);
        QFETCH(Vec, x);
        for (Resolutor f : kAmbos) {
            const Resultado r = Resolver(f, s);
            QCOMPARE(r.error, error);
            QCOMPARE(r.ecuacion, ecuacion);
            QVERIFY(MismosBits(r.x, x));
        }
    }

    // The caller's flags neither cause a failure nor get lost, and the solve
    // leaves no failure flag of its own behind.
    void banderasDelLlamador_data() {
        QTest::addColumn<int>("previas");
        QTest::addColumn<bool>("falla");
        QTest::newRow("limpias") << 0 << false;
        QTest::newRow("todas") << int(FE_ALL_EXCEPT) << false;
        QTest::newRow("limpias, falla") << 0 << true;
        QTest::newRow("desbordamiento previo, falla") << int(FE_OVERFLOW) << true;
    }
    void banderasDelLlamador() {
        QFETCH(int, previas);
        QFETCH(bool, falla);
        std::feclearexcept(FE_ALL_EXCEPT);
        std::feraiseexcept(previas);
        const Resultado r =
            Resolver(&ResolverSistema, {kA4, {falla ? 0.0 : 2.0, 2, 2, 2}, kC4, kD4});
        const int despues = std::fetestexcept(FE_ALL_EXCEPT);
        std::feclearexcept(FE_ALL_EXCEPT);
        QCOMPARE(despues & (previas | kFallos), previas);
        QCOMPARE(r.error, falla ? kDiv : 0);
    }

    void argumentosInvalidos_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("corto"); // vector one element short, −1 none
        QTest::addColumn<bool>("solucionEsB");
        QTest::newRow("n=0") << 0 << -1 << false;
        QTest::newRow("n<0") << -3 << -1 << false;
        QTest::newRow("D corto") << 4 << 3 << false;
        QTest::newRow("Solucion es B") << 4 << -1 << true;
    }
    void argumentosInvalidos() {
        QFETCH(int, n);
        QFETCH(int, corto);
        QFETCH(bool, solucionEsB);
        Vec v[4] = {kA4, kB4, kC4, kD4}, propia{7.0};
        if (corto >= 0)
            v[corto].pop_back();
        Vec& x = solucionEsB ? v[1] : propia;
        const Vec antes = x;
        for (Resolutor f : kAmbos) {
            QVERIFY_THROWS_EXCEPTION(std::invalid_argument, f(n, v[0], v[1], v[2], v[3], x));
            QVERIFY(MismosBits(x, antes));
        }
    }

    // Diagonally dominant systems of up to 400 equations, by their residual.
    void residuoAleatorio() {
        std::mt19937_64 gen(20240611);
        Vec x;
        for (int k = 0; k < 300; ++k) {
            const int n = 1 + int(gen() % 400);
            auto [A, B, C, D] = Aleatorio(gen, n, {});
            for (int i = 0; i < n; ++i)
                B[i] = std::copysign(std::abs(A[i]) + std::abs(C[i]) + 0.1, B[i]);
            ResolverSistema(n, A, B, C, D, x);
            for (int i = 0; i < n; ++i) {
                const double iz = i > 0 ? A[i] * x[i - 1] : 0.0,
                             de = i + 1 < n ? C[i] * x[i + 1] : 0.0;
                const double cota =
                    std::abs(iz) + std::abs(B[i] * x[i]) + std::abs(de) + std::abs(D[i]);
                QVERIFY(std::abs(iz + B[i] * x[i] + de - D[i]) <= 1e-14 * cota);
            }
        }
    }

    // The single end-of-solve check and its replay against the check after
    // every statement, on systems poisoned with the values that break them.
    void diferencial_data() {
        QTest::addColumn<Vec>("veneno");
        const double sub = std::numeric_limits<double>::denorm_min();
        const double nanCarga = std::bit_cast<double>(0xfff8000000000123ull);
        QTest::newRow("sin veneno") << Vec{};
        QTest::newRow("ceros") << Vec{0.0, -0.0};
        QTest::newRow("enormes") << Vec{1e300, -1e300, 1.7e308, 1e200};
        QTest::newRow("infinitos") << Vec{kInf, -kInf};
        QTest::newRow("NaN") << Vec{kNaN, -kNaN, nanCarga, kSNaN};
        QTest::newRow("subnormales") << Vec{sub, -1e3 * sub, 1e-310, 1e-300};
        QTest::newRow("mezcla") << Vec{0.0, -0.0, 1e300, kInf, kNaN, nanCarga, sub, 1e-300};
    }
    void diferencial() {
        QFETCH(Vec, veneno);
        std::mt19937_64 gen(qHash(QByteArray(QTest::currentDataTag())));
        int fallos = 0;
        for (int k = 0; k < 4000; ++k) {
            const Sistema s = Aleatorio(gen, k % 10 == 0 ? 300 : 1 + int(gen() % 8), veneno);
            const Resultado rapido = Resolver(&ResolverSistema, s);
            const Resultado paso = Resolver(&ResolverSistemaPasoAPaso, s);
            QCOMPARE(rapido.error, paso.error);
            QCOMPARE(rapido.ecuacion, paso.ecuacion);
            QVERIFY(MismosBits(rapido.x, paso.x));
            fallos += rapido.error != 0;
        }
        // Both outcomes must occur, or the comparison proves little.
        QVERIFY(fallos < 4000);
        QVERIFY(veneno.empty() || fallos > 0);
    }
};

QTEST_APPLESS_MAIN(TestResolverSistema)
#include "test_resolver_sistema.moc"
