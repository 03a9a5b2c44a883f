// Hostile text typed into the count box and into a cell of the data-entry
// screen: each string gets exactly its outcome, and nothing else on the
// screen changes. The count box either accepts (grid sized, coefficient
// entry) or shows "Introduzca un número mayor que tres" in a box titled
// "Error en Validación de Datos"; a cell is either rewritten in normal form
// or marked with the text left as typed and reopened. The text is pasted
// into the box or the cell's editor (one key at a time would take minutes
// for the longest), then confirmed with Enter.

#include "app/aplicacion.h"
#include "grid/grid_model.h"
#include "grid/qt_grid.h"
#include "screens/data_entry/datos1.h"
#include "speech/motor_voz_falso.h"
#include "tests/ayudantes_pantallas.h"

#include <QLineEdit>
#include <QPushButton>

#include <climits>
#include <optional>

namespace {

const QString kMayorQueTres = QStringLiteral("Introduzca un número mayor que tres");
const QString kValidacion = QStringLiteral("Error en Validación de Datos | ") + kMayorQueTres;
const QString kDatos = QStringLiteral("Introduzca los datos de las ecuaciones");
const QString kMarcada = QStringLiteral("<marcada>"); // the cell keeps the text and is marked
constexpr int kFilasPrevias = 5;                      // a count of 4 confirmed first
constexpr int kMegabyte = 1 << 20;

// The equation count the text reads as (rounded half to even); nullopt when
// it is not a number or does not fit in 16 bits.
using Cuenta = std::optional<int>;
constexpr Cuenta kNoEsCuenta = std::nullopt;

// "{d}" and "{g}": the decimal and the group separator of the locale under test.
QString Local(QString texto) {
    return texto.replace(QStringLiteral("{d}"), QLocale().decimalPoint())
        .replace(QStringLiteral("{g}"), QLocale().groupSeparator());
}

void Fila(const char* nombre, const QString& escrito, Cuenta cuenta, const QString& celda) {
    QTest::newRow(nombre) << escrito << QVariant::fromValue(cuenta.value_or(INT_MIN)) << cuenta.has_value()
                          << celda;
}

void Catalogo() {
    QTest::addColumn<QString>("escrito");
    QTest::addColumn<QVariant>("cuenta");
    QTest::addColumn<bool>("esCuenta");
    QTest::addColumn<QString>("celda");

    // Blanks and signs alone.
    Fila("empty", "", kNoEsCuenta, kMarcada);
    Fila("blanks", "   ", kNoEsCuenta, kMarcada);
    Fila("tab and newline only", "\t\n ", kNoEsCuenta, kMarcada);
    Fila("plus alone", "+", kNoEsCuenta, kMarcada);
    Fila("minus alone", "-", kNoEsCuenta, kMarcada);
    Fila("decimal separator alone", "{d}", kNoEsCuenta, kMarcada);
    Fila("double minus", "--1", kNoEsCuenta, kMarcada);
    Fila("plus minus", "+-4", kNoEsCuenta, kMarcada);
    Fila("double plus", "++4", kNoEsCuenta, kMarcada);
    Fila("sign then blank", "- 4", kNoEsCuenta, kMarcada);
    Fila("trailing minus", "4-", kNoEsCuenta, kMarcada);
    Fila("accounting negative", "(4)", kNoEsCuenta, kMarcada);
    // Plain numbers in unusual dress.
    Fila("plus four", "+4", 4, "4");
    Fila("trailing separator", "4{d}", 4, "4");
    Fila("leading separator", "{d}5", 0, "0{d}5");
    Fila("leading zeros", "007", 7, "7");
    Fila("many leading zeros", "000000000000000000000000000004", 4, "4");
    Fila("blanks around", "  6 ", 6, "6");
    Fila("CR LF and tab around", "\r\n4\t", 4, "4");
    Fila("vertical tab and form feed around", "\v4\f", 4, "4");
    Fila("NBSP around", "\u00A04\u00A0", 4, "4");
    Fila("ideographic space around", "\u30004\u3000", 4, "4");
    Fila("three and a half rounds to four", "3{d}5", 4, "3{d}5");
    Fila("four and a half rounds to four", "4{d}5", 4, "4{d}5");
    Fila("two and a half rounds to two", "2{d}5", 2, "2{d}5");
    Fila("four point zero", "4{d}0", 4, "4");
    Fila("minus zero", "-0", 0, "0");
    Fila("three", "3", 3, "3");
    Fila("minus four", "-4", -4, "-4");
    Fila("typographic minus is a sign", "\u22124", -4, "-4");
    // Exponents.
    Fila("exponent with plus", "1e+3", 1000, "1000");
    Fila("capital exponent", "4E0", 4, "4");
    Fila("negative exponent", "40e-1", 4, "4");
    Fila("exponent with many zeros", "4E+0000000000000000000000", 4, "4");
    Fila("small", "1e-3", 0, "0{d}001");
    Fila("exponent without digits", "1e", kNoEsCuenta, kMarcada);
    Fila("exponent sign without digits", "1e+", kNoEsCuenta, kMarcada);
    Fila("exponent alone", "e5", kNoEsCuenta, kMarcada);
    Fila("two exponents", "1e2e3", kNoEsCuenta, kMarcada);
    Fila("separator after exponent", "1e5{d}5", kNoEsCuenta, kMarcada);
    Fila("beyond the double range", "1e999", kNoEsCuenta, kMarcada);
    Fila("negative beyond the range", "-1e999", kNoEsCuenta, kMarcada);
    Fila("absurd exponent", "1e99999999999999999999", kNoEsCuenta, kMarcada);
    Fila("below the double range", "-1e-999", 0, "0");
    Fila("far below the range", "1e-400", 0, "0");
    Fila("zero with absurd exponent", "0e99999999999999999999", 0, "0");
    Fila("subnormal", "1e-320", 0, "9{d}99988867182683E-321");
    Fila("smallest subnormal", "4{d}9e-324", 0, "4{d}94065645841247E-324");
    Fila("large", "1e308", kNoEsCuenta, "1E+308");
    Fila("beyond 16 bits", "1e5", kNoEsCuenta, "100000");
    // The ends of the count's range.
    Fila("largest 16-bit count", "32767", 32767, "32767");
    Fila("largest grid", "32766", 32766, "32766");
    Fila("rounds to the largest", "32767{d}4", 32767, "32767{d}4");
    Fila("rounds beyond 16 bits", "32767{d}5", kNoEsCuenta, "32767{d}5");
    Fila("smallest 16-bit", "-32768", -32768, "-32768");
    Fila("below 16 bits", "-32769", kNoEsCuenta, "-32769");
    // Digit grouping, right and wrong.
    Fila("thousands", "1{g}234", 1234, "1234");
    Fila("thousands and decimals", "1{g}234{d}5", 1234, "1234{d}5");
    Fila("millions", "1{g}234{g}567", kNoEsCuenta, "1234567");
    Fila("short group", "12{g}34", kNoEsCuenta, kMarcada);
    Fila("short middle group", "1{g}23{g}456", kNoEsCuenta, kMarcada);
    Fila("leading group separator", "{g}123", kNoEsCuenta, kMarcada);
    Fila("trailing group separator", "123{g}", kNoEsCuenta, kMarcada);
    Fila("grouped leading zero", "0{g}004", kNoEsCuenta, kMarcada);
    Fila("group in the fraction", "1{d}234{g}5", kNoEsCuenta, kMarcada);
    Fila("one-digit group", "4{g}0", kNoEsCuenta, kMarcada);
    Fila("two decimal separators", "1{d}2{d}3", kNoEsCuenta, kMarcada);
    Fila("1,2,3", "1,2,3", kNoEsCuenta, kMarcada);
    Fila("space grouping", "1 000", kNoEsCuenta, kMarcada);
    Fila("NBSP grouping", "1\u00A0000", kNoEsCuenta, kMarcada);
    Fila("narrow NBSP grouping", "1\u202F000", kNoEsCuenta, kMarcada);
    Fila("apostrophe grouping", "1'000", kNoEsCuenta, kMarcada);
    Fila("underscore grouping", "1_000", kNoEsCuenta, kMarcada);
    // Not numbers in this program's sense.
    Fila("inf", "inf", kNoEsCuenta, kMarcada);
    Fila("Infinity", "-Infinity", kNoEsCuenta, kMarcada);
    Fila("infinity sign", "\u221E", kNoEsCuenta, kMarcada);
    Fila("NaN", "NaN", kNoEsCuenta, kMarcada);
    Fila("hexadecimal", "0x10", kNoEsCuenta, kMarcada);
    Fila("Basic hexadecimal", "&H10", kNoEsCuenta, kMarcada);
    Fila("binary", "0b11", kNoEsCuenta, kMarcada);
    Fila("currency", "$4", kNoEsCuenta, kMarcada);
    Fila("euro after", "4 \u20AC", kNoEsCuenta, kMarcada);
    Fila("percent", "4%", kNoEsCuenta, kMarcada);
    Fila("letters", "abc", kNoEsCuenta, kMarcada);
    Fila("digits then letters", "4abc", kNoEsCuenta, kMarcada);
    Fila("two numbers", "4 4", kNoEsCuenta, kMarcada);
    // Digits of other scripts, and things that look like numbers.
    Fila("Arabic-Indic four", "\u0664", kNoEsCuenta, kMarcada);
    Fila("Arabic-Indic forty-two", "\u0664\u0662", kNoEsCuenta, kMarcada);
    Fila("Persian four", "\u06F4", kNoEsCuenta, kMarcada);
    Fila("Arabic decimal separator", "4\u066B5", kNoEsCuenta, kMarcada);
    Fila("Devanagari four", "\u096A", kNoEsCuenta, kMarcada);
    Fila("full-width four", "\uFF14", kNoEsCuenta, kMarcada);
    Fila("full-width forty-two", "\uFF14\uFF12", kNoEsCuenta, kMarcada);
    Fila("mixed scripts", "4\u0664", kNoEsCuenta, kMarcada);
    Fila("one half", "\u00BD", kNoEsCuenta, kMarcada);
    Fila("four and a half sign", "4\u00BD", kNoEsCuenta, kMarcada);
    Fila("superscript two", "\u00B2", kNoEsCuenta, kMarcada);
    Fila("Roman numeral five", "\u2164", kNoEsCuenta, kMarcada);
    Fila("keycap four", "4\uFE0F\u20E3", kNoEsCuenta, kMarcada);
    Fila("emoji", "\U0001F600", kNoEsCuenta, kMarcada);
    Fila("digit and emoji", "4\U0001F600", kNoEsCuenta, kMarcada);
    Fila("combining accent", "4\u0301", kNoEsCuenta, kMarcada);
    // Invisible characters.
    Fila("right-to-left mark", "\u200F4", kNoEsCuenta, kMarcada);
    Fila("left-to-right mark", "4\u200E", kNoEsCuenta, kMarcada);
    Fila("right-to-left embedding", "\u202B4\u202C", kNoEsCuenta, kMarcada);
    Fila("zero-width space", "4\u200B", kNoEsCuenta, kMarcada);
    Fila("byte order mark", QChar(0xFEFF) + QStringLiteral("4"), kNoEsCuenta, kMarcada); // a literal would lose it
    Fila("NUL after", QStringLiteral("4") + QChar(0), kNoEsCuenta, kMarcada);
    Fila("NUL before", QChar(0) + QStringLiteral("4"), kNoEsCuenta, kMarcada);
    Fila("escape sequence", "\x1b[31m4", kNoEsCuenta, kMarcada);
    Fila("bell", "4\a", kNoEsCuenta, kMarcada);
    Fila("delete", "\x7f", kNoEsCuenta, kMarcada);
    Fila("lone high surrogate", QString(QChar(0xD800)), kNoEsCuenta, kMarcada);
    Fila("digit and lone low surrogate", QStringLiteral("4") + QChar(0xDC00), kNoEsCuenta, kMarcada);
    // A megabyte pasted: the box and the editor keep their first 32 767
    // characters, and that is what the check sees.
    Fila("megabyte of sevens", QString(kMegabyte, u'7'), kNoEsCuenta, kMarcada);
    Fila("megabyte of zeros", QString(kMegabyte, u'0'), 0, "0");
    Fila("megabyte of blanks", QString(kMegabyte, u' ') + u'4', kNoEsCuenta, kMarcada);
    Fila("megabyte of letters", QString(kMegabyte, u'x'), kNoEsCuenta, kMarcada);
}

// Pastes over whatever the box holds, as Ctrl+A, Ctrl+V would.
void Pegar(QLineEdit* caja, const QString& texto) {
    caja->selectAll();
    caja->insert(texto);
}

struct Celda {
    QString texto;
    QVariant fondo, frente, alineacion;
    bool operator==(const Celda&) const = default;
};

} // namespace

