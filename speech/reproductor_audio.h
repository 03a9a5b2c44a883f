#pragma once
// Plays the phrases of MotorEspeak on a thread of its own. Qt Multimedia
// waits on the sound server in every call (opening the device, starting,
// stopping): a server that stalls or never answers must stall this thread,
// never the screens. What the screens need to know (whether a phrase is
// still heard, whether there is a device, whether this thread is alive) is
// published in EstadoAudio, read without waiting.

#include "speech/cola_muestras.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <memory>

class QAudioSink;

struct EstadoAudio {
    enum Dispositivo { Desconocido, Hay, NoHay, Falla };
    std::atomic<quint64> fraseActual{0}; // older phrases are dropped
    std::atomic<quint64> terminada{0};   // the newest phrase played out or cut
    std::atomic<int> dispositivo{Desconocido};
    std::atomic<qint64> latido{0}; // ms, steady clock: the thread was last free then
};

class ReproductorAudio final : public QObject {
public:
    ReproductorAudio(std::shared_ptr<EstadoAudio> estado, const QAudioFormat& formato);
    ~ReproductorAudio() override;

    // All on the audio thread, queued there by MotorEspeak.
    void Iniciar();
    void Recibir(quint64 frase, const QByteArray& muestras, bool fin);
    void Cortar();

    static qint64 Ahora();

private:
    void Arrancar();
    void Vigilar();
    void AlCambiarEstado();

    std::shared_ptr<EstadoAudio> m_estado;
    QAudioFormat m_formato;
    quint64 m_frase = 0; // the phrase whose samples are queued
    ColaMuestras m_cola;
    QAudioDevice m_dispositivo;
    std::unique_ptr<QAudioSink> m_salida; // declared after m_cola: it reads from it
    QTimer m_vigilancia;
    QElapsedTimer m_reloj;
    bool m_sonando = false; // the sink has been started for this phrase
    int m_esperas = 0;      // for the devices, at the start
};
