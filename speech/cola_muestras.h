#pragma once
// The samples of the phrase being played, as the audio sink pulls them. The
// phrase arrives in pieces while the sink is already reading, so running dry
// is not the end: only a phrase marked complete and fully read is at its end.

#include <QByteArray>
#include <QIODevice>
#include <algorithm>
#include <cstring>

class ColaMuestras final : public QIODevice {
public:
    ColaMuestras() { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }

    void Anadir(const QByteArray& muestras) {
        if (muestras.isEmpty())
            return;
        m_datos += muestras;
        m_total += muestras.size();
        emit readyRead(); // wakes a sink that ran dry
    }
    void Completar() { m_completa = true; }
    void Vaciar() {
        m_datos.clear();
        m_leidos = 0;
        m_total = 0;
        m_completa = false;
    }

    bool Completa() const { return m_completa; }
    qint64 Pendientes() const { return m_datos.size() - m_leidos; }
    qint64 Total() const { return m_total; } // bytes received for this phrase

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return Pendientes() + QIODevice::bytesAvailable(); }
    bool atEnd() const override { return m_completa && Pendientes() == 0; }

protected:
    qint64 readData(char* destino, qint64 maximo) override {
        const qint64 cuantos = std::min(maximo, Pendientes());
        if (cuantos <= 0)
            return 0;
        std::memcpy(destino, m_datos.constData() + m_leidos, std::size_t(cuantos));
        m_leidos += cuantos;
        if (m_leidos == m_datos.size()) {
            m_datos.clear();
            m_leidos = 0;
        }
        return cuantos;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_datos;
    qint64 m_leidos = 0;
    qint64 m_total = 0;
    bool m_completa = false;
};
