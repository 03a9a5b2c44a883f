// Startup time as the user sees it: starts a program on the X display and
// reports how long after the exec its first top-level window was mapped.
//
//   bench_arranque PROGRAM [ARGS…]
//
// Prints one line, "<ms>", and exits 0; exits 1 when no window of the
// program was mapped within 10 s. The program is then sent SIGTERM (SIGKILL
// if it lingers). Plain Xlib, no Qt: the watcher must not share, warm or wait
// for anything the measured program loads.
//
// The clock starts right before fork(); the child only calls execvp(). The
// root window is watched for MapNotify before the fork, so no map can be
// missed, and a mapped window counts only when its _NET_WM_PID is the
// child's (windows of any other client on the display are ignored).

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double Ahora() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// _NET_WM_PID of a window, or -1. The property is set before the window is
// mapped (Qt sets it at creation).
long PidDe(Display* pantalla, Window ventana, Atom netWmPid) {
    Atom tipo = None;
    int formato = 0;
    unsigned long cuantos = 0, restan = 0;
    unsigned char* datos = nullptr;
    long pid = -1;
    if (XGetWindowProperty(pantalla, ventana, netWmPid, 0, 1, False, XA_CARDINAL, &tipo, &formato,
                           &cuantos, &restan, &datos) == Success &&
        datos && tipo == XA_CARDINAL && formato == 32 && cuantos == 1)
        pid = *reinterpret_cast<long*>(datos);
    if (datos)
        XFree(datos);
    return pid;
}

int IgnorarErrores(Display*, XErrorEvent*) { return 0; } // a window gone before it is read

void Terminar(pid_t hijo) {
    kill(hijo, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(hijo, nullptr, WNOHANG) == hijo)
            return;
        usleep(10'000);
    }
    kill(hijo, SIGKILL);
    waitpid(hijo, nullptr, 0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "uso: %s PROGRAMA [ARGUMENTOS…]\n", argv[0]);
        return 2;
    }
    Display* pantalla = XOpenDisplay(nullptr);
    if (!pantalla) {
        std::fprintf(stderr, "bench_arranque: no hay pantalla X (DISPLAY)\n");
        return 2;
    }
    XSetErrorHandler(IgnorarErrores);
    const Atom netWmPid = XInternAtom(pantalla, "_NET_WM_PID", False);
    XSelectInput(pantalla, DefaultRootWindow(pantalla), SubstructureNotifyMask);
    XSync(pantalla, False);

    const double inicio = Ahora();
    const pid_t hijo = fork();
    if (hijo < 0) {
        std::perror("fork");
        return 2;
    }
    if (hijo == 0) {
        close(ConnectionNumber(pantalla));
        execvp(argv[1], argv + 1);
        std::perror("execvp");
        _exit(127);
    }

    constexpr double kTopeMs = 10'000;
    pollfd pf{ConnectionNumber(pantalla), POLLIN, 0};
    for (;;) {
        while (XPending(pantalla)) {
            XEvent e;
            XNextEvent(pantalla, &e);
            if (e.type != MapNotify)
                continue;
            const double mapeada = Ahora();
            if (PidDe(pantalla, e.xmap.window, netWmPid) == hijo) {
                std::printf("%.3f\n", mapeada - inicio);
                std::fflush(stdout);
                Terminar(hijo);
                return 0;
            }
        }
        const double resta = kTopeMs - (Ahora() - inicio);
        if (waitpid(hijo, nullptr, WNOHANG) == hijo) {
            std::fprintf(stderr, "bench_arranque: %s terminó sin mostrar ninguna ventana\n", argv[1]);
            return 1;
        }
        if (resta <= 0 || (poll(&pf, 1, int(resta) + 1) < 0 && errno != EINTR))
            break;
    }
    std::fprintf(stderr, "bench_arranque: %s no mostró ninguna ventana\n", argv[1]);
    Terminar(hijo);
    return 1;
}
