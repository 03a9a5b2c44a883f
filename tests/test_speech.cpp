// Speech output: what espeak-ng makes of the five phrases, and what really
// reaches a sound device. The playback cases need the PulseAudio null sink of
// scripts/with-null-sink.sh; without it they are skipped.

#include "speech/motor_espeak.h"
#include "speech/sintetizador_espeak.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kPalabras = 130;
constexpr int kVolumen = 150;
constexpr int kFrecuenciaGrabacion = 22050;
// The child process that checks the quiet engine reads what to expect here.
const char* const kHijoMotivo = "VELTRANA_PRUEBA_MOTIVO";
const char* const kHijoDatos = "VELTRANA_PRUEBA_DATOS_ESPEAK";

// Seconds from the first to the last sample that is clearly not silence.
double Tramo(const std::int16_t* muestras, std::size_t cuantas, int frecuencia) {
    constexpr int kUmbral = 600;
    auto audible = [](std::int16_t m) { return std::abs(int(m)) > kUmbral; };
    const std::int16_t* fin = muestras + cuantas;
    const std::int16_t* primera = std::find_if(muestras, fin, audible);
    if (primera == fin)
        return 0.0;
    const std::int16_t* ultima =
        std::find_if(std::make_reverse_iterator(fin), std::make_reverse_iterator(primera), audible)
            .base();
    return double(ultima - primera) / frecuencia;
}

double Tramo(const MuestrasVoz& voz) {
    return Tramo(voz.muestras.data(), voz.muestras.size(), voz.frecuencia);
}

double Eficaz(const MuestrasVoz& voz) {
    double suma = 0;
    for (std::int16_t m : voz.muestras)
        suma += double(m) * m;
    return voz.muestras.empty() ? 0.0 : std::sqrt(suma / double(voz.muestras.size()));
}

// The sink that scripts/with-null-sink.sh made the default, or empty. Real
// speakers are left alone: a test would be heard, and hear everything else.
QString SumideroNulo() {
    if (QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty())
        return QString();
    return qEnvironmentVariable("VELTRANA_NULL_SINK");
}

} // namespace

class PruebaVoz : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void frasesEnEspanol_data();
    void frasesEnEspanol();
    void parametros_data();
    void parametros();
    void sintesisInterrumpida();
    void reproduccion_data();
    void reproduccion();
    void destruirHablando();
    void motorCallado_data();
    void motorCallado();
    void comoHijoSinVoz();
};

void PruebaVoz::initTestCase() {
    // In the child started by motorCallado, espeak-ng must not load its real
    // data before being pointed elsewhere.
    if (qEnvironmentVariableIsSet(kHijoDatos))
        SintetizadorEspeak::UsarDatosEn(qgetenv(kHijoDatos));
}

void PruebaVoz::frasesEnEspanol_data() {
    QTest::addColumn<QString>("frase");
    for (const char* frase :
         {"Introduzca el número de ecuaciones", "Introduzca los datos de las ecuaciones",
          "Introduzca un número mayor que tres", "Resolución del sistema tridiagonal",
          "Veltrana. Autor: Tarquino."})
        QTest::newRow(frase) << QString::fromUtf8(frase);
}

void PruebaVoz::frasesEnEspanol() {
    QFETCH(QString, frase);
    QVERIFY2(SintetizadorEspeak::Instancia().Disponible(),
             "the Spanish espeak-ng voice is missing (package espeak-ng-data)");
    const MuestrasVoz voz = SintetizarMuestras(frase, kPalabras, kVolumen);
    QCOMPARE(voz.frecuencia, 22050);
    // Five or six words at 130 a minute: about two and a half seconds.
    QVERIFY2(voz.Segundos() > 2.0 && voz.Segundos() < 3.4,
             qPrintable(QStringLiteral("%1 s").arg(voz.Segundos())));
    // Speech, not a click or a pause: most of the phrase is audible.
    QVERIFY(Tramo(voz) > 0.8 * voz.Segundos());
}

void PruebaVoz::parametros_data() {
    QTest::addColumn<int>("palabrasPorMinuto");
    QTest::addColumn<int>("volumen");
    // Expected duration and loudness relative to 130 words a minute at 150.
    QTest::addColumn<double>("duracion");
    QTest::addColumn<double>("fuerza");
    QTest::newRow("el doble de rápido") << 260 << 150 << 0.55 << 1.0;
    QTest::newRow("lo más despacio") << 80 << 150 << 1.55 << 1.0;
    QTest::newRow("a media voz") << 130 << 75 << 1.0 << 0.5;
}

