#pragma once
// The speech engine as the data-entry screen drives it: silence, two speaking
// parameters, a phrase. The screen never reads anything back and never waits
// for a phrase to end, so nothing here returns a result but the availability
// that the voice button shows in its tooltip.

#include <QString>

class MotorVoz {
public:
    MotorVoz() = default;
    MotorVoz(const MotorVoz&) = delete;
    MotorVoz& operator=(const MotorVoz&) = delete;
    virtual ~MotorVoz() = default;

    // Cuts short whatever is being spoken; harmless when nothing is.
    virtual void StopSpeech() = 0;
    // Both take effect from the next Speak on; the phrase in progress keeps
    // the values it started with.
    virtual void SetSpeakingRate(int palabrasPorMinuto) = 0;
    virtual void SetVolume(int volumen) = 0; // 100 is the engine's normal loudness
    // Starts a phrase and returns; a newer phrase replaces one still in progress.
    virtual void Speak(const QString& texto) = 0;

    // False when nothing can be heard (no sound device, no Spanish voice); the
    // calls above are then quiet no-ops rather than failures.
    virtual bool Available() const = 0;
    // Why the voice cannot be heard, in Spanish, for a tooltip; empty when it can.
    virtual QString UnavailableReason() const = 0;
};
