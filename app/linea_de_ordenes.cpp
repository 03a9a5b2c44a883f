#include "app/linea_de_ordenes.h"

#include "app/archivos/sistema_csv.h"
#include "solver/resolucion_comprobada.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>

namespace {

enum Codigo { kResuelto = 0, kSinSolucion = 1, kIlegible = 2 };

void Error(const QString& texto) {
    std::fputs(texto.toLocal8Bit().append('\n').constData(), stderr);
}

// Standard output, or the named file written whole or not at all.
bool Escribir(const std::string& texto, const QString& salida) {
    if (salida.isEmpty()) {
        const bool escrito = std::fwrite(texto.data(), 1, texto.size(), stdout) == texto.size();
        if (std::fflush(stdout) == 0 && escrito)
            return true;
        Error(QStringLiteral("No se pudo escribir la solución en la salida estándar: %1.")
                  .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    const QString motivo =
        GuardarArchivo(salida, QByteArray::fromRawData(texto.data(), qsizetype(texto.size())));
    if (!motivo.isEmpty())
        Error(QStringLiteral("No se pudo guardar la solución en «%1»: %2.").arg(salida, motivo));
    return motivo.isEmpty();
}

int Resolver(const QString& entrada, const QString& salida) {
    SistemaLeido sistema;
    try {
        sistema = LeerArchivoSistema(entrada, QLocale(), std::numeric_limits<std::int32_t>::max(),
                                     std::numeric_limits<std::int64_t>::max());
    } catch (const ArchivoIlegible& fallo) {
        Error(fallo.Mensaje(entrada == QStringLiteral("-") ? QString() : entrada));
        return kIlegible;
    }
    // An empty field is an empty cell, which the solve reads as zero.
    for (std::vector<double>& columna : sistema.columnas)
        for (double& campo : columna)
            if (SistemaLeido::Vacio(campo))
                campo = 0;
    const auto n = std::int32_t(sistema.Filas());
    auto& [A, B, C, D] = sistema.columnas;
    std::vector<double> x(sistema.Filas());
    std::string texto;
    const InformeResolucion informe = ResolverComprobado(n, A, B, C, D, x, [&texto](const auto& x) {
        texto.clear();
        texto.reserve(x.size() * 25);
        for (double valor : x) {
            AnadirNumero(texto, valor);
            texto += '\n';
        }
    });
    if (informe.rechazo != Rechazo::Ninguno) {
        Error(QString::fromUtf8(TextoDelRechazo(informe.rechazo)));
        return kSinSolucion;
    }
    return Escribir(texto, salida) ? kResuelto : kIlegible;
}

bool PideSinVentanas(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view opcion = argv[i];
        if (opcion == "-h" || opcion == "--help" || opcion == "-v" || opcion == "--version" ||
            opcion.starts_with("--resolver") || opcion.starts_with("--salida"))
            return true;
    }
    return false;
}

} // namespace

OrdenDelUsuario AtenderLineaDeOrdenes(int argc, char** argv) {
    if (!PideSinVentanas(argc, argv)) {
        // The program starts; Qt's options are QApplication's to take.
        QString archivo;
        for (int i = 1; i < argc; ++i)
            if (argv[i][0] != '-' && (i == 1 || argv[i - 1][0] != '-'))
                archivo = QString::fromLocal8Bit(argv[i]);
        return {std::nullopt, archivo};
    }
    QCoreApplication aplicacion(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veltrana"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELTRANA_VERSION));
    QCommandLineParser opciones;
    opciones.setApplicationDescription(
        QStringLiteral("Resuelve sistemas de ecuaciones lineales tridiagonales.\n"
                       "Sin opciones abre el programa; con ARCHIVO, abre ese sistema."));
    const QCommandLineOption resolver(QStringLiteral("resolver"),
                                      QStringLiteral("Resuelve el sistema de <archivo> (- para la "
                                                     "entrada estándar) sin abrir ventanas."),
                                      QStringLiteral("archivo"));
    const QCommandLineOption salida(QStringLiteral("salida"),
                                    QStringLiteral("Escribe la solución en <archivo> en vez de en "
                                                   "la salida estándar."),
                                    QStringLiteral("archivo"));
    const QCommandLineOption ayuda({QStringLiteral("h"), QStringLiteral("help")},
                                   QStringLiteral("Muestra esta ayuda."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Muestra la versión."));
    opciones.addOptions({resolver, salida, ayuda, version});
    opciones.addPositionalArgument(QStringLiteral("archivo"),
                                   QStringLiteral("Sistema que se abre al iniciar el programa."),
                                   QStringLiteral("[archivo]"));
    if (!opciones.parse(QCoreApplication::arguments())) {
        Error(opciones.errorText());
        return {kIlegible, {}};
    }
    if (opciones.isSet(ayuda)) {
        // Qt's headings, in the language of the rest.
        const QString texto =
            opciones.helpText()
                .replace(QStringLiteral("Usage:"), QStringLiteral("Uso:"))
                .replace(QStringLiteral("Options:"), QStringLiteral("Opciones:"))
                .replace(QStringLiteral("Arguments:"), QStringLiteral("Argumentos:"));
        std::fputs(texto.toLocal8Bit().constData(), stdout);
        return {kResuelto, {}};
    }
    if (opciones.isSet(version))
        opciones.showVersion();
    if (!opciones.isSet(resolver)) {
        Error(QStringLiteral(
            "--salida va con --resolver: veltrana --resolver ARCHIVO --salida ARCHIVO"));
        return {kIlegible, {}};
    }
    return {Resolver(opciones.value(resolver), opciones.value(salida)), {}};
}
