#pragma once
// Sound servers that fail on purpose, for the tests and the benchmark of
// stalls: one that never answers, and the command line that starts the real
// one again after it is killed.

#include <QDir>
#include <QFile>
#include <QStringList>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// A "sound server" that takes connections and never says a word, made the
// one this process uses.
class ServidorMudo {
public:
    bool Escuchar() {
        m_ruta = QDir::temp().filePath(QStringLiteral("veltrana-mudo-%1").arg(getpid()));
        sockaddr_un direccion{};
        direccion.sun_family = AF_UNIX;
        qstrncpy(direccion.sun_path, QFile::encodeName(m_ruta).constData(),
                 sizeof direccion.sun_path);
        m_socket = socket(AF_UNIX, SOCK_STREAM, 0);
        if (m_socket < 0 ||
            bind(m_socket, reinterpret_cast<sockaddr*>(&direccion), sizeof direccion) != 0 ||
            listen(m_socket, 16) != 0)
            return false;
        qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(m_ruta));
        return true;
    }
    ~ServidorMudo() {
        if (m_socket >= 0)
            close(m_socket);
        if (!m_ruta.isEmpty())
            QFile::remove(m_ruta);
    }

private:
    QString m_ruta;
    int m_socket = -1;
};

// The command line of a running process, to start it again after a kill.
inline QStringList OrdenDelProceso(pid_t proceso) {
    QFile archivo(QStringLiteral("/proc/%1/cmdline").arg(proceso));
    if (proceso <= 0 || !archivo.open(QIODevice::ReadOnly))
        return {};
    QStringList orden;
    for (const QByteArray& parte : archivo.readAll().split('\0'))
        if (!parte.isEmpty())
            orden << QString::fromLocal8Bit(parte);
    return orden;
}
