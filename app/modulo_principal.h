#pragma once
// Application-wide state that outlives any one screen.

#include <vector>

struct ModuloPrincipal {
    // The unknowns x1 … xn of the last solve; element i−1 holds x(i).
    std::vector<double> Solucion;
};
