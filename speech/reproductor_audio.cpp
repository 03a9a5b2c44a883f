#include "speech/reproductor_audio.h"

#include <QAudioSink>
#include <QMediaDevices>
#include <chrono>

namespace {

constexpr int kBytesPorMuestra = 2;
// A short device buffer keeps StopSpeech immediate even where closing the
// stream lets what is already buffered play out.
constexpr int kMsBufferSalida = 200;
// Synthesis runs far faster than speech, so this much is queued within a few
// milliseconds; starting with a margin keeps the sink from running dry.
constexpr int kMsAntesDeSonar = 300;
constexpr int kMsVigilancia = 50;
// If the sink's clock never reaches the end of the phrase, it is released
// this long after the phrase should have been over.
constexpr qint64 kMsGracia = 2000;
constexpr int kEsperasDispositivo = 20;
constexpr int kMsEsperaDispositivo = 50;

} // namespace

ReproductorAudio::ReproductorAudio(std::shared_ptr<EstadoAudio> estado, const QAudioFormat& formato)
    : m_estado(std::move(estado)), m_formato(formato) {
    // Children, so that they move to the audio thread with their owner.
    m_cola.setParent(this);
    m_vigilancia.setParent(this);
    m_vigilancia.setInterval(kMsVigilancia);
    connect(&m_vigilancia, &QTimer::timeout, this, &ReproductorAudio::Vigilar);
}

ReproductorAudio::~ReproductorAudio() {
    Cortar();
    m_salida.reset();
}

qint64 ReproductorAudio::Ahora() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The device is looked for here, not where the program starts: a sound
// server that never answers then costs this thread, not the first window.
void ReproductorAudio::Iniciar() {
    m_estado->latido = Ahora();
    m_estado->dispositivo = QMediaDevices::defaultAudioOutput().isNull() ? EstadoAudio::NoHay
                                                                          : EstadoAudio::Hay;
    m_estado->latido = Ahora();
    m_vigilancia.start(); // also the heartbeat
}

void ReproductorAudio::Recibir(quint64 frase, const QByteArray& muestras, bool fin) {
    if (frase != m_estado->fraseActual)
        return; // cut short, or overtaken by a newer phrase
    if (frase != m_frase) {
        Cortar();
        m_frase = frase;
    }
    m_cola.Anadir(muestras);
    if (fin)
        m_cola.Completar();
    const qint64 margen =
        qint64(m_formato.sampleRate()) * kBytesPorMuestra * kMsAntesDeSonar / 1000;
    if (!m_sonando && (m_cola.Completa() || m_cola.Pendientes() >= margen))
        Arrancar();
}

void ReproductorAudio::Arrancar() {
    const QAudioDevice dispositivo = QMediaDevices::defaultAudioOutput();
    // Qt learns of the devices a moment after it first connects to the
    // sound server: the first phrase waits for them a little.
    if (dispositivo.isNull() && m_esperas++ < kEsperasDispositivo) {
        QTimer::singleShot(kMsEsperaDispositivo, this, [this, frase = m_frase] {
            if (frase == m_frase && !m_sonando && frase == m_estado->fraseActual)
                Arrancar();
        });
        return;
    }
    if (dispositivo.isNull() || !dispositivo.isFormatSupported(m_formato)) {
        m_estado->dispositivo = dispositivo.isNull() ? EstadoAudio::NoHay : EstadoAudio::Falla;
        Cortar();
        return;
    }
    if (!m_salida || dispositivo != m_dispositivo) {
        m_salida = std::make_unique<QAudioSink>(dispositivo, m_formato);
        m_salida->setBufferSize(qsizetype(m_formato.sampleRate()) * kBytesPorMuestra *
                                kMsBufferSalida / 1000);
        connect(m_salida.get(), &QAudioSink::stateChanged, this,
                &ReproductorAudio::AlCambiarEstado);
        m_dispositivo = dispositivo;
    }
    m_sonando = true;
    m_salida->start(&m_cola);
    if (m_salida->error() != QAudio::NoError || m_salida->state() == QAudio::StoppedState) {
        m_estado->dispositivo = EstadoAudio::Falla;
        m_salida.reset(); // opened afresh next time: the server may be back
        Cortar();
        return;
    }
    m_estado->dispositivo = EstadoAudio::Hay;
    m_esperas = kEsperasDispositivo; // only ever at the start
    m_reloj.start();
}

void ReproductorAudio::Vigilar() {
    m_estado->latido = Ahora();
    if (!m_sonando || !m_cola.atEnd())
        return;
    // Everything has gone to the device; the phrase is over once the device
    // has played it too.
    const qint64 duracionUs =
        m_cola.Total() * 1000000 / (qint64(m_formato.sampleRate()) * kBytesPorMuestra);
    if (m_salida->processedUSecs() >= duracionUs ||
        m_reloj.elapsed() * 1000 >= duracionUs + kMsGracia * 1000)
        Cortar();
}

void ReproductorAudio::AlCambiarEstado() {
    // A sink stops of its own accord only when the sound server fails or goes away.
    if (m_sonando && m_salida->state() == QAudio::StoppedState &&
        m_salida->error() != QAudio::NoError) {
        m_estado->dispositivo = EstadoAudio::Falla;
        Cortar();
        m_salida.reset();
    }
}

void ReproductorAudio::Cortar() {
    if (m_sonando && m_salida)
        m_salida->stop();
    m_sonando = false;
    m_cola.Vaciar();
    quint64 antes = m_estado->terminada;
    while (antes < m_frase && !m_estado->terminada.compare_exchange_weak(antes, m_frase)) {
    }
}
