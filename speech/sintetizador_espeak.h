#pragma once
// espeak-ng keeps its state in globals, initialises once per process and is not
// thread-safe, so the whole process shares one synthesiser that makes every
// espeak call on a thread of its own. Phrases are synthesised to memory there;
// playing them is the caller's business.

#include <QByteArray>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class SintetizadorEspeak {
public:
    struct Pedido {
        QByteArray texto; // UTF-8, plain text (no SSML)
        int palabrasPorMinuto = 175;
        int volumen = 100;
        // Called on the synthesis thread with each buffer as it is made;
        // returning false abandons the rest of the phrase.
        std::function<bool(const std::int16_t* muestras, int cuantas)> entrega;
        // Called on the synthesis thread exactly once, when the phrase is over;
        // `completa` is false when it was abandoned or never started.
        std::function<void(bool completa)> fin;
        // Checked between buffers, so a phrase can be dropped from any thread.
        std::shared_ptr<const std::atomic<bool>> cancelado;
    };

    static SintetizadorEspeak& Instancia();
    // Where espeak-ng-data is, instead of the system's copy. Only has an effect
    // before the first Instancia(): espeak-ng reads its data once.
    static void UsarDatosEn(const QByteArray& ruta);

    SintetizadorEspeak(const SintetizadorEspeak&) = delete;
    SintetizadorEspeak& operator=(const SintetizadorEspeak&) = delete;
    ~SintetizadorEspeak();

    // Whether espeak-ng has finished starting. It looks for a sound device as
    // it starts, even though it never plays, and a sound server that never
    // answers keeps it waiting for half a minute: nobody waits for that.
    bool Listo() const { return m_listo.load(std::memory_order_acquire); }
    // Whether the Spanish voice loaded and really produces speech.
    bool Disponible() const { return Listo() && m_disponible; }
    int Frecuencia() const { return Listo() ? m_frecuencia : 0; } // samples per second, mono
    // The espeak-ng-data directory in use; empty if espeak-ng did not start.
    QString RutaDatos() const { return Listo() ? m_rutaDatos : QString(); }

    // Queues a phrase behind those already waiting; returns at once.
    void Encargar(Pedido pedido);

private:
    SintetizadorEspeak();
    void Iniciar();
    bool Sintetizar(Pedido& pedido);
    void Trabajar();

    // Written once by the synthesis thread before m_listo, read after it.
    std::atomic<bool> m_listo{false};
    bool m_iniciado = false;
    bool m_disponible = false;
    int m_frecuencia = 0;
    QString m_rutaDatos;

    std::mutex m_mutex;
    std::condition_variable m_hayTrabajo;
    std::deque<Pedido> m_pendientes;
    bool m_salir = false;
    std::thread m_hilo;
};
