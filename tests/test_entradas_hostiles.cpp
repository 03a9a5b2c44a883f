// Hostile text pasted into the count box and into a cell, then confirmed with
// Enter: the count is accepted or refused with its message, the cell rewritten
// in normal form or marked, left as typed and reopened; nothing else changes.

#include "tests/banco_pantallas.h"

#include <tuple>

using namespace std::literals;

namespace {

constexpr int kFuera = -1'000'000; // not a number, or beyond the 16 bits of a count
using Celda = QMap<int, QVariant>; // by role
const QString kMayorQueTres = QStringLiteral("Introduzca un número mayor que tres");
const QString kDatos = QStringLiteral("Introduzca los datos de las ecuaciones");

// Not numbers, refused as counts and marked in cells; {d}, {g}: the locale's separators.
constexpr std::u16string_view kNoNumeros[] = {
    // Blanks and signs, alone or misplaced.
    u"", u"   ", u"\t\n ", u"+", u"-", u"{d}", u"--1", u"+-4", u"- 4", u"4-", u"(4)",
    // Exponents that are not, or beyond the double range.
    u"1e", u"1e+", u"e5", u"1e2e3", u"1e5{d}5", u"1e999", u"-1e999", u"1e99999999999999999999",
    // Separators where the locale puts none.
    u"12{g}34", u"{g}123", u"123{g}", u"0{g}004", u"1{d}234{g}5", u"4{g}0", u"1{d}2{d}3", u"1,2,3",
    u"1 000", u"1\u00A0000", u"1\u202F000", u"1'000", u"1_000",
    // Other notations.
    u"inf", u"-Infinity", u"\u221E", u"NaN", u"0x10", u"&H10", u"$4", u"4 \u20AC", u"4abc", u"4 4",
    // Digits of other scripts, and things that look like digits.
    u"\u0664", u"\u06F4", u"\u096A", u"\uFF14", u"4\u0664", u"\u00BD", u"\u2164", u"4\uFE0F\u20E3",
    u"\U0001F600", u"4\u0301",
    // Invisible and control characters, lone surrogates.
    u"\u200F4", u"4\u200E", u"\u202B4\u202C", u"4\u200B", u"\uFEFF4", u"4\0"sv, u"\u00004"sv,
    u"\x1b[31m4", u"4\a", u"\x7f", u"\xD800", u"4\xDC00"};

// Numbers in unusual dress: as typed, the count each makes (kFuera: beyond 16
// bits), and the cell's normal form.
constexpr std::tuple<std::u16string_view, int, std::u16string_view> kNumeros[] = {
    {u"+4", 4, u"4"},
    {u"4{d}", 4, u"4"},
    {u"{d}5", 0, u"0{d}5"},
    {u"000000000000000000000000000004", 4, u"4"},
    {u"\r\n\v4\t\f", 4, u"4"},
    {u"\u00A0\u30004\u00A0", 4, u"4"},
    {u"-0", 0, u"0"},
    {u"3", 3, u"3"},
    {u"\u22124", -4, u"-4"},
    {u"3{d}5", 4, u"3{d}5"}, // halves to even
    {u"4{d}5", 4, u"4{d}5"},
    {u"1e+3", 1000, u"1000"},
    {u"4E+0000000000000000000000", 4, u"4"},
    {u"1e-3", 0, u"0{d}001"},
    {u"-1e-999", 0, u"0"},
    {u"0e99999999999999999999", 0, u"0"},
    {u"4{d}9e-324", 0, u"4{d}94065645841247E-324"},
    {u"1e308", kFuera, u"1E+308"},
    // The ends of a count's range; 32767 leaves no room for the header row.
    {u"32767", 32767, u"32767"},
    {u"32766", 32766, u"32766"},
    {u"32767{d}5", kFuera, u"32767{d}5"},
    {u"-32769", kFuera, u"-32769"},
    {u"1{g}234", 1234, u"1234"},
    {u"1{g}234{d}5", 1234, u"1234{d}5"},
    {u"1{g}234{g}567", kFuera, u"1234567"},
};

// A row's name: the text quoted, what is not printable escaped.
QByteArray Nombre(std::u16string_view t) {
    QString nombre;
    QDebug(&nombre).nospace() << QStringView(t);
    return nombre.toUtf8();
}

void Catalogo() {
    const auto local = [](std::u16string_view t) {
        return ConSeparador(QStringView(t).toString()).replace("{g}", QLocale().groupSeparator());
    };
    QTest::addColumn<QString>("escrito");
    QTest::addColumn<int>("cuenta");
    QTest::addColumn<QString>("celda"); // null: marked, left as typed
    for (const std::u16string_view t : kNoNumeros)
        QTest::newRow(Nombre(t)) << local(t) << kFuera << QString();
    for (const auto& [escrito, cuenta, celda] : kNumeros)
        QTest::newRow(Nombre(escrito)) << local(escrito) << cuenta << local(celda);
    // Pasted, a megabyte is cut to the 32 767 characters a box or editor holds.
    constexpr int kMegabyte = 1 << 20;
    QTest::newRow("megabyte of sevens") << QString(kMegabyte, u'7') << kFuera << QString();
    QTest::newRow("megabyte of zeros") << QString(kMegabyte, u'0') << 0 << QStringLiteral("0");
    QTest::newRow("blank megabyte, 4") << QString(kMegabyte, u' ') + u'4' << kFuera << QString();
}

} // namespace

