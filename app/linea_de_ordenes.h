#pragma once
// The command line: `veltrana --resolver ARCHIVO [--salida ARCHIVO]` solves a
// system kept in a file with no display, window or voice, as scripts need;
// --help and --version answer and end. Anything else starts the program,
// with the file to open, if one is named.

#include <QString>
#include <optional>

struct OrdenDelUsuario {
    std::optional<int> codigoDeSalida; // set when the work is done: end with it
    QString archivoInicial;            // else, the system to open after the splash
};

// Reads argv before any QApplication exists (one needs a display). Qt's own
// options (-platform, …) are left for QApplication.
OrdenDelUsuario AtenderLineaDeOrdenes(int argc, char** argv);
