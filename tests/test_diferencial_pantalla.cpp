// Thousands of random systems typed into the grid as text, in the forms
// people type numbers (plain, exponent, leading zeros, blanks around, digit
// grouping, the user's decimal separator, empty cells), solved through the
// real screens, against ResolverSistema called directly on the same texts
// converted with TextoADoble (empty as 0). The unknowns handed to the
// results screen must be the direct ones bit for bit, and its table must
// show each in the program's text form; a system the direct solve rejects
// must fail on the screen the same way: no results screen, one message
// naming the same failure at the same equation or cell, and the same
// partial result.

#include "app/conversiones.h"
#include "grid/grid_model.h"
#include "solver/error_numerado.h"
#include "solver/resolver_sistema.h"
#include "tests/ayudantes_pantallas.h"
#include "tests/banco_pantallas.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>

#include <bit>
#include <optional>

namespace {

enum class Perfil {
    Moderado,  // exponents -5 … 5, a few empty cells
    Extremo,   // exponents across the double range and beyond
    Pequenos,  // 0, ±1, ±2 and empties: zero pivots and 0/0
    NoNumeros, // moderate, with a cell that is not a number
};

// Dismisses every message box as it opens and keeps "title | text".
class Mensajes : public QObject {
public:
    Mensajes() { qApp->installEventFilter(this); }
    ~Mensajes() override { qApp->removeEventFilter(this); }
    QStringList vistos;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() == QEvent::Show)
            if (auto* caja = qobject_cast<QMessageBox*>(objeto)) {
                vistos << caja->windowTitle() + QStringLiteral(" | ") + caja->text();
                QMetaObject::invokeMethod(caja, &QDialog::accept, Qt::QueuedConnection);
            }
        return false;
    }
};

class Generador {
public:
    explicit Generador(quint32 semilla) : m_r(semilla) {}

    int Entre(int desde, int hasta) { return int(m_r.bounded(desde, hasta + 1)); }
    bool Azar(int porCiento) { return Entre(1, 100) <= porCiento; }
    QString Uno(std::initializer_list<const char*> lista) {
        return QString::fromUtf8(lista.begin()[Entre(0, int(lista.size()) - 1)]);
    }

    // A number as someone might type it, in the locale under test.
    QString Numero(Perfil perfil) {
        if (Azar(perfil == Perfil::Pequenos ? 20 : 4))
            return QString();
        if (perfil == Perfil::Pequenos)
            return Uno({"0", "1", "-1", "2", "-2", " 1 ", "1{d}0"}).replace(QStringLiteral("{d}"), Decimal());
        QString cifras;
        const int largo = Entre(1, 17);
        for (int i = 0; i < largo; ++i)
            cifras += QChar(u'0' + Entre(i == 0 ? 1 : 0, 9));
        const int coma = Entre(0, largo); // digits before the decimal separator
        QString entera = cifras.left(coma);
        const QString fraccion = cifras.mid(coma);
        QString texto;
        switch (perfil == Perfil::Extremo && Azar(80) ? 0 : Entre(0, 3)) {
        case 0: { // exponent form
            const int exponente = perfil != Perfil::Extremo ? Entre(-5, 5)
                                  : Azar(25)                  ? Entre(-330, 310)
                                                              : Entre(-150, 150);
            texto = cifras.left(1) + (largo > 1 ? Decimal() + cifras.mid(1) : QString()) + Uno({"e", "E"}) +
                    (exponente < 0 ? QStringLiteral("-") : Uno({"", "+"})) + Uno({"", "0"}) +
                    QString::number(std::abs(exponente));
            break;
        }
        case 1: // leading zeros
            texto = QStringLiteral("00") + entera + (fraccion.isEmpty() ? QString() : Decimal() + fraccion);
            break;
        case 2: // digit grouping
            for (qsizetype i = entera.size() - 3; i > 0; i -= 3)
                entera.insert(i, QLocale().groupSeparator());
            [[fallthrough]];
        default:
            texto = (entera.isEmpty() && Azar(50) ? QStringLiteral("0") : entera) +
                    (fraccion.isEmpty() ? QString() : Decimal() + fraccion);
        }
        const QString signo = Azar(40) ? QStringLiteral("-") : Azar(5) ? QStringLiteral("+") : QString();
        return Uno({"", " ", "  ", "\t"}) + signo + texto + Uno({"", " ", " \t"});
    }

    QString NoNumero() {
        return Uno({"abc", "1e", "  ", "--1", "1,2,3", "inf", "\u0664", "1e999", "0x10", "4 4"});
    }

    QString Cuenta(int n) {
        return Uno({"%1", " %1 ", "+%1", "%1{d}0", "00%1", "%1{d}4"}).arg(n).replace(QStringLiteral("{d}"), Decimal());
    }

private:
    static QString Decimal() { return QLocale().decimalPoint(); }
    QRandomGenerator m_r;
};

