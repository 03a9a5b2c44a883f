// Systems in files: what the program writes reads back bit for bit, what
// spreadsheets export is read, a file that cannot be read changes nothing,
// a failed save keeps the earlier file, and the command line's solve.

#include "app/archivos/sistema_csv.h"
#include "tests/banco_pantallas.h"

#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <bit>
#include <csignal>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>

using Filas = QList<QStringList>;

namespace {

const Filas kNueves(4, QStringList(4, QStringLiteral("9")));

// n lines of the same equation.
QByteArray Repetida(const QByteArray& linea, int n) {
    return linea.repeated(n);
}

} // namespace

class TestArchivos : public QObject, BancoPantallas {
    Q_OBJECT

    QTemporaryDir carpeta;

    QString Archivo(const QByteArray& contenido, const QString& nombre = "s.csv") {
        QFile archivo(carpeta.filePath(nombre));
        if (!archivo.open(QIODevice::WriteOnly) || archivo.write(contenido) != contenido.size())
            qFatal("cannot write the test file");
        return archivo.fileName();
    }
    Datos1* Pantalla() const { return static_cast<Datos1*>(Datos()); }

private slots:
    void init() { QVERIFY(Montar()); }
    void cleanup() { app.reset(); }

    // Any double, and empty fields, read back to the same bits, whatever
    // the user's format.
    void doubles_read_back_bit_for_bit() {
        std::mt19937_64 azar(7);
        SistemaLeido escrito;
        const double especiales[] = {-0.0,
                                     5e-324,
                                     2.2250738585072014e-308,
                                     1.7976931348623157e308,
                                     0.1,
                                     -1.0 / 3,
                                     std::numeric_limits<double>::quiet_NaN()};
        for (int i = 0; i < 4000; ++i)
            for (auto& columna : escrito.columnas) {
                double v = std::bit_cast<double>(azar());
                columna.push_back(i < 7 ? especiales[i] : std::isfinite(v) ? v : 1.5);
            }
        const SistemaLeido leido =
            LeerArchivoSistema(Archivo(EscribirSistema(escrito)), QLocale(), 1 << 20, 1 << 30);
        for (std::size_t c = 0; c < 4; ++c)
            QVERIFY(std::memcmp(leido.columnas[c].data(), escrito.columnas[c].data(),
                                escrito.Filas() * sizeof(double)) == 0);
    }

    // Saved from the grid and opened again, every cell as it was: the count,
    // the numbers, the empty cells.
    void save_then_open() {
        const Filas tecleadas = {{"", "2{d}5", "-1", "1E-300"},
                                 {"-0{d}125", "3", "", "7"},
                                 {"1", "-4", "0{d}1", "0"},
                                 {"2", "123456789012345", "", ""},
                                 {"", "1", "", "-1E+300"}};
        ConfirmarCuenta(5);
        Poner(tecleadas);
        Filas antes = Vistas();
        for (QStringList& fila : antes)
            for (QString& celda : fila)
                celda += celda.isEmpty() ? "" : ">"; // opened, they are checked cells
        const QString ruta = carpeta.filePath("guardado.csv");
        QVERIFY(Pantalla()->GuardarSistema(ruta));
        ConfirmarCuenta(4);
        Poner(kNueves);
        Pantalla()->AbrirSistema(ruta);
        QCOMPARE(Caja()->text(), "5");
        QCOMPARE(Estado(), "coefficients");
        QCOMPARE(Vistas(), antes);

        // A cell that holds no number is not saved: the user is sent to it.
        Poner({{"1", "2", "3", "4"}, {"5", "abc", "6", "7"}});
        VigilanteMensajes mensajes;
        QVERIFY(!Pantalla()->GuardarSistema(carpeta.filePath("no.csv")));
        QVERIFY(!QFile::exists(carpeta.filePath("no.csv")));
        QCOMPARE(mensajes.vistos.size(), 1);
        QCOMPARE(Actual(), QPoint(2, 2));
    }

    // The unknowns as x,valor records, the accuracy line quoted as RFC 4180 wants.
    void solution_file() {
        QCOMPARE(EscribirSolucion({0.1, -2e-300}, "Exactitud: 15 \"cifras\""),
                 "x,valor\nx1,0.1\nx2,-2e-300\nexactitud,\"Exactitud: 15 \"\"cifras\"\"\"\n");
    }

