#pragma once
// Shared by the screen tests: keys typed where a person's would go, and a
// watchdog that reads and dismisses message boxes so no test hangs on one.

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTest>
#include <QTimer>

// Types into whatever has the focus, one key at a time (the first key on a
// grid cell opens its editor, the rest go to the editor).
inline void Teclear(const QString& texto) {
    for (const QChar c : texto)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

inline void Pulsar(Qt::Key tecla, Qt::KeyboardModifiers modificadores = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), tecla, modificadores);
}

// Writes the decimal separator of the locale under test where a text says "{d}".
inline QString ConSeparador(QString texto) {
    return texto.replace(QStringLiteral("{d}"), QLocale().decimalPoint());
}

class VigilanteMensajes : public QObject {
public:
    VigilanteMensajes() {
        m_reloj.setInterval(5);
        connect(&m_reloj, &QTimer::timeout, this, [this] {
            if (auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                vistos << caja->windowTitle() + QStringLiteral(" | ") + caja->text();
                iconos << caja->icon();
                caja->accept();
            }
        });
        m_reloj.start();
    }

    QStringList vistos; // "title | text"
    QList<QMessageBox::Icon> iconos;

private:
    QTimer m_reloj;
};
