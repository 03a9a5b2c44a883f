#include "app/aplicacion.h"

#include "app/ayuda.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include <stdexcept>

Aplicacion::Aplicacion(QObject* parent) : QObject(parent) {}

Aplicacion::~Aplicacion() {
    for (auto& [id, pantalla] : m_pantallas)
        delete pantalla.data();
    delete m_ayuda.data();
}

void Aplicacion::Registrar(IdPantalla id, Fabrica fabrica) { m_fabricas[id] = std::move(fabrica); }

Pantalla& Aplicacion::Obtener(IdPantalla id) {
    if (Pantalla* existente = Existente(id))
        return *existente;
    auto fabrica = m_fabricas.find(id);
    if (fabrica == m_fabricas.end())
        throw std::logic_error("pantalla sin registrar");
    Pantalla* nueva = fabrica->second(*this);
    m_pantallas[id] = nueva;
    return *nueva;
}

Pantalla* Aplicacion::Existente(IdPantalla id) const {
    auto it = m_pantallas.find(id);
    return it == m_pantallas.end() ? nullptr : it->second.data();
}

Datos1Publico* Aplicacion::Datos1() const {
    return dynamic_cast<Datos1Publico*>(Existente(IdPantalla::Datos1));
}

static void Centrar(QWidget& ventana) {
    const QScreen* pantalla = QGuiApplication::primaryScreen();
    if (!pantalla)
        return;
    QRect marco = ventana.frameGeometry();
    marco.moveCenter(pantalla->availableGeometry().center());
    ventana.move(marco.topLeft());
}

void Aplicacion::Mostrar(IdPantalla id) {
    Pantalla& pantalla = Obtener(id);
    if (!pantalla.isVisible()) {
        Centrar(pantalla);
        pantalla.show();
    }
    DarFoco(id);
}

void Aplicacion::DarFoco(IdPantalla id) {
    Pantalla& pantalla = Obtener(id);
    pantalla.raise();
    pantalla.activateWindow();
    // The window system confirms activation later; the program's flow needs
    // the screen active now (the results screen reads the data-entry screen
    // before the solve unloads it).
    Activada(pantalla);
}

void Aplicacion::Activada(Pantalla& pantalla) {
    if (m_terminada || m_activa == &pantalla)
        return;
    m_activa = &pantalla;
    pantalla.Manejar([&pantalla] { pantalla.Form_Activate(); });
}

void Aplicacion::Descargar(IdPantalla id) {
    Pantalla* pantalla = Existente(id);
    if (!pantalla)
        return;
    pantalla->Form_Unload();
    if (m_terminada) // the unload handler ended the program
        return;
    Quitar(*pantalla);
    if (!QuedaAlgunaAbierta())
        Terminar();
}

void Aplicacion::Quitar(Pantalla& pantalla) {
    m_pantallas.erase(pantalla.Id());
    if (m_activa == &pantalla)
        m_activa = nullptr;
    pantalla.hide();
    // The screen may be unloading itself from one of its own handlers.
    pantalla.deleteLater();
}

bool Aplicacion::QuedaAlgunaAbierta() const {
    for (const auto& [id, pantalla] : m_pantallas)
        if (pantalla && pantalla->isVisible())
            return true;
    return false;
}

void Aplicacion::Terminar() {
    if (m_terminada)
        return;
    m_terminada = true;
    for (auto& [id, pantalla] : m_pantallas) {
        if (pantalla) {
            pantalla->hide();
            pantalla->deleteLater();
        }
    }
    m_pantallas.clear();
    m_activa = nullptr;
    if (m_ayuda)
        m_ayuda->close();
    emit terminada();
}

void Aplicacion::InformeFinal(const QString& texto) {
    if (m_terminada)
        return;
    QMessageBox informe(QMessageBox::Critical, QStringLiteral("Veltrana"),
                        QStringLiteral("Se produjo un error no previsto y Veltrana debe cerrarse.\n\n%1")
                            .arg(texto),
                        QMessageBox::Ok, m_activa.data());
    informe.exec();
    Terminar();
}

void Aplicacion::MostrarAyuda(QWidget* desde) {
    if (!m_ayuda) {
        const QString ruta = VentanaAyuda::Buscar();
        if (ruta.isEmpty()) {
            QMessageBox::information(desde, QStringLiteral("Ayuda de Veltrana"),
                                     QStringLiteral("No se encontró la ayuda de Veltrana "
                                                    "(Ayudavt.html). Vuelva a instalar el "
                                                    "programa para recuperarla."));
            return;
        }
        if (const QString problema = VentanaAyuda::Problema(ruta); !problema.isEmpty()) {
            QMessageBox::information(desde, QStringLiteral("Ayuda de Veltrana"),
                                     QStringLiteral("La ayuda de Veltrana (%1) %2. Vuelva a "
                                                    "instalar el programa para recuperarla.")
                                         .arg(ruta, problema));
            return;
        }
        m_ayuda = new VentanaAyuda(ruta);
    }
    m_ayuda->show();
    m_ayuda->raise();
    m_ayuda->activateWindow();
}
