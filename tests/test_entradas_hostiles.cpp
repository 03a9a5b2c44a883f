// The cell check, under hostile text: whatever is pasted into a cell, the edit
// ended with Enter, Tab, Down or a click elsewhere, the cell is rewritten in
// normal form and the current cell goes where the user sent it, or the cell is
// marked, left as typed and reopened until corrected; the check is silent and
// nothing else changes. The same text read as a count gives the count it
// should.

#include "app/conversiones/conversiones.h"
#include "solver/error_numerado.h"
#include "tests/banco_pantallas.h"

#include <QSignalSpy>
#include <tuple>

using namespace std::literals;

namespace {

constexpr int kFuera = -1'000'000; // not a number, or beyond the 16 bits of a count

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
// bits; halves go to the even neighbour), and the cell's normal form.
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
    {u"3{d}5", 4, u"3{d}5"},
    {u"4{d}5", 4, u"4{d}5"},
    {u"1e+3", 1000, u"1000"},
    {u"4E+0000000000000000000000", 4, u"4"},
    {u"1e-3", 0, u"0{d}001"},
    {u"-1e-999", 0, u"0"},
    {u"0e99999999999999999999", 0, u"0"},
    {u"4{d}9e-324", 0, u"4{d}94065645841247E-324"},
    {u"1e308", kFuera, u"1E+308"},
    {u"32767", 32767, u"32767"},
    {u"32766", 32766, u"32766"},
    {u"32767{d}5", kFuera, u"32767{d}5"},
    {u"-32769", kFuera, u"-32769"},
    {u"1{g}234", 1234, u"1234"},
    {u"1{g}234{d}5", 1234, u"1234{d}5"},
    {u"1{g}234{g}567", kFuera, u"1234567"}};

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
    QTest::addColumn<int>("tecla"); // 0: a click on the cell below and to the right
    QTest::addColumn<int>("cuenta");
    QTest::addColumn<QString>("celda"); // null: marked, left as typed
    const int enter = Qt::Key_Return;
    for (const std::u16string_view t : kNoNumeros)
        QTest::newRow(Nombre(t)) << local(t) << enter << kFuera << QString();
    for (const auto& [escrito, cuenta, celda] : kNumeros)
        QTest::newRow(Nombre(escrito)) << local(escrito) << enter << cuenta << local(celda);
    // Pasted, a megabyte is cut to the 32 767 characters a box or editor holds.
    constexpr int kMegabyte = 1 << 20;
    QTest::newRow("megabyte of sevens") << QString(kMegabyte, u'7') << enter << kFuera << QString();
    QTest::newRow("megabyte of zeros")
        << QString(kMegabyte, u'0') << enter << 0 << QStringLiteral("0");
    QTest::newRow("blank megabyte, 4")
        << QString(kMegabyte, u' ') + u'4' << enter << kFuera << QString();
    // The other ways an edit ends.
    for (const int tecla : {int(Qt::Key_Tab), int(Qt::Key_Down), 0}) {
        QTest::addRow("number, key %x", tecla)
            << local(u"-2{d}50") << tecla << -2 << local(u"-2{d}5");
        QTest::addRow("letters, key %x", tecla) << "abc" << tecla << kFuera << QString();
    }
}

} // namespace

class TestEntradasHostiles : public QObject, BancoPantallas {
    Q_OBJECT

private slots:
    // A count of 4 accepted and every cell filled: the screen a hostile entry meets.
    void init() {
        QVERIFY(Montar());
        ConfirmarCuenta(4);
        Poner(QList<QStringList>(4, {"1{d}5", "-2", "3e5", "0{d}25"}));
        voz->Olvidar();
    }
    void cleanup() { app.reset(); }

    void cell_data() { Catalogo(); }
    void cell() {
        QFETCH(QString, escrito);
        QFETCH(int, tecla);
        QFETCH(int, cuenta);
        QFETCH(QString, celda);
        const bool rechazada = celda.isNull();
        // Where the user sent the current cell from (2, 3), had the entry been taken.
        const QPoint destino = tecla == Qt::Key_Tab    ? QPoint(2, 4)
                               : tecla == Qt::Key_Down ? QPoint(3, 3)
                               : tecla == 0            ? QPoint(3, 4)
                                                       : QPoint(2, 3);
        QList<QStringList> esperadas = Vistas();
        ClicEn(2, 3);
        QTest::keyClick(Tabla(), Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor && Tabla()->isEditing());
        editor->selectAll(); // pasted over what it held
        editor->insert(escrito);
        const QString tomado = editor->text();
        QSignalSpy avisos(Tabla(), &QtGrid::CellEdited);
        tecla ? QTest::keyClick(editor, Qt::Key(tecla)) : ClicEn(3, 4);
        QCOMPARE(avisos.count(), 1); // a click does not end a reopened edit again

        // That cell rewritten or marked; nothing else moved: other cells, count
        // box, state, voice, and no message (the fixture's trap would fail).
        esperadas[1][2] = rechazada ? tomado + "*" : celda + ">";
        QVERIFY(Vistas() == esperadas);
        QCOMPARE(Tabla()->isEditing(), rechazada);
        QCOMPARE(Actual(), rechazada ? QPoint(2, 3) : destino);
        QCOMPARE(Caja()->text(), QStringLiteral("4"));
        QCOMPARE(Estado(), "coefficients");
        QVERIFY(voz->Frases().isEmpty());
        if (rechazada) { // corrected in the editor reopened for it
            Pulsar(Qt::Key_A, Qt::ControlModifier);
            Teclear(QStringLiteral("3"));
            Pulsar(Qt::Key_Return);
            QCOMPARE(Vistas()[1][2], QStringLiteral("3>"));
            QVERIFY(!Tabla()->isEditing());
        }

        // The count box holds as much as an editor and reads its text so.
        int leida = kFuera;
        try {
            leida = TextoAEntero16(tomado, QLocale());
        } catch (const ErrorNumerado&) {
        }
        QCOMPARE(leida, cuenta);
    }
};

QTEST_MAIN(TestEntradasHostiles)
#include "test_entradas_hostiles.moc"
