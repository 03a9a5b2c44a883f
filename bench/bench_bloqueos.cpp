// The longest the screens stop answering while the desktop misbehaves: the
// data-entry screen with the real voice, used as a user would (prompts spoken,
// the voice switched off and on, a paste) while the sound server or the
// clipboard's owner fails. A timer on the GUI thread ticks every 5 ms; the
// longest gap between two ticks is the stall.
//
//   bench_bloqueos FALLA      one fault; prints a "FILA|…" row for run-all.sh
//
// FALLA is one of
//   detenido     the sound server stopped (SIGSTOP), then let go
//   reiniciado   the sound server killed, then started again
//   mudo         a sound server that accepts and never answers
//   dueno        the clipboard's owner stopped, then Ctrl+V
//   enorme       50 MB of binary data on the clipboard, then Ctrl+V
// The sound faults need the server of scripts/with-null-sink.sh
// (VELTRANA_PULSE_PID), the clipboard ones an X display.

#include "app/aplicacion.h"
#include "grid/qt_grid.h"
#include "screens/data_entry/datos1.h"
#include "speech/motor_espeak.h"
#include "tests/fallas_de_sonido.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <map>

namespace {

constexpr qint64 kObjetivoMs = 250;
constexpr int kMsTic = 5;

[[noreturn]] void Abortar(const char* que) {
    std::fprintf(stderr, "bench_bloqueos: %s\n", que);
    std::exit(1);
}

// The longest gap between two ticks of the GUI thread's timer.
class Vigia {
public:
    Vigia() {
        m_tic.setInterval(kMsTic);
        QObject::connect(&m_tic, &QTimer::timeout,
                         [this] { m_peor = std::max(m_peor, m_reloj.restart()); });
        m_reloj.start();
        m_tic.start();
    }
    qint64 PeorMs() const { return std::max<qint64>(0, m_peor - kMsTic); }
    void Reiniciar() {
        m_reloj.restart();
        m_peor = 0;
    }

private:
    QTimer m_tic;
    QElapsedTimer m_reloj;
    qint64 m_peor = 0;
};

// Runs the event loop for a while, as a user's pauses would.
void Esperar(int ms) {
    QTest::qWait(ms);
}

// Another program holding the clipboard: this one, started again.
QProcess* DuenoDelPortapapeles(qsizetype bytes) {
    auto* dueno = new QProcess;
    dueno->start(QCoreApplication::applicationFilePath(), {"--dueno", QString::number(bytes)});
    if (!dueno->waitForReadyRead(10000))
        Abortar("el dueño del portapapeles no arrancó");
    return dueno;
}

int SerDueno(qsizetype bytes) {
    QByteArray contenido(bytes, '\0');
    for (qsizetype i = 0; i < bytes; ++i)
        contenido[i] = char((i * 7919) & 0xff); // binary, as an image would be
    QGuiApplication::clipboard()->setText(bytes > 0 ? QString::fromLatin1(contenido)
                                                    : QStringLiteral("1\t2\t3\t4"));
    QTimer::singleShot(200, [] {
        std::printf("listo\n");
        std::fflush(stdout);
    });
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    const QString falla = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    ServidorMudo mudo; // before anything looks for the sound server
    if (falla == "mudo" && !mudo.Escuchar())
        Abortar("no se pudo abrir el servidor mudo");
    QApplication qt(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (falla == "--dueno" && argc > 2)
        return SerDueno(QByteArray(argv[2]).toLongLong());

    const pid_t servidor = qEnvironmentVariableIntValue("VELTRANA_PULSE_PID");
    const bool deSonido = falla == "detenido" || falla == "reiniciado";
    if (!deSonido && falla != "mudo" && falla != "dueno" && falla != "enorme")
        Abortar("uso: bench_bloqueos detenido|reiniciado|mudo|dueno|enorme");
    if (deSonido && servidor <= 0)
        Abortar("sin servidor de sonido propio: ejecútelo bajo scripts/with-null-sink.sh");

    Vigia vigia; // from the start: a server that never answers could hold the first window
    MotorEspeak voz;
    Aplicacion app;
    app.Registrar(IdPantalla::Datos1,
                  [&voz](Aplicacion& a) { return new Datos1(a, voz, nullptr); });
    app.Mostrar(IdPantalla::Datos1);
    Pantalla* datos = app.Existente(IdPantalla::Datos1);
    datos->findChild<QLineEdit*>(QStringLiteral("NumeroEcuaciones"))->setText(QStringLiteral("4"));
    datos->findChild<QAbstractButton*>(QStringLiteral("OK1"))->click();
    Esperar(500);

    // Message boxes are answered as soon as they appear.
    QTimer respuesta;
    QObject::connect(&respuesta, &QTimer::timeout, [] {
        if (QWidget* caja = QApplication::activeModalWidget())
            caja->close();
    });
    respuesta.start(50);

    std::unique_ptr<QProcess> dueno;
    if (falla == "dueno" || falla == "enorme")
        dueno.reset(DuenoDelPortapapeles(falla == "enorme" ? 50 << 20 : 0));
    const QStringList reinicio = deSonido ? OrdenDelProceso(servidor) : QStringList();
    if (deSonido && reinicio.isEmpty())
        Abortar("no se pudo leer la orden del servidor de sonido");
    // Only a server that never answers can hold the start; the other faults
    // are measured from the moment they happen.
    if (falla != "mudo")
        vigia.Reiniciar();
    if (falla == "detenido")
        kill(servidor, SIGSTOP);
    else if (falla == "reiniciado")
        kill(servidor, SIGKILL);
    else if (falla == "dueno")
        kill(pid_t(dueno->processId()), SIGSTOP);

    auto* boton = datos->findChild<QAbstractButton*>(QStringLiteral("ComandoVoz"));
    auto* tabla = datos->findChild<QtGrid*>(QStringLiteral("Tabla"));
    if (dueno) {
        tabla->setFocus();
        QTest::keyClick(tabla, Qt::Key_V, Qt::ControlModifier);
    }
    for (int i = 0; i < 15; ++i) {
        dynamic_cast<Datos1Publico*>(datos)->Hablar(QStringLiteral("Introduzca los coeficientes"));
        Esperar(100);
        boton->click();
        Esperar(50);
        boton->click();
        Esperar(50);
    }

    if (falla == "detenido")
        kill(servidor, SIGCONT);
    else if (falla == "reiniciado")
        QProcess::startDetached(reinicio.first(), reinicio.mid(1));
    if (dueno) {
        kill(pid_t(dueno->processId()), SIGCONT);
        dueno->kill();
        dueno->waitForFinished(3000);
    }
    const qint64 peor = vigia.PeorMs();
    static const std::map<QString, const char*> kNombres = {
        {"detenido", "sound server stopped (SIGSTOP)"},
        {"reiniciado", "sound server killed, started again"},
        {"mudo", "sound server never answering"},
        {"dueno", "clipboard owner stopped, Ctrl+V"},
        {"enorme", "50 MB of binary on the clipboard, Ctrl+V"},
    };
    std::printf("FILA|longest GUI stall: %s|-|%lld|-|-|< %lld ms|%s|\n", kNombres.at(falla),
                static_cast<long long>(peor), static_cast<long long>(kObjetivoMs),
                peor < kObjetivoMs ? "ok" : "MISSED");
    std::fflush(stdout);
    // The voice's thread may still be stuck on the sound server.
    std::_Exit(0);
}
