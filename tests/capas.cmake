# Every project file's includes against the layers of cmake/Capas.cmake:
#   cmake -DCAPAS=BUILD/capas.cmake -DRAIZ=SOURCE -P tests/capas.cmake
# A header belongs to the target that lists it; a file may include the headers
# of the targets in its own target's reach. The tests' helpers (tests/…,
# owned by no library) are for tests and benchmarks only. Any other header
# that no target lists is a fault too: nothing would check what it includes.
cmake_minimum_required(VERSION 3.25)
include(${CAPAS})
set(fallos 0)
foreach(archivo IN LISTS ARCHIVOS)
    set(dueno ${DUENO_${archivo}})
    file(STRINGS ${RAIZ}/${archivo} lineas REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]*/")
    foreach(linea IN LISTS lineas)
        string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*" "\\1" incluido "${linea}")
        set(suyo "${DUENO_${incluido}}")
        if(suyo)
            if(NOT suyo IN_LIST ALCANCE_${dueno})
                message("${archivo} (${dueno}) includes ${incluido}, a header of ${suyo}, which ${dueno} does not link")
                math(EXPR fallos "${fallos} + 1")
            endif()
        elseif(NOT incluido MATCHES "^tests/" OR NOT archivo MATCHES "^(tests|bench)/")
            message("${archivo} (${dueno}) includes ${incluido}, which no target lists")
            math(EXPR fallos "${fallos} + 1")
        endif()
    endforeach()
endforeach()
list(LENGTH ARCHIVOS cuantos)
if(fallos)
    message(FATAL_ERROR "${fallos} includes cross the layers")
endif()
message("${cuantos} files, every include within its layers")
