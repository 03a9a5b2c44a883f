#include "speech/motor_espeak.h"

#include "speech/sintetizador_espeak.h"

#include <QAudioSink>
#include <QMediaDevices>
#include <QMetaObject>
#include <mutex>
#include <utility>

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

} // namespace

struct MotorEspeak::Destino {
    std::mutex mutex;
    MotorEspeak* motor;

    explicit Destino(MotorEspeak* m) : motor(m) {}

    // Runs on the synthesis thread. Once the engine is gone there is nobody to
    // play to, and the answer false abandons the phrase.
    bool Enviar(quint64 frase, QByteArray muestras, bool fin) {
        std::lock_guard lock(mutex);
        if (motor == nullptr)
            return false;
        // Queued: the UI thread takes the samples in its own time; events still
        // pending when the engine is destroyed are discarded with it.
        QMetaObject::invokeMethod(
            motor,
            [m = motor, frase, muestras = std::move(muestras), fin] {
                m->Recibir(frase, muestras, fin);
            },
            Qt::QueuedConnection);
        return true;
    }
};

MotorEspeak::MotorEspeak(QObject* parent)
    : QObject(parent), m_destino(std::make_shared<Destino>(this)) {
    const SintetizadorEspeak& sintetizador = SintetizadorEspeak::Instancia();
    m_formato.setSampleRate(sintetizador.Frecuencia() > 0 ? sintetizador.Frecuencia() : 22050);
    m_formato.setChannelCount(1);
    m_formato.setSampleFormat(QAudioFormat::Int16);

    m_vigilancia.setInterval(kMsVigilancia);
    connect(&m_vigilancia, &QTimer::timeout, this, &MotorEspeak::Vigilar);
}

MotorEspeak::~MotorEspeak() {
    {
        std::lock_guard lock(m_destino->mutex);
        m_destino->motor = nullptr;
    }
    Cortar();
    m_salida.reset();
}

void MotorEspeak::StopSpeech() {
    Cortar();
}

void MotorEspeak::SetSpeakingRate(int palabrasPorMinuto) {
    m_palabrasPorMinuto = palabrasPorMinuto;
}

void MotorEspeak::SetVolume(int volumen) {
    m_volumen = volumen;
}

void MotorEspeak::Speak(const QString& texto) {
    Cortar();
    if (!SintetizadorEspeak::Instancia().Disponible() ||
        QMediaDevices::defaultAudioOutput().isNull())
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

bool MotorEspeak::Available() const {
    return UnavailableReason().isEmpty();
}

QString MotorEspeak::UnavailableReason() const {
    if (!SintetizadorEspeak::Instancia().Disponible())
        return QStringLiteral(
            "La voz no está disponible: no se encuentra la voz española de espeak-ng.");
    if (QMediaDevices::defaultAudioOutput().isNull())
        return QStringLiteral("La voz no está disponible: no hay ningún dispositivo de sonido.");
    if (m_fallaSalida)
        return QStringLiteral(
            "La voz no está disponible: no se pudo abrir el dispositivo de sonido.");
    return QString();
}

void MotorEspeak::Recibir(quint64 frase, const QByteArray& muestras, bool fin) {
    if (frase != m_frase)
        return;
    m_cola.Anadir(muestras);
    if (fin)
        m_cola.Completar();
    const qint64 margen =
        qint64(m_formato.sampleRate()) * kBytesPorMuestra * kMsAntesDeSonar / 1000;
    if (!m_sonando && (m_cola.Completa() || m_cola.Pendientes() >= margen))
        Arrancar();
}

void MotorEspeak::Arrancar() {
    const QAudioDevice dispositivo = QMediaDevices::defaultAudioOutput();
    if (dispositivo.isNull() || !dispositivo.isFormatSupported(m_formato)) {
        m_fallaSalida = !dispositivo.isNull();
        Cortar();
        return;
    }
    if (!m_salida || dispositivo != m_dispositivo) {
        m_salida = std::make_unique<QAudioSink>(dispositivo, m_formato);
        m_salida->setBufferSize(qsizetype(m_formato.sampleRate()) * kBytesPorMuestra *
                                kMsBufferSalida / 1000);
        connect(m_salida.get(), &QAudioSink::stateChanged, this, &MotorEspeak::AlCambiarEstado);
        m_dispositivo = dispositivo;
    }
    m_sonando = true;
    m_salida->start(&m_cola);
    if (m_salida->error() != QAudio::NoError || m_salida->state() == QAudio::StoppedState) {
        m_fallaSalida = true;
        Cortar();
        return;
    }
    m_fallaSalida = false;
    m_reloj.start();
    m_vigilancia.start();
}

void MotorEspeak::Vigilar() {
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

void MotorEspeak::AlCambiarEstado() {
    // A sink stops of its own accord only when the sound server fails or goes away.
    if (m_sonando && m_salida->state() == QAudio::StoppedState &&
        m_salida->error() != QAudio::NoError) {
        m_fallaSalida = true;
        Cortar();
    }
}

void MotorEspeak::Cortar() {
    if (m_cancelado)
        m_cancelado->store(true);
    m_cancelado.reset();
    ++m_frase;
    m_vigilancia.stop();
    m_sonando = false;
    m_hablando = false;
    if (m_salida)
        m_salida->stop();
    m_cola.Vaciar();
}
