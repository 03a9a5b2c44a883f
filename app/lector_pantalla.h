#pragma once
// Whether a screen reader is listening. While one is, the program's own voice
// keeps quiet: the reader already speaks the focused control, the message
// boxes and the window titles, and two voices at once drown each other.

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

class LectorPantalla : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual bool Activo() const = 0;

signals:
    // Raised on every change of Activo(), with its new value.
    void ActivoCambiado(bool activo);
};

// The desktop's accessibility bus says whether a screen reader is on: the
// ScreenReaderEnabled property of org.a11y.Status on org.a11y.Bus, which
// desktops set when they start Orca. The property is read without blocking
// and followed as it changes. No bus, no accessibility service, or a reply
// that never comes means no screen reader, unless Orca runs anyway: started
// by hand, it leaves the property alone, so the user's processes (under
// `procesos`, /proc by default) are looked at every second and a half too.
class LectorPantallaDBus final : public LectorPantalla {
    Q_OBJECT

public:
    explicit LectorPantallaDBus(QObject* parent = nullptr); // the session bus
    explicit LectorPantallaDBus(const QDBusConnection& bus, QObject* parent = nullptr,
                                const QString& procesos = QStringLiteral("/proc"));

    bool Activo() const override { return m_activo; }

private slots:
    void PropiedadesCambiadas(const QString& interfaz, const QVariantMap& cambiadas,
                              const QStringList& invalidadas);

private:
    void Leer();
    void FijarBus(bool activo);
    void MirarProcesos();
    void Fijar();

    QDBusConnection m_bus;
    QString m_procesos;
    bool m_activoBus = false;
    bool m_activoProceso = false;
    bool m_activo = false;
    // Each read and each announced change takes a new number, so a reply
    // that arrives after a newer change cannot undo it.
    unsigned m_lectura = 0;
};
