#include "app/lector_pantalla.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <unistd.h>

namespace {

const QString kServicio = QStringLiteral("org.a11y.Bus");
const QString kRuta = QStringLiteral("/org/a11y/bus");
const QString kInterfaz = QStringLiteral("org.a11y.Status");
const QString kPropiedades = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kPropiedad = QStringLiteral("ScreenReaderEnabled");
constexpr int kEsperaMs = 2000;
constexpr int kMirarProcesosMs = 1500;

// A screen reader of this user runs: a process whose name is orca.
bool HayLectorEnEjecucion(const QString& procesos) {
    const QDir carpeta(procesos);
    for (const QFileInfo& proceso : carpeta.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (proceso.ownerId() != getuid())
            continue;
        QFile nombre(proceso.filePath() + QStringLiteral("/comm"));
        if (nombre.open(QIODevice::ReadOnly) && nombre.read(16).trimmed() == "orca")
            return true;
    }
    return false;
}

} // namespace

LectorPantallaDBus::LectorPantallaDBus(QObject* parent)
    : LectorPantallaDBus(QDBusConnection::sessionBus(), parent) {}

LectorPantallaDBus::LectorPantallaDBus(const QDBusConnection& bus, QObject* parent,
                                       const QString& procesos)
    : LectorPantalla(parent), m_bus(bus), m_procesos(procesos) {
    auto* reloj = new QTimer(this);
    connect(reloj, &QTimer::timeout, this, &LectorPantallaDBus::MirarProcesos);
    reloj->start(kMirarProcesosMs);
    MirarProcesos();
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
        FijarBus(false);
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
                FijarBus(!respuesta.isError() && respuesta.value().variant().toBool());
            });
}

void LectorPantallaDBus::PropiedadesCambiadas(const QString& interfaz, const QVariantMap& cambiadas,
                                              const QStringList& invalidadas) {
    if (interfaz != kInterfaz)
        return;
    if (const auto valor = cambiadas.constFind(kPropiedad); valor != cambiadas.constEnd()) {
        ++m_lectura;
        FijarBus(valor->toBool());
    } else if (invalidadas.contains(kPropiedad)) {
        Leer();
    }
}

void LectorPantallaDBus::FijarBus(bool activo) {
    m_activoBus = activo;
    Fijar();
}

void LectorPantallaDBus::MirarProcesos() {
    m_activoProceso = HayLectorEnEjecucion(m_procesos);
    Fijar();
}

void LectorPantallaDBus::Fijar() {
    const bool activo = m_activoBus || m_activoProceso;
    if (activo == m_activo)
        return;
    m_activo = activo;
    emit ActivoCambiado(activo);
}