void PruebaVoz::parametros() {
    QFETCH(int, palabrasPorMinuto);
    QFETCH(int, volumen);
    QFETCH(double, duracion);
    QFETCH(double, fuerza);
    const QString frase = QStringLiteral("Introduzca el número de ecuaciones");
    const MuestrasVoz referencia = SintetizarMuestras(frase, kPalabras, kVolumen);
    const MuestrasVoz voz = SintetizarMuestras(frase, palabrasPorMinuto, volumen);
    const double duracionReal = voz.Segundos() / referencia.Segundos();
    const double fuerzaReal = Eficaz(voz) / Eficaz(referencia);
    QVERIFY2(
        std::abs(duracionReal / duracion - 1) < 0.2 && std::abs(fuerzaReal / fuerza - 1) < 0.2,
        qPrintable(QStringLiteral("duration x%1, loudness x%2").arg(duracionReal).arg(fuerzaReal)));
}

void PruebaVoz::sintesisInterrumpida() {
    const QString frase = QStringLiteral("Introduzca los datos de las ecuaciones");
    const MuestrasVoz entera = SintetizarMuestras(frase, kPalabras, kVolumen);
    const std::size_t medioSegundo = 22050 / 2;
    const MuestrasVoz cortada = SintetizarMuestras(
        frase, kPalabras, kVolumen, [&](std::size_t hechas) { return hechas < medioSegundo; });
    // Stopped within one buffer of where it was told to stop.
    QVERIFY(cortada.muestras.size() >= medioSegundo);
    QVERIFY2(cortada.Segundos() < 0.7, qPrintable(QString::number(cortada.Segundos())));
    QVERIFY(cortada.Segundos() < entera.Segundos() / 2);
    // An abandoned phrase leaves nothing behind for the next one.
    const MuestrasVoz despues = SintetizarMuestras(frase, kPalabras, kVolumen);
    QVERIFY(std::abs(despues.Segundos() - entera.Segundos()) < 0.1);
}

void PruebaVoz::reproduccion_data() {
    QTest::addColumn<int>("esperaMs");      // before cutting the first phrase; -1: never cut
    QTest::addColumn<bool>("ocupado");      // the UI thread is busy all that time
    QTest::addColumn<QString>("siguiente"); // cuts the first phrase; empty: StopSpeech does
    const QString autor = QStringLiteral("Veltrana. Autor: Tarquino.");
    QTest::newRow("entera") << -1 << false << QString();
    QTest::newRow("StopSpeech") << 800 << false << QString();
    QTest::newRow("otra frase") << 700 << false << autor;
    QTest::newRow("otra frase, hilo ocupado") << 300 << true << autor;
}

void PruebaVoz::reproduccion() {
    QFETCH(int, esperaMs);
    QFETCH(bool, ocupado);
    QFETCH(QString, siguiente);
    const QString sumidero = SumideroNulo();
    if (sumidero.isEmpty())
        QSKIP("No PulseAudio null sink: run under scripts/with-null-sink.sh");
    MotorEspeak motor;
    QVERIFY2(motor.Available(), qPrintable(motor.UnavailableReason()));
    motor.SetSpeakingRate(kPalabras);
    motor.SetVolume(kVolumen);

    const QString frase = QStringLiteral("Resolución del sistema tridiagonal");
    const double enteraS = Tramo(SintetizarMuestras(frase, kPalabras, kVolumen));
    const double siguienteS =
        siguiente.isEmpty() ? 0.0 : Tramo(SintetizarMuestras(siguiente, kPalabras, kVolumen));

    // The sink's monitor: what a listener would hear.
    QProcess parec;
    parec.start(QStringLiteral("parec"),
                {QStringLiteral("--device=%1.monitor").arg(sumidero), QStringLiteral("--raw"),
                 QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
                 QStringLiteral("--rate=%1").arg(kFrecuenciaGrabacion),
                 QStringLiteral("--latency-msec=20")});
    // Only once data flows is the monitor really being recorded.
    QVERIFY2(parec.waitForStarted(3000) && parec.waitForReadyRead(3000), "parec records nothing");
    QElapsedTimer reloj;
    reloj.start();
    motor.Speak(frase);
    QVERIFY2(reloj.elapsed() < 100, "Speak waited for the phrase");
    QVERIFY(motor.Speaking());

    double finS = enteraS; // when the last phrase should be over, counted from the first Speak
    double oirS = enteraS; // how long the sink should sound
    if (esperaMs >= 0) {
        if (ocupado)
            QThread::msleep(esperaMs); // the phrase is made meanwhile, but cannot reach the sink
        else
            QTest::qWait(esperaMs);
        finS = reloj.elapsed() / 1000.0 + siguienteS;
        oirS = ocupado ? siguienteS : finS;
        if (siguiente.isEmpty()) {
            motor.StopSpeech();
            QVERIFY(!motor.Speaking());
        } else {
            motor.Speak(siguiente);
        }
    }
    QTRY_VERIFY_WITH_TIMEOUT(!motor.Speaking(), 8000);
    const double hablandoS = reloj.elapsed() / 1000.0;
    QTest::qWait(400);
    parec.terminate();
    parec.waitForFinished(3000);
    const QByteArray grabado = parec.readAllStandardOutput();

    const double oidoS = Tramo(reinterpret_cast<const std::int16_t*>(grabado.constData()),
                               std::size_t(grabado.size()) / 2, kFrecuenciaGrabacion);
    const QString medidas = QStringLiteral("heard %1 s, expected %2 s, Speaking() for %3 s")
                                .arg(oidoS)
                                .arg(oirS)
                                .arg(hablandoS);
    // Allowing for the few hundredths of a second the device takes to start.
    QVERIFY2(std::abs(oidoS - oirS) < 0.15, qPrintable(medidas));
    if (esperaMs >= 0 && siguiente.isEmpty()) // nothing at all after StopSpeech
        QVERIFY2(oidoS < oirS + 0.04, qPrintable(medidas));
    else
        QVERIFY2(hablandoS > finS - 0.1 && hablandoS < finS + 1.0, qPrintable(medidas));
}

