#pragma once
// A voice for the screen tests: silent, it notes what a listener would have
// heard, each phrase with the rate and volume it was spoken at, and whether
// one is still being spoken.

#include "speech/motor_voz.h"

#include <QList>
#include <QString>
#include <QStringList>

class MotorVozFalso final : public MotorVoz {
public:
    struct Frase {
        QString texto;
        int palabrasPorMinuto, volumen;
    };

    void StopSpeech() override { m_hablando = false; }
    void SetSpeakingRate(int palabrasPorMinuto) override { m_palabras = palabrasPorMinuto; }
    void SetVolume(int volumen) override { m_volumen = volumen; }
    void Speak(const QString& texto) override {
        m_oidas << Frase{texto, m_palabras, m_volumen};
        m_hablando = true;
    }
    bool Available() const override { return true; }
    QString UnavailableReason() const override { return {}; }

    const QList<Frase>& Oidas() const { return m_oidas; }
    QStringList Frases() const {
        QStringList textos;
        for (const Frase& f : m_oidas)
            textos << f.texto;
        return textos;
    }
    bool Hablando() const { return m_hablando; }
    void Olvidar() { m_oidas.clear(); }

private:
    QList<Frase> m_oidas;
    int m_palabras = 175, m_volumen = 100; // espeak-ng's own
    bool m_hablando = false;
};
