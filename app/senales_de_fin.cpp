#include "app/senales_de_fin.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int extremos[2] = {-1, -1}; // [0] written by the handler, [1] read by the loop
constexpr int kSenales[] = {SIGTERM, SIGHUP};

} // namespace

SenalesDeFin::SenalesDeFin(QObject* padre) : QObject(padre) {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, extremos) != 0)
        return; // the signals keep their default: the last copy is kept anyway
    m_aviso = new QSocketNotifier(extremos[1], QSocketNotifier::Read, this);
    connect(m_aviso, &QSocketNotifier::activated, this, &SenalesDeFin::Leer);
    struct sigaction accion = {};
    accion.sa_handler = &SenalesDeFin::Manejador;
    sigemptyset(&accion.sa_mask);
    accion.sa_flags = SA_RESTART;
    for (int senal : kSenales)
        sigaction(senal, &accion, nullptr);
}

SenalesDeFin::~SenalesDeFin() {
    if (!m_aviso)
        return;
    for (int senal : kSenales)
        std::signal(senal, SIG_DFL);
    close(extremos[0]);
    close(extremos[1]);
    extremos[0] = extremos[1] = -1;
}

void SenalesDeFin::Manejador(int senal) {
    const int guardado = errno;
    const char numero = char(senal);
    [[maybe_unused]] const ssize_t escrito = write(extremos[0], &numero, 1);
    errno = guardado;
}

void SenalesDeFin::Leer() {
    char numero = 0;
    if (read(extremos[1], &numero, 1) == 1)
        emit Recibida(numero);
}
