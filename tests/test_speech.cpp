// Speech: what espeak-ng makes of the phrases, what really reaches the null sink
// of scripts/with-null-sink.sh (skipped without one), and an engine without one.

#include "speech/motor_espeak.h"
#include "speech/sintetizador_espeak.h"

#include <QtTest> // and with it all of QtCore
#include <csignal>
#include <algorithm>
#include <cmath>
#include <future>
#include <numeric>
#include <span>

namespace {

constexpr int kPalabras = 130, kVolumen = 150, kFrecuencia = 22050;

using Muestras = std::vector<std::int16_t>; // 16-bit mono

double Segundos(std::span<const std::int16_t> m) {
    return double(m.size()) / kFrecuencia;
}

// Seconds from the first to the last sample that is clearly not silence.
double Tramo(std::span<const std::int16_t> m) {
    const auto audible = [](std::int16_t x) { return std::abs(int(x)) > 600; };
    const auto primera = std::find_if(m.begin(), m.end(), audible) - m.begin();
    const auto fin = m.rend() - std::find_if(m.rbegin(), m.rend(), audible);
    return fin > primera ? double(fin - primera) / kFrecuencia : 0.0;
}

double Eficaz(const Muestras& m) {
    return std::sqrt(std::inner_product(m.begin(), m.end(), m.begin(), 0.0) / m.size());
}

// A phrase synthesised without being played, waited for.
Muestras Sintetizar(const QString& frase, int palabras = kPalabras, int volumen = kVolumen) {
    Muestras muestras;
    std::promise<void> terminado;
    SintetizadorEspeak::Pedido pedido{frase.toUtf8(), palabras, volumen, {}, {}, {}};
    pedido.entrega = [&muestras](const std::int16_t* m, int cuantas) {
        muestras.insert(muestras.end(), m, m + cuantas);
        return true;
    };
    pedido.fin = [&terminado](bool) { terminado.set_value(); };
    SintetizadorEspeak::Instancia().Encargar(std::move(pedido));
    terminado.get_future().wait();
    return muestras;
}

} // namespace

class PruebaVoz : public QObject {
    Q_OBJECT

private slots:
    // A prompt at the program's rate and volume: six words at 130 a minute,
    // about two and a half seconds, most of it audible; and rate and volume
    // reach the voice, making a phrase as long and as loud as they say.
    void frases() {
        QVERIFY2(SintetizadorEspeak::Instancia().Disponible() &&
                     SintetizadorEspeak::Instancia().Frecuencia() == kFrecuencia,
                 "the Spanish espeak-ng voice is missing (package espeak-ng-data)");
        const QString frase = QStringLiteral("Introduzca el número de ecuaciones");
        const Muestras base = Sintetizar(frase);
        QVERIFY(Segundos(base) > 2.0 && Segundos(base) < 3.4 && Tramo(base) > 0.8 * Segundos(base));
        for (const auto& [palabras, volumen, duracion, fuerza] :
             {std::tuple{260, kVolumen, 0.55, 1.0},
              {80, kVolumen, 1.55, 1.0},
              {kPalabras, 75, 1.0, 0.5}}) {
            const Muestras voz = Sintetizar(frase, palabras, volumen);
            const double d = Segundos(voz) / Segundos(base), f = Eficaz(voz) / Eficaz(base);
            QVERIFY2(
                std::abs(d / duracion - 1) < 0.2 && std::abs(f / fuerza - 1) < 0.2,
                qPrintable(
                    QStringLiteral("%1, %2: x%3, x%4").arg(palabras).arg(volumen).arg(d).arg(f)));
        }
    }