class TestEntradasHostiles : public QObject {
    Q_OBJECT

    std::unique_ptr<MotorVozFalso> voz;
    std::unique_ptr<Aplicacion> app;
    Datos1* datos = nullptr;

    template <typename T> T* Control(const char* nombre) {
        return datos->findChild<T*>(QString::fromLatin1(nombre));
    }
    QtGrid* Tabla() { return Control<QtGrid>("Tabla"); }
    QLineEdit* Caja() { return Control<QLineEdit>("NumeroEcuaciones"); }
    bool Visible(const char* boton) { return Control<QPushButton>(boton)->isVisible(); }
    bool EnCuenta() {
        return !Tabla()->isEnabled() && Caja()->isEnabled() && !Visible("Resolver") && Visible("OK1") &&
               !Visible("BotonCambio");
    }
    bool EnCoeficientes() {
        return Tabla()->isEnabled() && !Caja()->isEnabled() && Visible("Resolver") && !Visible("OK1") &&
               Visible("BotonCambio");
    }
    Celda Leer(int fila, int col) {
        const QModelIndex i = Tabla()->gridModel()->index(fila - 1, col - 1);
        return {i.data(Qt::DisplayRole).toString(), i.data(Qt::BackgroundRole), i.data(Qt::ForegroundRole),
                i.data(Qt::TextAlignmentRole)};
    }
    bool Marcada(int fila, int col) {
        const QVariant fondo = Leer(fila, col).fondo;
        return fondo.isValid() && fondo.value<QBrush>().color().rgb() == Tabla()->MarkColors().back;
    }
    QList<Celda> Celdas(int filas) {
        QList<Celda> todas;
        for (int f = 1; f <= filas; ++f)
            for (int c = 1; c <= 4; ++c)
                todas << Leer(f, c);
        return todas;
    }

