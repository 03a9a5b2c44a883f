// Speech: what espeak-ng makes of the phrases, what really reaches the null sink
// of scripts/with-null-sink.sh (skipped without one), and an engine without one.

#include "speech/motor_espeak.h"
#include "speech/sintetizador_espeak.h"

#include <QtTest> // and with it all of QtCore
#include <algorithm>
#include <cmath>
#include <future>
#include <numeric>
#include <span>

namespace {

constexpr int kPalabras = 130, kVolumen = 150, kFrecuencia = 22050;
const char* const kHijo = "VELTRANA_PRUEBA_HIJO"; // set for sinDispositivo's child

// Seconds from the first to the last sample that is clearly not silence.
double Tramo(std::span<const std::int16_t> m) {
    const auto audible = [](std::int16_t x) { return std::abs(int(x)) > 600; };
    const auto primera = std::find_if(m.begin(), m.end(), audible) - m.begin();
    const auto fin = m.rend() - std::find_if(m.rbegin(), m.rend(), audible);
    return fin > primera ? double(fin - primera) / kFrecuencia : 0.0;
}

struct MuestrasVoz {
    std::vector<std::int16_t> muestras; // 16-bit mono
    double Segundos() const { return double(muestras.size()) / kFrecuencia; }
};

// A phrase synthesised without being played, waited for.
MuestrasVoz Sintetizar(const QString& frase, int palabras = kPalabras, int volumen = kVolumen) {
    MuestrasVoz voz;
    std::promise<void> terminado;
    SintetizadorEspeak::Pedido pedido;
    pedido.texto = frase.toUtf8();
    pedido.palabrasPorMinuto = palabras;
    pedido.volumen = volumen;
    pedido.entrega = [&voz](const std::int16_t* muestras, int cuantas) {
        voz.muestras.insert(voz.muestras.end(), muestras, muestras + cuantas);
        return true;
    };
    pedido.fin = [&terminado](bool) { terminado.set_value(); };
    SintetizadorEspeak::Instancia().Encargar(std::move(pedido));
    terminado.get_future().wait();
    return voz;
}

} // namespace

class PruebaVoz : public QObject {
    Q_OBJECT

private slots:
    // The program's prompts at its rate and volume: five or six words at 130 a
    // minute, about two and a half seconds, most of it audible; and rate and
    // volume reach the voice, making a phrase as long and as loud as they say.
    void frases() {
        QVERIFY2(SintetizadorEspeak::Instancia().Disponible(),
                 "the Spanish espeak-ng voice is missing (package espeak-ng-data)");
        for (const char* frase :
             {"Introduzca el número de ecuaciones", "Introduzca los datos de las ecuaciones",
              "Introduzca un número mayor que tres", "Resolución del sistema tridiagonal",
              "Veltrana. Autor: Tarquino."}) {
            const MuestrasVoz voz = Sintetizar(QString::fromUtf8(frase));
            const double s = voz.Segundos();
            QVERIFY2(SintetizadorEspeak::Instancia().Frecuencia() == kFrecuencia && s > 2.0 && s < 3.4 &&
                         Tramo(voz.muestras) > 0.8 * s,
                     frase);
        }
        const auto eficaz = [](const MuestrasVoz& v) {
            const auto& m = v.muestras;
            return std::sqrt(std::inner_product(m.begin(), m.end(), m.begin(), 0.0) / m.size());
        };
        const MuestrasVoz base = Sintetizar(QStringLiteral("Introduzca el número de ecuaciones"));
        for (const auto& [palabras, volumen, duracion, fuerza] :
             {std::tuple{260, kVolumen, 0.55, 1.0},
              {80, kVolumen, 1.55, 1.0},
              {kPalabras, 75, 1.0, 0.5}}) {
            const MuestrasVoz voz =
                Sintetizar(QStringLiteral("Introduzca el número de ecuaciones"), palabras, volumen);
            const double d = voz.Segundos() / base.Segundos(), f = eficaz(voz) / eficaz(base);
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
        double oirS = Tramo(Sintetizar(frase).muestras);

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
            ocupado ? QThread::msleep(esperaMs) : QTest::qWait(esperaMs);
            oirS = ocupado ? 0.0 : reloj.elapsed() / 1000.0;
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

    // Quiet, saying why, with no sound server. Qt finds its sound server once
    // per process, so this runs in a child of its own.
    void sinDispositivo() {
        if (qEnvironmentVariableIsSet(kHijo)) {
            MotorEspeak motor;
            motor.Speak(QStringLiteral("Introduzca el número de ecuaciones"));
            QVERIFY2(!motor.Available() && !motor.Speaking() &&
                         motor.UnavailableReason().contains("dispositivo de sonido"),
                     qPrintable(motor.UnavailableReason()));
            return;
        }
        QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
        entorno.insert(kHijo, "1");
        entorno.insert("PULSE_SERVER", "unix:/nonexistent/native");
        QProcess hijo;
        hijo.setProcessEnvironment(entorno);
        hijo.setProcessChannelMode(QProcess::MergedChannels);
        hijo.start(QCoreApplication::applicationFilePath(), {"sinDispositivo"});
        QVERIFY2(hijo.waitForFinished(20000) && hijo.exitCode() == 0, hijo.readAll().constData());
    }
};

QTEST_MAIN(PruebaVoz)
#include "test_speech.moc"
