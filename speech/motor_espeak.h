#pragma once
// The speech engine the application really uses: espeak-ng's Spanish voice,
// played to the PulseAudio server. Speak returns at once and the phrase plays
// while the screens stay usable; StopSpeech silences it at once.
// Without a sound device or without the voice data it stays quiet and says
// why through UnavailableReason. Playing happens on a thread of its own
// (ReproductorAudio): no call here ever waits on the sound server, and a
// server that stops answering makes the voice quiet, with its reason, until
// it answers again.

#include "speech/motor_voz.h"

#include <QObject>
#include <atomic>
#include <memory>

class ReproductorAudio;
struct EstadoAudio;

class MotorEspeak final : public QObject, public MotorVoz {
    Q_OBJECT

public:
    explicit MotorEspeak(QObject* parent = nullptr);
    ~MotorEspeak() override;

    void StopSpeech() override;
    void SetSpeakingRate(int palabrasPorMinuto) override;
    void SetVolume(int volumen) override;
    void Speak(const QString& texto) override;
    bool Available() const override;
    QString UnavailableReason() const override;

    // True from Speak until the phrase has been heard to its end or cut short.
    bool Speaking() const;

private:
    struct Destino;

    bool SinRespuesta() const;

    std::shared_ptr<EstadoAudio> m_estado;
    ReproductorAudio* m_reproductor = nullptr; // lives on the audio thread
    // Lets the synthesis thread post samples to the player for as long as
    // this engine lives.
    std::shared_ptr<Destino> m_destino;
    std::shared_ptr<std::atomic<bool>> m_cancelado; // of the phrase in progress
    quint64 m_frase = 0;
    bool m_hablando = false;

    int m_palabrasPorMinuto = 175; // espeak-ng's own defaults
    int m_volumen = 100;
};
