#include "speech/reproductor_audio.h"

#include "speech/biblioteca_dinamica.h"

#include <algorithm>
#include <chrono>
#include <pulse/error.h>
#include <pulse/simple.h>

namespace {

constexpr int kBytesPorMuestra = 2;
// Synthesis runs far faster than speech, so this much is queued within a few
// milliseconds; starting with a margin keeps the server from running dry.
constexpr qint64 kMsAntesDeSonar = 300;
// How far ahead of what is heard the server is fed. Little, so that cutting
// a phrase short is immediate; enough to ride out a busy moment.
constexpr qint64 kMsAdelanto = 100;
constexpr int kMsVigilancia = 20;
// If the server's clock never reaches the end of the phrase, it is released
// this long after the phrase should have been over.
constexpr qint64 kMsGracia = 2000;
// With no server, or a failed one, it is looked for again this often, so the
// voice comes back by itself.
constexpr qint64 kMsEntreIntentos = 3000;
// An idle connection keeps the sound card awake: it is let go after this
// long, and made again for the next phrase.
constexpr qint64 kMsConexionOciosa = 10000;

// The sound server's client, loaded by the audio thread as it first
// connects; nullptr when the library cannot be loaded.
struct PulseSimple {
    decltype(pa_simple_new)* New;
    decltype(pa_simple_free)* Free;
    decltype(pa_simple_get_latency)* GetLatency;
    decltype(pa_simple_write)* Write;
    decltype(pa_simple_flush)* Flush;
};

const PulseSimple* Pulse() {
    return CargarFunciones<PulseSimple>(
        "libpulse-simple.so.0", [](const BibliotecaDinamica& biblioteca, PulseSimple& f) {
            return biblioteca.Tomar(f.New, "pa_simple_new") &&
                   biblioteca.Tomar(f.Free, "pa_simple_free") &&
                   biblioteca.Tomar(f.GetLatency, "pa_simple_get_latency") &&
                   biblioteca.Tomar(f.Write, "pa_simple_write") &&
                   biblioteca.Tomar(f.Flush, "pa_simple_flush");
        });
}

} // namespace

ReproductorAudio::ReproductorAudio(std::shared_ptr<EstadoAudio> estado, int frecuencia)
    : m_estado(std::move(estado)), m_frecuencia(frecuencia) {
    // A child, so that it moves to the audio thread with its owner.
    m_vigilancia.setParent(this);
    m_vigilancia.setInterval(kMsVigilancia);
    connect(&m_vigilancia, &QTimer::timeout, this, &ReproductorAudio::Vigilar);
}

ReproductorAudio::~ReproductorAudio() {
    Cortar();
    if (m_conexion)
        Pulse()->Free(m_conexion);
}

qint64 ReproductorAudio::Ahora() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

qint64 ReproductorAudio::MsDeMuestras(qint64 bytes) const {
    return bytes * 1000 / (qint64(m_frecuencia) * kBytesPorMuestra);
}

// The server is looked for here, not where the program starts: one that
// never answers then costs this thread, not the first window.
void ReproductorAudio::Iniciar() {
    m_estado->latido = Ahora();
    Conectar();
    m_estado->latido = Ahora();
    m_vigilancia.start(); // also the heartbeat
}

bool ReproductorAudio::Conectar() {
    m_ultimaActividad = Ahora();
    const pa_sample_spec formato{PA_SAMPLE_S16LE, uint32_t(m_frecuencia), 1};
    const auto bytes = [this](qint64 ms) {
        return uint32_t(ms * m_frecuencia / 1000 * kBytesPorMuestra);
    };
    pa_buffer_attr memoria{};
    memoria.maxlength = uint32_t(-1);
    memoria.tlength = bytes(kMsAdelanto);
    memoria.prebuf = bytes(kMsVigilancia);    // sound starts with the first samples
    memoria.minreq = uint32_t(-1);
    memoria.fragsize = uint32_t(-1);
    int error = 0;
    const PulseSimple* pulse = Pulse();
    if (pulse == nullptr) {
        m_estado->dispositivo = EstadoAudio::NoHay;
        return false;
    }
    m_conexion = pulse->New(nullptr, "Veltrana", PA_STREAM_PLAYBACK, nullptr, "Voz", &formato,
                            nullptr, &memoria, &error);
    m_estado->latido = Ahora();
    if (m_conexion == nullptr) {
        const bool sinServidor = error == PA_ERR_CONNECTIONREFUSED ||
                                 error == PA_ERR_INVALIDSERVER || error == PA_ERR_NOENTITY;
        m_estado->dispositivo = sinServidor ? EstadoAudio::NoHay : EstadoAudio::Falla;
        return false;
    }
    m_estado->dispositivo = EstadoAudio::Hay;
    return true;
}

