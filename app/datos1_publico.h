#pragma once
// What the rest of the program may use of the data-entry screen: every
// phrase the program speaks goes through its voice, the results read its
// count, and an ending by signal keeps what was typed.

#include <QString>

#include <cstdint>

class Datos1Publico {
public:
    virtual ~Datos1Publico() = default;
    virtual void Hablar(const QString& texto) = 0;
    virtual std::int32_t n() const = 0;
    // Written at once, as when the program is told to end (SIGTERM).
    virtual void GuardarRescate() = 0;
};
