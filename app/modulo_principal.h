#pragma once
// Application-wide state that outlives any one screen.

#include "solver/resolucion_comprobada.h"

#include <QStringList>
#include <vector>

struct ModuloPrincipal {
    // The unknowns x1 … xn of the last solve; element i−1 holds x(i).
    std::vector<double> Solucion;
    // How Solucion was found, and how far it can be trusted.
    InformeResolucion Informe;
    // The system named on the command line, for the data-entry screen to
    // open the first time it shows.
    QString ArchivoPorAbrir;
    // Where the recovery copy of typed data is kept (empty: none is kept,
    // as in the screen tests); one left by a run that ended abnormally is
    // offered once.
    QString RutaDeRescate;
    bool RescateOfrecido = false;
};