    // A count of 4 accepted and every cell filled: the screen a hostile
    // entry meets.
    void Preparar() {
        Caja()->setText(QStringLiteral("4"));
        Control<QPushButton>("OK1")->click();
        QVERIFY(EnCoeficientes());
        for (int f = 1; f <= 4; ++f)
            for (int c = 1; c <= 4; ++c) {
                Tabla()->SetCurrentRow(f);
                Tabla()->SetCurrentCol(c);
                Tabla()->SetCellText(f * 10 + c + 0.5);
            }
        voz->Olvidar();
    }

private slots:
    void init() {
        voz = std::make_unique<MotorVozFalso>();
        app = std::make_unique<Aplicacion>();
        app->Registrar(IdPantalla::Datos1, [this](Aplicacion& a) { return new Datos1(a, *voz); });
        app->Mostrar(IdPantalla::Datos1);
        datos = static_cast<Datos1*>(app->Existente(IdPantalla::Datos1));
        QVERIFY(QTest::qWaitForWindowActive(datos));
        Preparar();
    }
    void cleanup() { app.reset(); }

    void count_box_data() { Catalogo(); }
    void count_box() {
        QFETCH(QString, escrito);
        QFETCH(QVariant, cuenta);
        QFETCH(bool, esCuenta);
        const QList<Celda> antes = Celdas(4);
        Control<QPushButton>("BotonCambio")->click();
        QVERIFY(EnCuenta());
        voz->Olvidar();
        VigilanteMensajes mensajes;

        Pegar(Caja(), Local(escrito));
        const QString tecleado = Caja()->text();
        QCOMPARE(tecleado, Local(escrito).left(Caja()->maxLength()));
        Caja()->setFocus();
        QTest::keyClick(Caja(), Qt::Key_Return);

        // The grid is sized before its size is judged; a size it refuses
        // (the count 32767, negative counts) leaves it as it was.
        const int n = cuenta.toInt();
        const bool dimensionada = esCuenta && n != 32767 && n + 1 >= 0;
        const int filas = dimensionada ? n + 1 : kFilasPrevias;
        const bool aceptada = dimensionada && filas >= 5;
        QCOMPARE(Tabla()->RowCount(), filas);
        QCOMPARE(Caja()->text(), tecleado);
        if (aceptada) {
            QVERIFY(mensajes.vistos.isEmpty());
            QCOMPARE(voz->Frases(), QStringList{kDatos});
            QVERIFY(EnCoeficientes());
            for (const int fila : {1, filas - 1})
                QCOMPARE(Tabla()->gridModel()->headerText(Qt::Vertical, fila - 1), QString::number(fila));
        } else {
            QCOMPARE(mensajes.vistos, QStringList{kValidacion});
            QCOMPARE(mensajes.iconos.value(0), QMessageBox::Warning);
            QCOMPARE(voz->Frases().value(0), kMayorQueTres);
            QVERIFY(EnCuenta());
            QCOMPARE(datos->focusWidget(), Caja());
        }
        // The rows that remain keep their cells.
        const int quedan = std::min(filas, kFilasPrevias) - 1;
        QCOMPARE(Celdas(quedan), antes.mid(0, quedan * 4));
    }