void PruebaVoz::destruirHablando() {
    if (SumideroNulo().isEmpty())
        QSKIP("No PulseAudio null sink: run under scripts/with-null-sink.sh");
    // Samples still on their way must find nobody rather than a dead engine.
    for (int ms : {0, 2, 50}) {
        auto motor = std::make_unique<MotorEspeak>();
        motor->Speak(QStringLiteral("Introduzca los datos de las ecuaciones"));
        QTest::qWait(ms);
        motor.reset();
        QTest::qWait(50);
    }
}

void PruebaVoz::motorCallado_data() {
    QTest::addColumn<QString>("motivo");
    QTest::newRow("sin dispositivo") << QStringLiteral("dispositivo de sonido");
    QTest::newRow("sin voz española") << QStringLiteral("voz española");
}

// espeak-ng reads its data once per process and Qt finds its sound server
// once, so each case runs in a child of its own.
void PruebaVoz::motorCallado() {
    QFETCH(QString, motivo);
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    entorno.insert(QString::fromLatin1(kHijoMotivo), motivo);
    QTemporaryDir datos;
    if (motivo.contains(QLatin1String("dispositivo"))) {
        entorno.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:/nonexistent/native"));
    } else {
        // espeak-ng's data without the Spanish dictionary, as a partial install leaves it.
        QVERIFY(datos.isValid());
        const QDir sistema(SintetizadorEspeak::Instancia().RutaDatos());
        QVERIFY(sistema.exists(QStringLiteral("phontab")));
        for (const QString& nombre : sistema.entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
            if (nombre != QLatin1String("es_dict"))
                QVERIFY(QFile::link(sistema.filePath(nombre), datos.filePath(nombre)));
        entorno.insert(QString::fromLatin1(kHijoDatos), datos.path());
    }
    QProcess hijo;
    hijo.setProcessEnvironment(entorno);
    hijo.setProcessChannelMode(QProcess::MergedChannels);
    hijo.start(QCoreApplication::applicationFilePath(), {QStringLiteral("comoHijoSinVoz")});
    QVERIFY(hijo.waitForFinished(20000));
    QVERIFY2(hijo.exitStatus() == QProcess::NormalExit && hijo.exitCode() == 0,
             hijo.readAll().constData());
}

void PruebaVoz::comoHijoSinVoz() {
    const QString motivo = qEnvironmentVariable(kHijoMotivo);
    if (motivo.isEmpty())
        QSKIP("Runs only as the child of motorCallado");
    MotorEspeak motor;
    QVERIFY(!motor.Available());
    QVERIFY2(motor.UnavailableReason().contains(motivo), qPrintable(motor.UnavailableReason()));
    motor.StopSpeech();
    motor.SetSpeakingRate(kPalabras);
    motor.SetVolume(kVolumen);
    motor.Speak(QStringLiteral("Introduzca el número de ecuaciones"));
    QVERIFY(!motor.Speaking());
    QTest::qWait(100);
    motor.StopSpeech();
}

QTEST_MAIN(PruebaVoz)
#include "test_speech.moc"