class TestEntradasHostiles : public QObject, BancoPantallas {
    Q_OBJECT

    // Each cell's text, colours and alignment, row by row.
    QList<Celda> Celdas() const {
        QList<Celda> todas;
        for (int i = 0; i < 16; ++i)
            todas << Tabla()->gridModel()->itemData(Tabla()->gridModel()->index(i / 4, i % 4));
        return todas;
    }
    // Pasted over what the box or editor held, then Enter; what it took.
    static QString Pegar(QLineEdit* caja, const QString& escrito) {
        caja->selectAll();
        caja->insert(escrito);
        const QString tomado = caja->text();
        QTest::keyClick(caja, Qt::Key_Return);
        return tomado;
    }

private slots:
    // A count of 4 accepted and every cell filled: the screen a hostile entry meets.
    void init() {
        QVERIFY(Montar());
        ConfirmarCuenta(4);
        Poner(QList<QStringList>(4, {"1{d}5", "-2", "3e5", "0{d}25"}));
        voz->Olvidar();
    }
    void cleanup() { app.reset(); }

    void count_box_data() { Catalogo(); }
    void count_box() {
        QFETCH(QString, escrito);
        QFETCH(int, cuenta);
        const QList<Celda> antes = Celdas();
        Clic(Datos(), "BotonCambio");
        voz->Olvidar();
        VigilanteMensajes mensajes;
        const QString tomado = Pegar(Caja(), escrito);

        // The grid is sized before its size is judged; a size it refuses (the
        // count 32767, negative counts) leaves it with its 4 rows.
        const bool dimensionada = cuenta != kFuera && cuenta != 32767 && cuenta >= -1;
        const int filas = dimensionada ? cuenta + 1 : 5;
        const bool aceptada = dimensionada && filas >= 5;
        QCOMPARE(Tabla()->RowCount(), filas);
        QCOMPARE(Caja()->text(), tomado);
        QCOMPARE(mensajes.vistos.join(""), aceptada ? "" : "Error en Validación de Datos | " + kMayorQueTres);
        QCOMPARE(voz->Frases().value(0), aceptada ? kDatos : kMayorQueTres);
        QCOMPARE(Estado(), aceptada ? "coefficients" : "count");
        if (aceptada)
            QCOMPARE(Tabla()->gridModel()->headerText(Qt::Vertical, filas - 2),
                     QString::number(filas - 1));
        else
            QCOMPARE(Datos()->focusWidget(), Caja());
        // The rows that remain keep their cells.
        const int quedan = 4 * (std::min(filas, 5) - 1);
        QVERIFY(Celdas().mid(0, quedan) == antes.mid(0, quedan));
    }

    void cell_data() { Catalogo(); }
    void cell() {
        QFETCH(QString, escrito);
        QFETCH(QString, celda);
        constexpr int kFila = 2, kCol = 3, kIndice = 4 * (kFila - 1) + kCol - 1;
        QList<Celda> antes = Celdas();
        VigilanteMensajes mensajes;
        ClicEn(kFila, kCol);
        QTest::keyClick(Tabla(), Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor && Tabla()->isEditing());
        const QString tomado = Pegar(editor, escrito);

        QList<Celda> ahora = Celdas();
        const Celda despues = ahora.takeAt(kIndice);
        antes.removeAt(kIndice);
        const bool rechazada = celda.isNull();
        QCOMPARE(despues[Qt::DisplayRole].toString(), rechazada ? tomado : celda);
        QVERIFY(Marcada(kFila, kCol) == rechazada && Tabla()->isEditing() == rechazada);
        if (!rechazada)
            QCOMPARE(despues[Qt::TextAlignmentRole].toInt(),
                     int(Qt::AlignRight | Qt::AlignVCenter));
        QCOMPARE(Actual(), QPoint(kFila, kCol));
        // Nothing else moved: other cells, count box, state, voice; no message.
        QVERIFY(ahora == antes);
        QCOMPARE(Caja()->text(), QStringLiteral("4"));
        QCOMPARE(Estado(), "coefficients");
        QVERIFY(voz->Frases().isEmpty() && mensajes.vistos.isEmpty());
    }
};

QTEST_MAIN(TestEntradasHostiles)
#include "test_entradas_hostiles.moc"
