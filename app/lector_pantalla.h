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
// Orca sets while it runs. The property is read without blocking and
// followed as it changes. No bus, no accessibility service, or a reply that
// never comes means no screen reader: the program then speaks as usual.
class LectorPantallaDBus final : public LectorPantalla {
    Q_OBJECT

public:
    explicit LectorPantallaDBus(QObject* parent = nullptr); // the session bus
    explicit LectorPantallaDBus(const QDBusConnection& bus, QObject* parent = nullptr);

    bool Activo() const override { return m_activo; }

private slots:
    void PropiedadesCambiadas(const QString& interfaz, const QVariantMap& cambiadas,
                              const QStringList& invalidadas);

private:
    void Leer();
    void Fijar(bool activo);

    QDBusConnection m_bus;
    bool m_activo = false;
    // Each read and each announced change takes a new number, so a reply
    // that arrives after a newer change cannot undo it.
    unsigned m_lectura = 0;
};
