#pragma once
// What the other screens may use of the data-entry screen: every phrase the
// program speaks goes through its voice, and the results read its count.

#include <QString>

#include <cstdint>

class Datos1Publico {
public:
    virtual ~Datos1Publico() = default;
    virtual void Hablar(const QString& texto) = 0;
    virtual std::int32_t n() const = 0;
};
