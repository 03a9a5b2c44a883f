#pragma once
// A voice for the screen tests: silent, it notes what a listener would have
// heard, the rate and volume of the last phrase, and whether one is still
// being spoken.

#include "speech/motor_voz.h"

#include <QStringList>
#include <utility>

class MotorVozFalso final : public MotorVoz {
public:
    void StopSpeech() override { m_hablando = false; }
    void SetSpeakingRate(int palabrasPorMinuto) override { m_ajustes.first = palabrasPorMinuto; }
    void SetVolume(int volumen) override { m_ajustes.second = volumen; }
    void Speak(const QString& texto) override {
        m_frases << texto;
        m_ultima = m_ajustes;
        m_hablando = true;
    }
    bool Available() const override { return true; }
    QString UnavailableReason() const override { return {}; }

    const QStringList& Frases() const { return m_frases; }
    std::pair<int, int> PalabrasYVolumen() const { return m_ultima; } // of the last phrase
    bool Hablando() const { return m_hablando; }
    void Olvidar() { m_frases.clear(); }

private:
    QStringList m_frases;
    std::pair<int, int> m_ajustes{175, 100}, m_ultima; // espeak-ng's own to start with
    bool m_hablando = false;
};
