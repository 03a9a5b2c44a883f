#!/usr/bin/python3
"""The yardstick for `veltrana --resolver`: what an engineer would otherwise
script with Debian's python3-numpy and python3-scipy. Reads a system as
Veltrana writes it (header A,B,C,D), solves it as a banded system, and prints
the unknowns one per line with full precision.

    /usr/bin/python3 bench/ancla_numpy.py SISTEMA.csv > SOLUCION.txt
"""
import sys

import numpy as np
from scipy.linalg import solve_banded

m = np.loadtxt(sys.argv[1], delimiter=",", skiprows=1)
n = m.shape[0]
ab = np.zeros((3, n))
ab[0, 1:] = m[:-1, 2]  # C above the diagonal
ab[1, :] = m[:, 1]  # B
ab[2, :-1] = m[1:, 0]  # A below it
x = solve_banded((1, 1), ab, m[:, 3])
np.savetxt(sys.stdout, x, fmt="%.17g")
