#pragma once
// A speech engine for the screen tests: it says nothing and writes down every
// call, in order, so a test can compare the exact sequence a screen produced:
// "StopSpeech", "Rate=130", "Volume=150", "Speak=<texto>".

#include "solver/error_numerado.h"
#include "speech/motor_voz.h"

#include <QString>
#include <QStringList>

class MotorVozFalso final : public MotorVoz {
public:
    void StopSpeech() override { Anotar(QStringLiteral("StopSpeech")); }
    void SetSpeakingRate(int palabrasPorMinuto) override {
        Anotar(QStringLiteral("Rate=%1").arg(palabrasPorMinuto));
    }
    void SetVolume(int volumen) override { Anotar(QStringLiteral("Volume=%1").arg(volumen)); }
    void Speak(const QString& texto) override { Anotar(QStringLiteral("Speak=") + texto); }

    bool Available() const override { return m_disponible; }
    QString UnavailableReason() const override {
        return m_disponible ? QString() : QStringLiteral("La voz no está disponible.");
    }

    const QStringList& Llamadas() const { return m_llamadas; }
    // The texts passed to Speak, in order: what the user would have heard.
    QStringList Frases() const {
        QStringList frases;
        for (const QString& llamada : m_llamadas)
            if (llamada.startsWith(QLatin1String("Speak=")))
                frases << llamada.mid(6);
        return frases;
    }
    void Olvidar() { m_llamadas.clear(); }

    void FijarDisponible(bool disponible) { m_disponible = disponible; }
    // Makes every later call whose record starts with `llamada` ("StopSpeech",
    // "Rate", "Volume", "Speak") fail with `numero`, as a broken engine would.
    // The failed call is still recorded, so a test sees where the sequence stopped.
    void FallarEn(const QString& llamada, NumeroError numero = NumeroError::Desbordamiento) {
        m_fallaEn = llamada;
        m_numeroFallo = numero;
    }

private:
    void Anotar(const QString& llamada) {
        m_llamadas << llamada;
        if (!m_fallaEn.isEmpty() && llamada.startsWith(m_fallaEn))
            throw ErrorNumerado(m_numeroFallo);
    }

    QStringList m_llamadas;
    bool m_disponible = true;
    QString m_fallaEn;
    NumeroError m_numeroFallo = NumeroError::Desbordamiento;
};