    // What the sink plays: the whole phrase, or up to StopSpeech and nothing after,
    // even with the UI thread too busy to pass on what was made meanwhile. Then
    // engines go while samples are on their way, which must find nobody.
    void reproduccion_data() {
        QTest::addColumn<int>("esperaMs"); // before StopSpeech; -1: none
        QTest::addColumn<bool>("ocupado");
        QTest::newRow("entera") << -1 << false;
        QTest::newRow("StopSpeech") << 800 << false;
        QTest::newRow("StopSpeech, hilo ocupado") << 600 << true;
    }
    void reproduccion() {
        QFETCH(int, esperaMs);
        QFETCH(bool, ocupado);
        const QString sumidero = qEnvironmentVariable("VELTRANA_NULL_SINK");
        if (sumidero.isEmpty() || QStandardPaths::findExecutable("parec").isEmpty())
            QSKIP("No PulseAudio null sink: run under scripts/with-null-sink.sh");
        auto motor = std::make_unique<MotorEspeak>();
        QVERIFY2(motor->Available(), qPrintable(motor->UnavailableReason()));
        motor->SetSpeakingRate(kPalabras);
        motor->SetVolume(kVolumen);
        const QString frase = QStringLiteral("Resolución del sistema tridiagonal");
        double oirS = Tramo(Sintetizar(frase));

        QProcess parec; // it only records once data flows
        parec.start("parec", {"--device=" + sumidero + ".monitor", "--raw", "--format=s16le",
                              "--channels=1", "--rate=22050", "--latency-msec=20"});
        QVERIFY2(parec.waitForStarted(3000) && parec.waitForReadyRead(3000),
                 "parec records nothing");
        QElapsedTimer reloj;
        reloj.start();
        motor->Speak(frase);
        QVERIFY2(reloj.elapsed() < 100, "Speak waited for the phrase");
        if (esperaMs >= 0) {
            // The phrase plays on even while this thread is busy.
            ocupado ? QThread::msleep(esperaMs) : QTest::qWait(esperaMs);
            oirS = reloj.elapsed() / 1000.0;
            motor->StopSpeech();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!motor->Speaking(), 8000);
        QTest::qWait(400);
        parec.terminate();
        parec.waitForFinished(3000);
        const QByteArray grabado = parec.readAllStandardOutput();
        const double oidoS = Tramo({reinterpret_cast<const std::int16_t*>(grabado.constData()),
                                    std::size_t(grabado.size()) / 2});
        // Allowing for the few hundredths of a second the device takes to start.
        QVERIFY2(std::abs(oidoS - oirS) < 0.15 && (esperaMs < 0 || oidoS < oirS + 0.04),
                 qPrintable(QStringLiteral("heard %1 s, expected %2 s").arg(oidoS).arg(oirS)));

        for (const int ms : {0, 2, 50}) {
            motor->Speak(frase);
            QTest::qWait(ms);
            motor = std::make_unique<MotorEspeak>();
        }
        QTest::qWait(50);
    }

    // A sound server that stops answering in the middle of a phrase
    // (SIGSTOP) never holds the caller's thread: every call returns at once,
    // the voice says why it is quiet, and speaks again once the server is
    // back (SIGCONT).
    void servidorDetenido() {
        QProcess pgrep;
        pgrep.start("pgrep", {"-n", "-x", "pulseaudio"});
        pgrep.waitForFinished(3000);
        const pid_t servidor = pgrep.readAllStandardOutput().trimmed().toInt();
        if (qEnvironmentVariable("VELTRANA_NULL_SINK").isEmpty() || servidor <= 0)
            QSKIP("No PulseAudio of our own: run under scripts/with-null-sink.sh");
        MotorEspeak motor;
        const QString frase = QStringLiteral("Introduzca el número de ecuaciones");
        motor.Speak(frase);
        QTest::qWait(500);
        kill(servidor, SIGSTOP);
        auto reanudar = qScopeGuard([servidor] { kill(servidor, SIGCONT); });
        qint64 peor = 0;
        for (QElapsedTimer total; !total.isValid() || total.elapsed() < 2500;) {
            if (!total.isValid())
                total.start();
            QElapsedTimer llamadas;
            llamadas.start();
            motor.StopSpeech();
            motor.Speak(frase);
            peor = std::max(peor, llamadas.elapsed());
            QTest::qWait(100);
        }
        QVERIFY2(peor < 250, qPrintable(QStringLiteral("a call took %1 ms").arg(peor)));
        QCOMPARE(motor.UnavailableReason(),
                 "La voz no está disponible: el servidor de sonido no responde.");
        reanudar.dismiss();
        kill(servidor, SIGCONT);
        QTRY_VERIFY_WITH_TIMEOUT(motor.Available(), 5000);
        motor.Speak(frase);
        QVERIFY(motor.Speaking());
        QTRY_VERIFY_WITH_TIMEOUT(!motor.Speaking(), 8000);
    }

    // Quiet, saying why, with no sound server: the test test_speech_sin_sonido
    // runs this with PULSE_SERVER naming none (Qt finds its sound server once
    // per process).
    void sinDispositivo() {
        if (!qEnvironmentVariableIsSet("VELTRANA_SIN_SONIDO"))
            QSKIP("run with no sound server by the test test_speech_sin_sonido");
        MotorEspeak motor;
        motor.Speak(QStringLiteral("Introduzca el número de ecuaciones"));
        QTRY_VERIFY2(!motor.Available() && !motor.Speaking() &&
                         motor.UnavailableReason().contains("dispositivo de sonido"),
                     qPrintable(motor.UnavailableReason()));
    }
};

QTEST_MAIN(PruebaVoz)
#include "test_speech.moc"