QList<quint64> Bits(const std::vector<double>& v) {
    QList<quint64> bits;
    for (const double x : v)
        bits << std::bit_cast<quint64>(x);
    return bits;
}

// What the direct path makes of the texts: the unknowns, or the failure
// with its equation, or the first cell (row, column) that is not a number.
struct Directo {
    std::vector<double> solucion;
    std::optional<ErrorNumerado> fallo;
    QPoint celda;
};

Directo Resolver(const QList<QStringList>& filas) {
    const int n = int(filas.size());
    Directo d;
    d.solucion.assign(std::size_t(n), 0.0);
    std::vector<double> v[4];
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < 4; ++c) {
            try {
                v[c].push_back(TextoADoble(filas[i][c].isEmpty() ? QStringLiteral("0") : filas[i][c], QLocale()));
            } catch (const ErrorNumerado& e) {
                d.fallo = e;
                d.celda = QPoint(i + 1, c + 1);
                return d;
            }
        }
    try {
        ResolverSistema(n, v[0], v[1], v[2], v[3], d.solucion);
    } catch (const ErrorNumerado& e) {
        d.fallo = e;
    }
    return d;
}

// The offscreen platform warns at every raise() and more, thousands of
// times here: that would hide what the test reports.
QtMessageHandler gManejadorPrevio = nullptr;
void SinAvisosDeRaise(QtMsgType tipo, const QMessageLogContext& contexto, const QString& texto) {
    if (!texto.contains(QLatin1String("This plugin does not support")))
        gManejadorPrevio(tipo, contexto, texto);
}

} // namespace

Q_DECLARE_METATYPE(Perfil)

class TestDiferencialPantalla : public QObject, BancoPantallas {
    Q_OBJECT

    void Pulsar(Pantalla* p, const char* boton) { En<QPushButton>(p, boton)->click(); }

    // Through the editor and the screen's check, as the user types.
    void Teclear(int fila, int col, const QString& texto) {
        Tabla()->SetCurrentRow(fila);
        Tabla()->SetCurrentCol(col);
        Tabla()->setFocus();
        QTest::keyClick(Tabla(), Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->setText(texto);
        QTest::keyClick(editor, Qt::Key_Return);
    }

    // Types the system (count and cells) and returns the cells' texts as
    // the solve will find them.
    QList<QStringList> Escribir(Generador& g, Perfil perfil, bool porEditor) {
        const int n = g.Azar(3) ? g.Entre(13, 40) : g.Entre(4, 12);
        QList<QStringList> filas(n, QStringList(4));
        for (QStringList& fila : filas)
            for (QString& celda : fila)
                celda = g.Numero(perfil);
        if (perfil == Perfil::NoNumeros)
            filas[g.Entre(0, n - 1)][g.Entre(0, 3)] = g.NoNumero();

        if (!En<QLineEdit>(Datos(), "NumeroEcuaciones")->isEnabled())
            Pulsar(Datos(), "BotonCambio"); // still here after a failed solve
        En<QLineEdit>(Datos(), "NumeroEcuaciones")->setText(g.Cuenta(n));
        Pulsar(Datos(), "OK1");
        if (Tabla()->RowCount() != n + 1)
            return {};
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < 4; ++c) {
                QString& texto = filas[i][c];
                if (porEditor && !texto.isEmpty()) {
                    Teclear(i + 1, c + 1, texto);
                    // The check rewrote it in normal form, or kept it marked.
                    try {
                        texto = DobleATexto(TextoADoble(texto, QLocale()), QLocale());
                    } catch (const ErrorNumerado&) {
                        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                    }
                } else {
                    Tabla()->SetCurrentRow(i + 1);
                    Tabla()->SetCurrentCol(c + 1);
                    Tabla()->SetCellText(texto);
                }
                if (Tabla()->gridModel()->text(i, c) != texto)
                    return {};
            }
        return filas;
    }

