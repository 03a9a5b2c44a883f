#!/usr/bin/env bash
# tests/e2e/orca-flujo.sh path/to/veltrana
#
# A blind user's whole session, keyboard only, under the real Orca: a refused
# count, cells confirmed and one refused with its reason, the last one undone
# and redone, the solve, the results with their accuracy, the about box, the
# help read by lines, by sections and by links, and out. Passes when Orca said each expected line,
# in this order (other speech may come between them). Skipped (77) without
# Orca.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
oido=$(mktemp "${TMPDIR:-/tmp}/veltrana-orca.XXXXXX")
trap 'rm -f "$oido" "$oido.debug"' EXIT

VELTRANA_BIN=$1 VELTRANA_LOCALE=es_ES.UTF-8 "$here/../../scripts/orca-sesion.sh" "$oido" \
    "key space" "type 2" "key Return" "key Return" "key BackSpace" "type 4" "key Return" \
    "type x" "key Return" "key Escape" "type 0" "key Return" \
    "key Right" "type 1" "key Return" "key Down" "type 1" "key Return" \
    "key Down" "type 1" "key Return" "key Down" "type 1" "key Return" \
    "key ctrl+z" "key ctrl+y" "key alt+r" "key Down" "key alt+i" "key alt+c" "key Escape" \
    "key F1" "key Down" "key ctrl+Down" "key Tab" "key Return" "key Escape" "key alt+s" || exit $?

# Each expected line: what Orca says, a pattern where it ends in *.
esperado=(
    "Presione F1 para ver la ayuda.*"
    "Introduzca el número de ecuaciones."
    "Introduzca un número mayor que tres."
    "A1: vacía."
    "notificación A1: x. Valor no válido: no es un número. Los decimales se escriben con coma, por ejemplo 2,5."
    "A1: 0."
    "B1: 1."
    "B2: 1."
    "B4: 1."
    "notificación Deshecho: celda B4."
    "notificación Rehecho: celda B4."
    "Resolución del sistema tridiagonal. Exactitud: 15 cifras significativas confiables*"
    "Incógnita: x1."
    "Valor: 0."
    "Incógnita: x2."
    "Presione F1 para ver la ayuda.*"
    "Veltrana. Autor: Tarquino."
    "Presione F1 para ver la ayuda.*"
    "Documento de ayuda.*"
    "Veltrana resuelve sistemas*"
    "Contenido"
    "notificación Enlace: Qué resuelve Veltrana."
    "notificación 1. Qué resuelve Veltrana"
    "Presione F1 para ver la ayuda.*"
)
i=0
while IFS= read -r dicho && ((i < ${#esperado[@]})); do
    # shellcheck disable=SC2053  # the expected line is a pattern
    [[ $dicho == ${esperado[i]} ]] && i=$((i + 1))
done <"$oido"
((i == ${#esperado[@]})) && exit 0
echo "Orca never said, after what came before: ${esperado[i]}" >&2
echo "--- what Orca said:" >&2
cat "$oido" >&2
exit 1
