#pragma once
// SIGTERM (the session ending, a kill) and SIGHUP (the terminal gone) would
// end the program on the spot, losing what was typed since the last recovery
// copy. They are caught and handed to the event loop through a socket pair,
// the one thing a signal handler may safely do, so that the program writes
// the copy before it goes. Their default handling comes back with the
// destructor.

#include <QObject>

class QSocketNotifier;

class SenalesDeFin final : public QObject {
    Q_OBJECT

public:
    explicit SenalesDeFin(QObject* padre = nullptr);
    ~SenalesDeFin() override;

signals:
    void Recibida(int senal);

private:
    static void Manejador(int senal);
    void Leer();

    QSocketNotifier* m_aviso = nullptr;
};
