#pragma once
// Plays the phrases of MotorEspeak on a thread of its own, straight to the
// PulseAudio server (or PipeWire's stand-in for it). Every call to the sound
// server may wait on it: a server that stalls or never answers must stall this
// thread, never the screens. A connection that fails is dropped and made
// afresh, so the voice comes back when the server does. What the screens need
// to know (whether a phrase is still heard, whether there is a server, whether
// this thread is alive) is published in EstadoAudio, read without waiting.

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <memory>

struct pa_simple;

struct EstadoAudio {
    enum Dispositivo { Desconocido, Hay, NoHay, Falla };
    std::atomic<quint64> fraseActual{0}; // older phrases are dropped
    std::atomic<quint64> terminada{0};   // the newest phrase played out or cut
    std::atomic<int> dispositivo{Desconocido};
    std::atomic<qint64> latido{0}; // ms, steady clock: the thread was last free then
};

class ReproductorAudio final : public QObject {
public:
    ReproductorAudio(std::shared_ptr<EstadoAudio> estado, int frecuencia);
    ~ReproductorAudio() override;

    // All on the audio thread, queued there by MotorEspeak.
    void Iniciar();
    void Recibir(quint64 frase, const QByteArray& muestras, bool fin);
    void Cortar();

    static qint64 Ahora();

private:
    bool Conectar();
    void Desconectar(EstadoAudio::Dispositivo motivo);
    void Vigilar();
    bool Alimentar();
    qint64 MsDeMuestras(qint64 bytes) const;

    std::shared_ptr<EstadoAudio> m_estado;
    int m_frecuencia;
    pa_simple* m_conexion = nullptr;
    quint64 m_frase = 0; // the phrase whose samples are held
    QByteArray m_muestras;
    qsizetype m_enviados = 0; // bytes of m_muestras already with the server
    bool m_completa = false;  // the last samples of the phrase have arrived
    bool m_sonando = false;   // sending started for this phrase
    qint64 m_ultimaActividad = 0; // ms: the last phrase began, or a connection was tried
    QTimer m_vigilancia;
};
