#pragma once
// Shared by the screen tests: keys typed where a person's would go, and
// message boxes, read and dismissed when a test expects them, a failure of
// the test when it does not.

#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
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

inline QString Describir(const QMessageBox& caja) {
    return caja.windowTitle() + QStringLiteral(" | ") + caja.text();
}

// While one exists, message boxes are expected: each is read and answered
// with the button named (its caption), or else as Enter would.
class VigilanteMensajes : public QObject {
public:
    explicit VigilanteMensajes(QString respuesta = {}) : m_respuesta(std::move(respuesta)) {
        ++Activos();
        m_reloj.setInterval(5);
        connect(&m_reloj, &QTimer::timeout, this, [this] {
            if (auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                vistos << Describir(*caja);
                for (QAbstractButton* boton : caja->buttons())
                    if (boton->text() == m_respuesta)
                        return boton->click();
                if (caja->defaultButton())
                    return caja->defaultButton()->click();
                caja->accept();
            }
        });
        m_reloj.start();
    }
    ~VigilanteMensajes() override { --Activos(); }
    static int& Activos() {
        static int activos = 0;
        return activos;
    }

    QStringList vistos; // "title | text"

private:
    QString m_respuesta;
    QTimer m_reloj;
};

// A message box that no VigilanteMensajes expects fails the running test,
// naming the box, and is dismissed: the test goes on to its end instead of
// hanging on the box until CTest's timeout.
class TrampaMensajes : public QObject {
public:
    TrampaMensajes() {
        m_reloj.setInterval(200);
        connect(&m_reloj, &QTimer::timeout, this, [] {
            auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!caja || VigilanteMensajes::Activos() > 0)
                return;
            QTest::qFail(qPrintable(QStringLiteral("unexpected message box: ") + Describir(*caja)),
                         __FILE__, __LINE__);
            caja->reject();
        });
        m_reloj.start();
    }

private:
    QTimer m_reloj;
};
