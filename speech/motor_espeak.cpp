#include "speech/motor_espeak.h"

#include "speech/reproductor_audio.h"
#include "speech/sintetizador_espeak.h"

#include <QMetaObject>
#include <QThread>
#include <mutex>
#include <utility>

namespace {

constexpr int kBytesPorMuestra = 2;
// The audio thread beats every 20 ms; this long without a beat, it is stuck
// waiting on the sound server.
constexpr qint64 kMsSinRespuesta = 1000;
// One audio thread for the whole run, whichever engine plays. Never ended: a
// thread stuck on the sound server must not hang the end of the program; it
// goes with the process.
QThread* HiloDeAudio() {
    static QThread* const hilo = [] {
        auto* nuevo = new QThread;
        nuevo->setObjectName(QStringLiteral("voz"));
        nuevo->start();
        return nuevo;
    }();
    return hilo;
}

} // namespace

struct MotorEspeak::Destino {
    std::mutex mutex;
    ReproductorAudio* reproductor;

    explicit Destino(ReproductorAudio* r) : reproductor(r) {}

    // Runs on the synthesis thread. Once the engine is gone there is nobody to
    // play to, and the answer false abandons the phrase.
    bool Enviar(quint64 frase, QByteArray muestras, bool fin) {
        std::lock_guard lock(mutex);
        if (reproductor == nullptr)
            return false;
        QMetaObject::invokeMethod(
            reproductor,
            [r = reproductor, frase, muestras = std::move(muestras), fin] {
                r->Recibir(frase, muestras, fin);
            },
            Qt::QueuedConnection);
        return true;
    }
};

MotorEspeak::MotorEspeak(QObject* parent)
    : QObject(parent), m_estado(std::make_shared<EstadoAudio>()) {
    const SintetizadorEspeak& sintetizador = SintetizadorEspeak::Instancia();
    // espeak-ng's voices all speak at 22 050 Hz; the rate is only unknown
    // while espeak-ng is still starting.
    const int frecuencia = sintetizador.Frecuencia() > 0 ? sintetizador.Frecuencia() : 22050;

    m_estado->latido = ReproductorAudio::Ahora();
    m_reproductor = new ReproductorAudio(m_estado, frecuencia);
    m_reproductor->moveToThread(HiloDeAudio());
    m_destino = std::make_shared<Destino>(m_reproductor);
    QMetaObject::invokeMethod(m_reproductor, &ReproductorAudio::Iniciar, Qt::QueuedConnection);
}

// The player is not waited for: it goes on its own thread, which may be
// stuck on the sound server.
MotorEspeak::~MotorEspeak() {
    {
        std::lock_guard lock(m_destino->mutex);
        m_destino->reproductor = nullptr;
    }
    if (m_cancelado)
        m_cancelado->store(true);
    m_estado->fraseActual = ++m_frase;
    m_reproductor->deleteLater();
}

void MotorEspeak::StopSpeech() {
    if (m_cancelado)
        m_cancelado->store(true);
    m_cancelado.reset();
    m_hablando = false;
    // Samples of the phrase cut short that are still on their way are
    // dropped by the player as they arrive.
    m_estado->fraseActual = ++m_frase;
    QMetaObject::invokeMethod(m_reproductor, &ReproductorAudio::Cortar, Qt::QueuedConnection);
}

void MotorEspeak::SetSpeakingRate(int palabrasPorMinuto) {
    m_palabrasPorMinuto = palabrasPorMinuto;
}

void MotorEspeak::SetVolume(int volumen) {
    m_volumen = volumen;
}

void MotorEspeak::Speak(const QString& texto) {
    StopSpeech();
    // Tried even after the device failed: the player looks for it afresh,
    // so the voice comes back with the sound server. While espeak-ng is still
    // starting, the phrase waits in its queue.
    const SintetizadorEspeak& sintetizador = SintetizadorEspeak::Instancia();
    if ((sintetizador.Listo() && !sintetizador.Disponible()) || SinRespuesta())
        return;

    auto cancelado = std::make_shared<std::atomic<bool>>(false);
    m_cancelado = cancelado;
    m_hablando = true;

    SintetizadorEspeak::Pedido pedido;
    pedido.texto = texto.toUtf8();
    pedido.palabrasPorMinuto = m_palabrasPorMinuto;
    pedido.volumen = m_volumen;
    pedido.cancelado = std::move(cancelado);
    pedido.entrega = [destino = m_destino, frase = m_frase](const std::int16_t* muestras,
                                                            int cuantas) {
        return destino->Enviar(frase,
                               QByteArray(reinterpret_cast<const char*>(muestras),
                                          qsizetype(cuantas) * kBytesPorMuestra),
                               false);
    };
    pedido.fin = [destino = m_destino, frase = m_frase](bool) {
        destino->Enviar(frase, QByteArray(), true);
    };
    SintetizadorEspeak::Instancia().Encargar(std::move(pedido));
}

bool MotorEspeak::Speaking() const {
    return m_hablando && m_estado->terminada < m_frase;
}

bool MotorEspeak::SinRespuesta() const {
    return ReproductorAudio::Ahora() - m_estado->latido > kMsSinRespuesta;
}

bool MotorEspeak::Available() const {
    return UnavailableReason().isEmpty();
}

QString MotorEspeak::UnavailableReason() const {
    const SintetizadorEspeak& sintetizador = SintetizadorEspeak::Instancia();
    if (!sintetizador.Listo() || SinRespuesta())
        return QStringLiteral("La voz no está disponible: el servidor de sonido no responde.");
    if (!sintetizador.Disponible())
        return QStringLiteral(
            "La voz no está disponible: no se encuentra la voz española de espeak-ng.");
    switch (m_estado->dispositivo.load()) {
    case EstadoAudio::NoHay:
        return QStringLiteral("La voz no está disponible: no hay ningún dispositivo de sonido.");
    case EstadoAudio::Falla:
        return QStringLiteral(
            "La voz no está disponible: no se pudo abrir el dispositivo de sonido.");
    default:
        return QString();
    }
}