    // A system file dropped on the window opens as with Ctrl+O; another
    // kind of file is not taken.
    void dropped_file() {
        const QString ruta = Archivo(Repetida("1,2,3,4\n", 5), "soltado.csv");
        for (const QString& nombre : {Archivo("x", "foto.png"), ruta}) {
            QMimeData datos;
            datos.setUrls({QUrl::fromLocalFile(nombre)});
            QDragEnterEvent entra(QPoint(5, 5), Qt::CopyAction, &datos, Qt::LeftButton, {});
            QCoreApplication::sendEvent(Datos(), &entra);
            QCOMPARE(entra.isAccepted(), nombre == ruta);
            QDropEvent suelta(QPointF(5, 5), Qt::CopyAction, &datos, Qt::LeftButton, {});
            QCoreApplication::sendEvent(Datos(), &suelta);
        }
        QTRY_COMPARE(Caja()->text(), "5");
        QCOMPARE(Estado(), "coefficients");
    }

    // Spreadsheet exports: ';' or tab with the user's decimal separator, a
    // byte order mark, quotes, CRLF, no header, blank lines at the end.
    void spreadsheet_exports_data() {
        QTest::addColumn<QByteArray>("contenido");
        QTest::addColumn<QStringList>("primera"); // row 1 as shown
        QTest::newRow("semicolons, BOM, CRLF, header")
            << QByteArray("\xEF\xBB\xBF"
                          "a;b;c;d\r\n;1{d}5;\"-2\";3\r\n")
            << QStringList{"", "1{d}5>", "-2>", "3>"};
        QTest::newRow("tabs, no header, blank lines")
            << QByteArray("7\t\t1E3\t 2{d}25 \n") << QStringList{"7>", "", "1000>", "2{d}25>"};
        QTest::newRow("commas, quoted")
            << QByteArray("\"0.5\",-0.0,1e-2,\"\"\n") << QStringList{"0{d}5>", "0>", "0{d}01>", ""};
    }
    void spreadsheet_exports() {
        QFETCH(QByteArray, contenido);
        QFETCH(QStringList, primera);
        const QByteArray resto = contenido.contains(';')    ? "1;2;3;4\n"
                                 : contenido.contains('\t') ? "1\t2\t3\t4\n"
                                                            : "1,2,3,4\n";
        Pantalla()->AbrirSistema(Archivo(
            ConSeparador(QString::fromUtf8(contenido + Repetida(resto, 3) + "\n \n")).toUtf8()));
        for (QString& celda : primera)
            celda = ConSeparador(celda);
        QCOMPARE(Vistas().value(0), primera);
        QCOMPARE(Vistas().size(), 4);
    }

    // Refused whole, with the file, the line and the field named; the grid
    // and the count as they were.
    void refused_files_data() {
        QTest::addColumn<QByteArray>("contenido"); // "-": no file at all; "|": a named pipe
        QTest::addColumn<QString>("motivo");
        const QByteArray bien = "1,2,3,4\n";
        QTest::newRow("missing") << QByteArray("-") << "«nada.csv» no se puede abrir: no existe.";
        QTest::newRow("binary") << QByteArray("1,2\0\x01\x02", 7) << "no es un archivo de texto";
        QTest::newRow("not a number") << "A,B,C,D\n" + bien + "1,abc,3,4\n" + bien + bien
                                      << "línea 3, campo 2: «abc» no es un número.";
        QTest::newRow("too large") << "A,B,C,D\n1,2,3,4\n1,2,3,1e999\n" + bien + bien
                                   << "línea 3, campo 4: el número «1e999» es demasiado grande.";
        QTest::newRow("three fields") << bien + "1,2,3\n"
                                      << "línea 2: tiene 3 campos;";
        QTest::newRow("no rows") << QByteArray("A,B,C,D\n\n") << "no contiene ninguna ecuación.";
        QTest::newRow("three rows") << Repetida(bien, 3) << "tiene 3 ecuaciones;";
        QTest::newRow("blank in the middle")
            << bien + bien + "\n" + bien + bien << "línea 3: la línea está en blanco;";
        QTest::newRow("one row too many")
            << Repetida(bien, 32767) << "línea 32767: tiene más de 32.766 ecuaciones";
        // Over a megabyte: its two halves are read side by side.
        const QByteArray larga = "0.1234567890123,2.1234567890123,3.1234567890123,4.123456789012\n";
        QTest::newRow("second half") << Repetida(larga, 25000) + "1,2,x,4\n" + Repetida(larga, 5000)
                                     << "línea 25001, campo 3: «x» no es un número.";
        QTest::newRow("huge") << QByteArray(7 << 20, ' ') << "es demasiado grande";
        QTest::newRow("named pipe") << QByteArray("|") << "no es un archivo de datos";
    }
    void refused_files() {
        QFETCH(QByteArray, contenido);
        QFETCH(QString, motivo);
        ConfirmarCuenta(4);
        Poner(kNueves);
        const Filas antes = Vistas();
        VigilanteMensajes mensajes;
        QString ruta = carpeta.filePath(contenido == "|" ? "tuberia.csv" : "nada.csv");
        if (contenido == "|")
            QVERIFY(mkfifo(ruta.toLocal8Bit().constData(), 0600) == 0 || errno == EEXIST);
        else if (contenido != "-")
            ruta = Archivo(contenido);
        Pantalla()->AbrirSistema(ruta);
        QCOMPARE(mensajes.vistos.size(), 1);
        QVERIFY2(mensajes.vistos[0].contains(motivo), qPrintable(mensajes.vistos[0]));
        QCOMPARE(Vistas(), antes);
        QCOMPARE(Caja()->text(), "4");
    }

