// Speech: what espeak-ng makes of the phrases, what really reaches the null sink
// of scripts/with-null-sink.sh (skipped without one), and an engine without one.

#include "speech/motor_espeak.h"
#include "speech/sintetizador_espeak.h"
#include "tests/fallas_de_sonido.h"

#include <QtTest> // and with it all of QtCore
#include <algorithm>
#include <cmath>
#include <csignal>
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

// What the null sink plays, recorded from its monitor.
class Grabacion {
public:
    bool Disponible() const {
        return !m_sumidero.isEmpty() && !QStandardPaths::findExecutable("parec").isEmpty();
    }
    // It only records once data flows.
    bool Empezar() {
        m_parec.start("parec", {"--device=" + m_sumidero + ".monitor", "--raw",
                                "--format=s16le", "--channels=1", "--rate=22050",
                                "--latency-msec=20"});
        return m_parec.waitForStarted(3000) && m_parec.waitForReadyRead(3000);
    }
    // Seconds heard, from the first audible sample to the last.
    double Terminar() {
        QTest::qWait(400);
        m_parec.terminate();
        m_parec.waitForFinished(3000);
        const QByteArray grabado = m_parec.readAllStandardOutput();
        return Tramo({reinterpret_cast<const std::int16_t*>(grabado.constData()),
                      std::size_t(grabado.size()) / 2});
    }

private:
    QString m_sumidero = qEnvironmentVariable("VELTRANA_NULL_SINK");
    QProcess m_parec;
};

} // namespace

class PruebaVoz : public QObject {
    Q_OBJECT

private slots:
    // A prompt at the program's rate and volume: six words at 130 a minute,
    // about two and a half seconds, most of it audible; and rate and volume
    // reach the voice, making a phrase as long and as loud as they say.
    void frases() {
        QTRY_VERIFY_WITH_TIMEOUT(SintetizadorEspeak::Instancia().Listo(), 5000);
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
        Grabacion grabacion;
        if (!grabacion.Disponible())
            QSKIP("No PulseAudio null sink: run under scripts/with-null-sink.sh");
        auto motor = std::make_unique<MotorEspeak>();
        QTRY_VERIFY2(motor->Available(), qPrintable(motor->UnavailableReason()));
        motor->SetSpeakingRate(kPalabras);
        motor->SetVolume(kVolumen);
        const QString frase = QStringLiteral("Resolución del sistema tridiagonal");
        double oirS = Tramo(Sintetizar(frase));

        QVERIFY2(grabacion.Empezar(), "parec records nothing");
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
        const double oidoS = grabacion.Terminar();
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

    // A sound server that fails in the middle of a phrase never holds the
    // caller's thread: every call returns at once, the voice says why it is
    // quiet, and it is heard again once the server is back. The server is the
    // one scripts/with-null-sink.sh started; "mudo" is a socket that accepts
    // and never answers, and is run on its own by test_speech_servidor_mudo
    // (Qt finds its sound server once per process).
    void servidorEnFalla_data() {
        QTest::addColumn<QString>("falla");
        QTest::newRow("detenido") << "detenido";
        QTest::newRow("reiniciado") << "reiniciado";
        QTest::newRow("mudo") << "mudo";
    }
    void servidorEnFalla() {
        QFETCH(QString, falla);
        const pid_t servidor = qEnvironmentVariableIntValue("VELTRANA_PULSE_PID");
        ServidorMudo mudo;
        if (falla == "mudo" && !qEnvironmentVariableIsSet("VELTRANA_SERVIDOR_MUDO"))
            QSKIP("run in a process of its own by the test test_speech_servidor_mudo");
        if (falla != "mudo" && servidor <= 0)
            QSKIP("No PulseAudio of our own: run under scripts/with-null-sink.sh");
        if (falla == "mudo")
            QVERIFY(mudo.Escuchar());

        QElapsedTimer llamadas;
        llamadas.start();
        MotorEspeak motor;
        const QString frase = QStringLiteral("Introduzca el número de ecuaciones");
        motor.Speak(frase);
        qint64 peor = llamadas.elapsed();
        QTest::qWait(500);
        const QStringList reinicio = OrdenDelProceso(servidor);
        if (falla != "mudo")
            kill(servidor, falla == "detenido" ? SIGSTOP : SIGKILL);
        auto reanudar = qScopeGuard([&] {
            if (falla == "detenido")
                kill(servidor, SIGCONT);
        });
        for (QElapsedTimer total; !total.isValid() || total.elapsed() < 2500;) {
            if (!total.isValid())
                total.start();
            llamadas.restart();
            motor.StopSpeech();
            motor.Speak(frase);
            std::ignore = motor.UnavailableReason();
            peor = std::max(peor, llamadas.elapsed());
            QTest::qWait(100);
        }
        QVERIFY2(peor < 250, qPrintable(QStringLiteral("a call took %1 ms").arg(peor)));
        if (falla != "reiniciado")
            QCOMPARE(motor.UnavailableReason(),
                     "La voz no está disponible: el servidor de sonido no responde.");
        if (falla == "mudo")
            return;

        reanudar.dismiss();
        if (falla == "detenido")
            kill(servidor, SIGCONT);
        else
            QVERIFY2(QProcess::startDetached(reinicio.first(), reinicio.mid(1)),
                     "pulseaudio did not start again");
        Grabacion grabacion;
        QDeadlineTimer plazo(20000);
        double oidoS = 0;
        while (oidoS < 1.0 && !plazo.hasExpired()) {
            QTest::qWait(500);
            if (!motor.Available() || !grabacion.Empezar())
                continue;
            motor.Speak(frase);
            QTRY_VERIFY_WITH_TIMEOUT(!motor.Speaking(), 8000);
            oidoS = grabacion.Terminar();
        }
        QVERIFY2(oidoS > 1.0, qPrintable(motor.UnavailableReason()));
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
