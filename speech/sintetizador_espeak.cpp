#include "speech/sintetizador_espeak.h"

#include "speech/biblioteca_dinamica.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>
#include <future>
#include <utility>

static_assert(sizeof(short) == sizeof(std::int16_t), "espeak-ng hands over 16-bit samples");

namespace {

// Small buffers keep an abandoned phrase from running on for long.
constexpr int kMsPorBuffer = 50;
// Above 200 espeak-ng compresses the peaks and the voice starts to distort.
constexpr int kVolumenMaximo = 200;
constexpr int kMsEsperaInicio = 50;

QByteArray& RutaPedida() {
    static QByteArray ruta;
    return ruta;
}

// The phrase being synthesised. Only the synthesis thread reads or writes it.
SintetizadorEspeak::Pedido* g_enCurso = nullptr;

// espeak-ng's functions, loaded by the synthesis thread as it starts;
// nullptr when the library cannot be loaded.
struct EspeakNg {
    decltype(espeak_ng_InitializePath)* InitializePath;
    decltype(espeak_ng_Initialize)* Initialize;
    decltype(espeak_ng_ClearErrorContext)* ClearErrorContext;
    decltype(espeak_Info)* Info;
    decltype(espeak_ng_InitializeOutput)* InitializeOutput;
    decltype(espeak_SetSynthCallback)* SetSynthCallback;
    decltype(espeak_ng_SetVoiceByName)* SetVoiceByName;
    decltype(espeak_ng_GetSampleRate)* GetSampleRate;
    decltype(espeak_ng_SetParameter)* SetParameter;
    decltype(espeak_ng_Synthesize)* Synthesize;
    decltype(espeak_ng_Terminate)* Terminate;
};

const EspeakNg* Espeak() {
    return CargarFunciones<EspeakNg>(
        "libespeak-ng.so.1", [](const BibliotecaDinamica& biblioteca, EspeakNg& f) {
            return biblioteca.Tomar(f.InitializePath, "espeak_ng_InitializePath") &&
                   biblioteca.Tomar(f.Initialize, "espeak_ng_Initialize") &&
                   biblioteca.Tomar(f.ClearErrorContext, "espeak_ng_ClearErrorContext") &&
                   biblioteca.Tomar(f.Info, "espeak_Info") &&
                   biblioteca.Tomar(f.InitializeOutput, "espeak_ng_InitializeOutput") &&
                   biblioteca.Tomar(f.SetSynthCallback, "espeak_SetSynthCallback") &&
                   biblioteca.Tomar(f.SetVoiceByName, "espeak_ng_SetVoiceByName") &&
                   biblioteca.Tomar(f.GetSampleRate, "espeak_ng_GetSampleRate") &&
                   biblioteca.Tomar(f.SetParameter, "espeak_ng_SetParameter") &&
                   biblioteca.Tomar(f.Synthesize, "espeak_ng_Synthesize") &&
                   biblioteca.Tomar(f.Terminate, "espeak_ng_Terminate");
        });
}

int AlSintetizar(short* onda, int cuantas, espeak_EVENT*) {
    SintetizadorEspeak::Pedido* pedido = g_enCurso;
    if (onda == nullptr || pedido == nullptr) // end of the phrase
        return 0;
    if (pedido->cancelado && pedido->cancelado->load())
        return 1;
    if (cuantas > 0 && pedido->entrega && !pedido->entrega(onda, cuantas))
        return 1;
    return 0;
}

} // namespace

SintetizadorEspeak& SintetizadorEspeak::Instancia() {
    // Ended with the program, unless espeak-ng is still stuck starting: then
    // its thread goes with the process rather than hold up the exit.
    struct Final {
        SintetizadorEspeak* sintetizador = new SintetizadorEspeak;
        ~Final() {
            if (sintetizador->Listo())
                delete sintetizador;
        }
    };
    static Final final;
    return *final.sintetizador;
}

void SintetizadorEspeak::UsarDatosEn(const QByteArray& ruta) {
    RutaPedida() = ruta;
}