    void Comparar(const QList<QStringList>& filas, int sistema) {
        const Directo directo = Resolver(filas);
        const int n = int(filas.size());
        voz->Olvidar();
        Mensajes mensajes;
        Pulsar(Datos(), "Resolver");
        const QString cual = QStringLiteral("system %1").arg(sistema);

        QCOMPARE(Bits(app->Modulo().Solucion), Bits(directo.solucion));
        if (!directo.fallo) {
            QVERIFY2(Resultados() && !Datos() && mensajes.vistos.isEmpty(), qPrintable(cual));
            const GridModel* tabla = En<QtGrid>(Resultados(), "Incognitas")->gridModel();
            QCOMPARE(tabla->rowCount(), n);
            for (int i = 0; i < n; ++i) {
                QCOMPARE(tabla->text(i, 0), QStringLiteral("x%1").arg(i + 1));
                QCOMPARE(tabla->text(i, 1), DobleATexto(directo.solucion[std::size_t(i)], QLocale()));
            }
            Pulsar(Resultados(), "Command2");
            QVERIFY(Datos());
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return;
        }
        QVERIFY2(!Resultados() && Datos(), qPrintable(cual));
        QCOMPARE(mensajes.vistos.size(), 1);
        const QString fallo = QString::fromUtf8(directo.fallo->texto());
        const QString donde =
            directo.celda.isNull()
                ? QStringLiteral("%1: la resolución se detuvo en la ecuación %2").arg(fallo).arg(directo.fallo->ecuacion())
                : QStringLiteral("%1: la celda de la fila %2, columna %3,")
                      .arg(fallo)
                      .arg(directo.celda.x())
                      .arg(QChar(u'A' + directo.celda.y() - 1));
        QVERIFY2(mensajes.vistos[0].contains(donde), qPrintable(cual + u'\n' + mensajes.vistos[0] + u'\n' + donde));
        QCOMPARE(Datos()->GetPuntero(), Puntero::Predeterminado);
        // A closed message box leaves no window active on the offscreen
        // platform; a window system would hand activation back.
        Datos()->activateWindow();
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase() {
        gManejadorPrevio = qInstallMessageHandler(SinAvisosDeRaise);
        Montar();
        QVERIFY(QTest::qWaitForWindowActive(Datos()));
    }
    void cleanupTestCase() { app.reset(); }
    // A row that failed half-way may have left the results on screen.
    void init() {
        if (Resultados())
            Pulsar(Resultados(), "Command2");
        QVERIFY(Datos());
        Datos()->activateWindow();
        QCoreApplication::processEvents();
    }

    void random_systems_data() {
        QTest::addColumn<Perfil>("perfil");
        QTest::addColumn<int>("sistemas");
        QTest::addColumn<bool>("porEditor");
        QTest::addColumn<quint32>("semilla");
        QTest::newRow("moderate, written as typed") << Perfil::Moderado << 900 << false << 1u;
        QTest::newRow("whole double range") << Perfil::Extremo << 500 << false << 2u;
        QTest::newRow("zeros and small integers") << Perfil::Pequenos << 400 << false << 3u;
        QTest::newRow("a cell that is not a number") << Perfil::NoNumeros << 150 << false << 4u;
        QTest::newRow("through the cell check") << Perfil::Moderado << 60 << true << 5u;
        QTest::newRow("whole range through the check") << Perfil::Extremo << 40 << true << 6u;
    }
    void random_systems() {
        QFETCH(Perfil, perfil);
        QFETCH(int, sistemas);
        QFETCH(bool, porEditor);
        QFETCH(quint32, semilla);
        Generador g(semilla);
        int fallidos = 0;
        for (int s = 1; s <= sistemas; ++s) {
            const QList<QStringList> filas = Escribir(g, perfil, porEditor);
            QVERIFY2(!filas.isEmpty(), qPrintable(QStringLiteral("system %1 could not be typed").arg(s)));
            fallidos += Resolver(filas).fallo.has_value();
            Comparar(filas, s);
            if (QTest::currentTestFailed())
                return;
        }
        qInfo("%d systems, %d failed", sistemas, fallidos);
    }

    // Typed as the largest double, a coefficient is shown as
    // 1,79769313486232E+308, which lies above it: the solve can then not
    // read the cell the check accepted.
    void largest_double_survives_the_check() {
        QList<QStringList> filas(4, QStringList{"", "1{d}7976931348623157e308", "", "1{d}7976931348623157e308"});
        for (QStringList& fila : filas)
            fila.replaceInStrings("{d}", QLocale().decimalPoint());
        if (En<QLineEdit>(Datos(), "NumeroEcuaciones")->isEnabled() == false)
            Pulsar(Datos(), "BotonCambio");
        En<QLineEdit>(Datos(), "NumeroEcuaciones")->setText(QStringLiteral("4"));
        Pulsar(Datos(), "OK1");
        for (int i = 1; i <= 4; ++i)
            for (int c = 2; c <= 4; c += 2)
                Teclear(i, c, filas[i - 1][c - 1]);
        Mensajes mensajes;
        Pulsar(Datos(), "Resolver");
        QVERIFY2(Resultados(), qPrintable(mensajes.vistos.value(0)));
        QCOMPARE(app->Modulo().Solucion, std::vector<double>(4, 1.0));
    }
};

QTEST_MAIN(TestDiferencialPantalla)
#include "test_diferencial_pantalla.moc"
