#include "app/lector_pantalla.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace {

const QString kServicio = QStringLiteral("org.a11y.Bus");
const QString kRuta = QStringLiteral("/org/a11y/bus");
const QString kInterfaz = QStringLiteral("org.a11y.Status");
const QString kPropiedades = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kPropiedad = QStringLiteral("ScreenReaderEnabled");
constexpr int kEsperaMs = 2000;

} // namespace

LectorPantallaDBus::LectorPantallaDBus(QObject* parent)
    : LectorPantallaDBus(QDBusConnection::sessionBus(), parent) {}

LectorPantallaDBus::LectorPantallaDBus(const QDBusConnection& bus, QObject* parent)
    : LectorPantalla(parent), m_bus(bus) {
    if (!m_bus.isConnected())
        return;
    // The accessibility service may start after the program, or stop and
    // take the reader with it.
    auto* vigia = new QDBusServiceWatcher(kServicio, m_bus,
                                          QDBusServiceWatcher::WatchForRegistration |
                                              QDBusServiceWatcher::WatchForUnregistration,
                                          this);
    connect(vigia, &QDBusServiceWatcher::serviceRegistered, this, [this] { Leer(); });
    connect(vigia, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        ++m_lectura;
        Fijar(false);
    });
    m_bus.connect(kServicio, kRuta, kPropiedades, QStringLiteral("PropertiesChanged"), this,
                  SLOT(PropiedadesCambiadas(QString, QVariantMap, QStringList)));
    Leer();
}

void LectorPantallaDBus::Leer() {
    QDBusMessage pregunta =
        QDBusMessage::createMethodCall(kServicio, kRuta, kPropiedades, QStringLiteral("Get"));
    pregunta << kInterfaz << kPropiedad;
    // Asking must not start the service: with none running, no reader can be.
    pregunta.setAutoStartService(false);
    const unsigned lectura = ++m_lectura;
    auto* espera = new QDBusPendingCallWatcher(m_bus.asyncCall(pregunta, kEsperaMs), this);
    connect(espera, &QDBusPendingCallWatcher::finished, this,
            [this, lectura](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                if (lectura != m_lectura)
                    return;
                const QDBusPendingReply<QDBusVariant> respuesta = *w;
                Fijar(!respuesta.isError() && respuesta.value().variant().toBool());
            });
}

void LectorPantallaDBus::PropiedadesCambiadas(const QString& interfaz, const QVariantMap& cambiadas,
                                              const QStringList& invalidadas) {
    if (interfaz != kInterfaz)
        return;
    if (const auto valor = cambiadas.constFind(kPropiedad); valor != cambiadas.constEnd()) {
        ++m_lectura;
        Fijar(valor->toBool());
    } else if (invalidadas.contains(kPropiedad)) {
        Leer();
    }
}

void LectorPantallaDBus::Fijar(bool activo) {
    if (activo == m_activo)
        return;
    m_activo = activo;
    emit ActivoCambiado(activo);
}