SintetizadorEspeak::SintetizadorEspeak() {
    std::promise<void> iniciado;
    std::future<void> listo = iniciado.get_future();
    m_hilo = std::thread([this, iniciado = std::move(iniciado)]() mutable {
        // espeak-ng 1.51 can run past the end of the last word of a clause
        // looking for a space, through its stack buffer and on up the stack
        // ("Introduzca un número mayor que tres" does). A main thread has
        // spaces somewhere above; a fresh thread may have none before its
        // stack ends, and then it faults. Every espeak call happens below this.
        std::array<char, 1024> espacios;
        volatile char* blancos = espacios.data(); // or the writes would be dropped
        for (std::size_t i = 0; i < espacios.size(); ++i)
            blancos[i] = ' ';
        Iniciar();
        m_listo.store(true, std::memory_order_release);
        iniciado.set_value();
        Trabajar();
    });
    // Callers ask Disponible() straight away, and loading the data takes a
    // few ms: worth a short wait, never a long one.
    listo.wait_for(std::chrono::milliseconds(kMsEsperaInicio));
}

SintetizadorEspeak::~SintetizadorEspeak() {
    {
        std::lock_guard lock(m_mutex);
        m_salir = true;
    }
    m_hayTrabajo.notify_one();
    m_hilo.join();
}

void SintetizadorEspeak::Iniciar() {
    const EspeakNg* espeak = Espeak();
    if (espeak == nullptr)
        return;
    const QByteArray& ruta = RutaPedida();
    espeak->InitializePath(ruta.isEmpty() ? nullptr : ruta.constData());
    // espeak_Initialize would exit() the process when the data is missing.
    espeak_ng_ERROR_CONTEXT contexto = nullptr;
    if (espeak->Initialize(&contexto) != ENS_OK) {
        espeak->ClearErrorContext(&contexto);
        return;
    }
    m_iniciado = true;
    const char* datos = nullptr;
    espeak->Info(&datos);
    m_rutaDatos = QString::fromLocal8Bit(datos);

    // Synchronous mode: synthesis runs on this thread and nothing plays, so
    // espeak-ng neither starts threads of its own nor touches a sound device.
    if (espeak->InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, kMsPorBuffer, nullptr) != ENS_OK)
        return;
    espeak->SetSynthCallback(AlSintetizar);
    if (espeak->SetVoiceByName("es") != ENS_OK)
        return;
    m_frecuencia = espeak->GetSampleRate();
    if (m_frecuencia <= 0)
        return;

    // espeak-ng accepts the voice even when it cannot read the Spanish
    // dictionary, and then says next to nothing: only a trial word tells.
    std::size_t muestras = 0;
    Pedido prueba;
    prueba.texto = "hola";
    prueba.entrega = [&muestras](const std::int16_t*, int cuantas) {
        muestras += std::size_t(cuantas);
        return true;
    };
    m_disponible = Sintetizar(prueba) && muestras > std::size_t(m_frecuencia) / 5;
}

// Only once Iniciar has found espeak-ng.
bool SintetizadorEspeak::Sintetizar(Pedido& pedido) {
    const EspeakNg* espeak = Espeak();
    espeak->SetParameter(
        espeakRATE, std::clamp(pedido.palabrasPorMinuto, espeakRATE_MINIMUM, espeakRATE_MAXIMUM),
        0);
    espeak->SetParameter(espeakVOLUME, std::clamp(pedido.volumen, 0, kVolumenMaximo), 0);
    g_enCurso = &pedido;
    const espeak_ng_STATUS estado =
        espeak->Synthesize(pedido.texto.constData(), std::size_t(pedido.texto.size()) + 1, 0,
                           POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
    g_enCurso = nullptr;
    return estado == ENS_OK;
}

void SintetizadorEspeak::Encargar(Pedido pedido) {
    {
        std::lock_guard lock(m_mutex);
        m_pendientes.push_back(std::move(pedido));
    }
    m_hayTrabajo.notify_one();
}

void SintetizadorEspeak::Trabajar() {
    for (;;) {
        Pedido pedido;
        {
            std::unique_lock lock(m_mutex);
            m_hayTrabajo.wait(lock, [this] { return m_salir || !m_pendientes.empty(); });
            if (m_salir)
                break;
            pedido = std::move(m_pendientes.front());
            m_pendientes.pop_front();
        }
        const bool cancelado = pedido.cancelado && pedido.cancelado->load();
        const bool completa = m_disponible && !cancelado && Sintetizar(pedido);
        if (pedido.fin)
            pedido.fin(completa);
    }
    // Nobody must be left waiting for a phrase that will never come.
    std::deque<Pedido> restantes;
    {
        std::lock_guard lock(m_mutex);
        restantes.swap(m_pendientes);
    }
    for (Pedido& pedido : restantes)
        if (pedido.fin)
            pedido.fin(false);
    if (m_iniciado)
        Espeak()->Terminate();
}