void ReproductorAudio::Desconectar(EstadoAudio::Dispositivo motivo) {
    if (m_conexion)
        Pulse()->Free(m_conexion);
    m_conexion = nullptr;
    m_estado->dispositivo = motivo;
}

void ReproductorAudio::Recibir(quint64 frase, const QByteArray& muestras, bool fin) {
    if (frase != m_estado->fraseActual)
        return; // cut short, or overtaken by a newer phrase
    if (frase != m_frase) {
        Cortar();
        m_frase = frase;
    }
    m_muestras += muestras;
    m_completa = m_completa || fin;
    if (m_sonando || (!m_completa && MsDeMuestras(m_muestras.size()) < kMsAntesDeSonar))
        return;
    if (!m_conexion && !Conectar()) {
        Cortar();
        return;
    }
    m_sonando = true;
    m_ultimaActividad = Ahora();
    if (!Alimentar()) {
        Desconectar(EstadoAudio::Falla);
        Cortar();
    }
}

// Tops the server up to kMsAdelanto ahead of what is heard. False when the
// connection failed.
bool ReproductorAudio::Alimentar() {
    int error = 0;
    const pa_usec_t retraso = Pulse()->GetLatency(m_conexion, &error);
    if (retraso == pa_usec_t(-1))
        return false;
    const qint64 msPorDelante = qint64(retraso / 1000);
    const qint64 porEnviar = m_muestras.size() - m_enviados;
    if (porEnviar == 0) {
        const qint64 duracion = MsDeMuestras(m_muestras.size());
        if (m_completa && (msPorDelante < kMsVigilancia / 2 || Ahora() - m_ultimaActividad > duracion + kMsGracia))
            Cortar(); // heard to its end
        return true;
    }
    qint64 cuantos = std::min(porEnviar, (kMsAdelanto - msPorDelante) * m_frecuencia / 1000 *
                                             kBytesPorMuestra);
    cuantos -= cuantos % kBytesPorMuestra;
    if (cuantos <= 0)
        return true;
    if (Pulse()->Write(m_conexion, m_muestras.constData() + m_enviados, std::size_t(cuantos),
                       &error) < 0)
        return false;
    m_enviados += cuantos;
    return true;
}

void ReproductorAudio::Vigilar() {
    const qint64 ahora = Ahora();
    m_estado->latido = ahora;
    if (m_sonando) {
        if (!Alimentar()) {
            Desconectar(EstadoAudio::Falla);
            Cortar();
        }
        return;
    }
    if (ahora - m_ultimaActividad < (m_conexion ? kMsConexionOciosa : kMsEntreIntentos))
        return;
    if (m_conexion)
        Desconectar(EstadoAudio::Hay);
    else if (m_estado->dispositivo != EstadoAudio::Hay)
        Conectar();
}

void ReproductorAudio::Cortar() {
    if (m_sonando && m_conexion) {
        int error = 0;
        // What the server holds is dropped, not played out.
        if (Pulse()->Flush(m_conexion, &error) < 0)
            Desconectar(EstadoAudio::Falla);
    }
    m_sonando = false;
    m_muestras.clear();
    m_enviados = 0;
    m_completa = false;
    quint64 antes = m_estado->terminada;
    while (antes < m_frase && !m_estado->terminada.compare_exchange_weak(antes, m_frase)) {
    }
}