    // A write that fails halfway (here the file size limit) leaves the file
    // that was there.
    void failed_save_keeps_earlier_file() {
        const QString ruta = Archivo("A,B,C,D\n1,2,3,4\n");
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit antes{};
        getrlimit(RLIMIT_FSIZE, &antes);
        rlimit poco = antes;
        poco.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &poco);
        const QString motivo = GuardarArchivo(ruta, QByteArray(1 << 20, '1'));
        setrlimit(RLIMIT_FSIZE, &antes);
        QVERIFY(!motivo.isEmpty());
        QFile archivo(ruta);
        QVERIFY(archivo.open(QIODevice::ReadOnly));
        QCOMPARE(archivo.readAll(), "A,B,C,D\n1,2,3,4\n");
    }

    // veltrana --resolver: the unknowns on standard output or in a file, the
    // reasons on standard error, and the exit status.
    void command_line_data() {
        QTest::addColumn<QStringList>("opciones");
        QTest::addColumn<QByteArray>("entrada"); // standard input
        QTest::addColumn<int>("codigo");
        QTest::addColumn<QByteArray>("salida");
        QTest::addColumn<QString>("error"); // part of standard error
        const QByteArray sistema = "A,B,C,D\n,4,1,5\n1,4,1,6\n1,4,1,6\n1,4,,5\n";
        const QStringList deEntrada{"--resolver", "-"};
        QTest::newRow("solved") << deEntrada << sistema << 0 << QByteArray("1\n1\n1\n1\n") << "";
        QTest::newRow("regional, to a file")
            << QStringList{"--resolver", "-", "--salida", "x.txt"}
            << QByteArray(";4{d}0;1;5\n1;4;1;6\n1;4;1;6\n1;4;;5\n") << 0 << QByteArray() << "";
        QTest::newRow("beyond the grid's size")
            << deEntrada << "4,4,0,4\n" + Repetida("0,1,0,1\n", 40000) << 0
            << Repetida("1\n", 40001) << "";
        QTest::newRow("singular") << deEntrada << Repetida("0,0,0,0\n", 3) << 1 << QByteArray()
                                  << "El sistema es singular:";
        QTest::newRow("unreadable")
            << deEntrada << QByteArray("1,2\n") << 2 << QByteArray()
            << "La entrada estándar no se puede abrir: línea 1: tiene 2 campos";
        QTest::newRow("missing") << QStringList{"--resolver", "no.csv"} << QByteArray() << 2
                                 << QByteArray()
                                 << "El archivo «no.csv» no se puede abrir: no existe.";
        QTest::newRow("version") << QStringList{"--version"} << QByteArray() << 0
                                 << QByteArray("veltrana 1.0.0\n") << "";
    }
    void command_line() {
        QFETCH(QStringList, opciones);
        QFETCH(QByteArray, entrada);
        QFETCH(int, codigo);
        QFETCH(QByteArray, salida);
        QFETCH(QString, error);
        QProcess veltrana;
        veltrana.setWorkingDirectory(carpeta.path());
        veltrana.start(qEnvironmentVariable("VELTRANA_BIN"), opciones);
        veltrana.write(ConSeparador(QString::fromUtf8(entrada)).toUtf8());
        veltrana.closeWriteChannel();
        QVERIFY(veltrana.waitForFinished(60000));
        QCOMPARE(veltrana.exitCode(), codigo);
        QCOMPARE(veltrana.readAllStandardOutput(), salida);
        QVERIFY2(QString::fromUtf8(veltrana.readAllStandardError()).contains(error),
                 qPrintable(error));
        if (opciones.contains("--salida")) {
            QFile escrita(carpeta.filePath("x.txt"));
            QVERIFY(escrita.open(QIODevice::ReadOnly));
            QCOMPARE(escrita.readAll(), "1\n1\n1\n1\n");
        }
    }
};

QTEST_MAIN(TestArchivos)
#include "test_archivos.moc"
