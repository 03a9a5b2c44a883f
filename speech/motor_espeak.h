#pragma once
// The speech engine the application really uses: espeak-ng's Spanish voice,
// played through Qt Multimedia. Speak returns at once and the phrase plays
// while the screens stay usable; StopSpeech silences it at once.
// Without a sound device or without the voice data it stays quiet and says
// why through UnavailableReason.

#include "speech/cola_muestras.h"
#include "speech/motor_voz.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <memory>

class QAudioSink;

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
    bool Speaking() const { return m_hablando; }

private:
    struct Destino;

    void Recibir(quint64 frase, const QByteArray& muestras, bool fin);
    void Arrancar();
    void Vigilar();
    void AlCambiarEstado();
    void Cortar();

    // Lets the synthesis thread post samples here for as long as this engine lives.
    std::shared_ptr<Destino> m_destino;
    std::shared_ptr<std::atomic<bool>> m_cancelado; // of the phrase in progress
    quint64 m_frase = 0; // samples of any other phrase are late and dropped

    int m_palabrasPorMinuto = 175; // espeak-ng's own defaults
    int m_volumen = 100;

    QAudioFormat m_formato;
    ColaMuestras m_cola;
    QAudioDevice m_dispositivo;
    std::unique_ptr<QAudioSink> m_salida; // declared after m_cola: it reads from it
    QTimer m_vigilancia;
    QElapsedTimer m_reloj;
    bool m_hablando = false;
    bool m_sonando = false; // the sink has been started for this phrase
    bool m_fallaSalida = false;
};