    void cell_data() { Catalogo(); }
    void cell() {
        QFETCH(QString, escrito);
        QFETCH(QString, celda);
        constexpr int kFila = 2, kCol = 3;
        QList<Celda> antes = Celdas(4);
        VigilanteMensajes mensajes;

        Tabla()->SetCurrentRow(kFila);
        Tabla()->SetCurrentCol(kCol);
        Tabla()->setFocus();
        QTest::keyClick(Tabla(), Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor && Tabla()->isEditing());
        Pegar(editor, Local(escrito));
        const QString tecleado = editor->text();
        QCOMPARE(tecleado, Local(escrito).left(editor->maxLength()));
        QTest::keyClick(editor, Qt::Key_Return);

        const Celda despues = Leer(kFila, kCol);
        if (celda == kMarcada) {
            QCOMPARE(despues.texto.size(), tecleado.size());
            QVERIFY(despues.texto == tecleado);
            QVERIFY(Marcada(kFila, kCol));
            QVERIFY(Tabla()->isEditing());
        } else {
            QCOMPARE(despues.texto, Local(celda));
            QVERIFY(!Marcada(kFila, kCol));
            QVERIFY(!Tabla()->isEditing());
            QCOMPARE(despues.alineacion.toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
        }
        QCOMPARE(QPoint(Tabla()->CurrentRow(), Tabla()->CurrentCol()), QPoint(kFila, kCol));
        // Nothing else moved: the other cells, the count box, the states,
        // the voice, no message.
        QList<Celda> ahora = Celdas(4);
        const int editada = (kFila - 1) * 4 + kCol - 1;
        antes.removeAt(editada);
        ahora.removeAt(editada);
        QVERIFY(ahora == antes);
        QCOMPARE(Caja()->text(), QStringLiteral("4"));
        QVERIFY(EnCoeficientes());
        QVERIFY(voz->Llamadas().isEmpty());
        QVERIFY(mensajes.vistos.isEmpty());
    }
};

QTEST_MAIN(TestEntradasHostiles)
#include "test_entradas_hostiles.moc"
