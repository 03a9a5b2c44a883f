# Installation layout and the Debian package.
#
#   cmake --install BUILD --prefix /usr      installs Veltrana the FHS way
#   cpack --config BUILD/CPackConfig.cmake   builds veltrana_<version>-<rev>_<arch>.deb
#   scripts/check-package.sh BUILD           builds the .deb and checks it
#
# Included from the root before the subdirectories, so that their install()
# rules see the GNU directory variables. The program finds its help document
# at <bindir>/../share/veltrana (app/ayuda.cpp): keep BINDIR and DATADIR
# siblings under the prefix.

include(GNUInstallDirs)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(VELTRANA_APP_ID org.example.veltrana)
set(VELTRANA_MAINTAINER "Equipo de Veltrana <veltrana@example.org>")
set(VELTRANA_HOMEPAGE "https://veltrana.example.org/")
# Debian revision of the package; back to 1 whenever the project version moves.
set(VELTRANA_DEBIAN_REVISION 1)

# --- Debian documentation: copyright, changelog, man page, lintian overrides --

# The changelog entry is dated like the matching release in the metainfo,
# not with the time of the build.
set(_metainfo ${CMAKE_CURRENT_LIST_DIR}/../resources/${VELTRANA_APP_ID}.metainfo.xml)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_metainfo})
file(READ ${_metainfo} _metainfo_text)
string(REPLACE "." "\\." _version_re "${PROJECT_VERSION}")
if(_metainfo_text MATCHES "<release version=\"${_version_re}\" date=\"([0-9-]+)\"")
    set(_release_date ${CMAKE_MATCH_1})
else()
    message(WARNING "${_metainfo} has no <release> for version ${PROJECT_VERSION}: "
                    "add one; the package's changelog is dated today meanwhile.")
    string(TIMESTAMP _release_date "%Y-%m-%d" UTC)
endif()
execute_process(COMMAND date -u -R -d "${_release_date}"
                OUTPUT_VARIABLE _changelog_date OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)

set(_pkgdoc ${CMAKE_BINARY_DIR}/packaging)
file(CONFIGURE OUTPUT ${_pkgdoc}/changelog.Debian CONTENT
"veltrana (${PROJECT_VERSION}-${VELTRANA_DEBIAN_REVISION}) unstable; urgency=medium

  * Versión ${PROJECT_VERSION}.

 -- ${VELTRANA_MAINTAINER}  ${_changelog_date}
")

# Debian wants both compressed, without name or time stamp in the gzip header.
set(_gzipped)
foreach(_doc ${_pkgdoc}/changelog.Debian ${CMAKE_CURRENT_LIST_DIR}/../resources/veltrana.1)
    get_filename_component(_name ${_doc} NAME)
    add_custom_command(
        OUTPUT ${_pkgdoc}/${_name}.gz
        COMMAND gzip -9nc ${_doc} > ${_pkgdoc}/${_name}.gz
        DEPENDS ${_doc}
        COMMENT "Compressing ${_name}")
    list(APPEND _gzipped ${_pkgdoc}/${_name}.gz)
endforeach()
add_custom_target(veltrana_package_docs ALL DEPENDS ${_gzipped})

set(_docdir ${CMAKE_INSTALL_DATADIR}/doc/veltrana)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../resources/copyright ${_pkgdoc}/changelog.Debian.gz
        DESTINATION ${_docdir})
install(FILES ${_pkgdoc}/veltrana.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../resources/veltrana.lintian-overrides RENAME veltrana
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides)

# --- CPack: the .deb ---------------------------------------------------------

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltrana)
set(CPACK_PACKAGE_VENDOR "Equipo de Veltrana")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VELTRANA_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "solver for tridiagonal linear systems with a spoken Spanish interface")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Veltrana solves systems of n linear equations whose matrix is tridiagonal,
from four up to 32766 equations. The coefficients of each equation are typed
into a grid and the unknowns are shown on a results screen. Every arithmetic
step of the elimination is checked for division by zero and overflow.

The interface is in Spanish: numbers follow the regional decimal separator,
and prompts are spoken aloud with an espeak-ng Spanish voice that a button
switches off and on.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VELTRANA_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELTRANA_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VELTRANA_HOMEPAGE})
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Libraries come from dpkg-shlibdeps, but for the voice's: espeak-ng and the
# sound server's client are loaded when the voice first speaks, not linked,
# and so is the voice data. Liberation Sans is the face the screens were laid
# out for, and speech needs a PulseAudio-compatible sound server.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "espeak-ng-data, libespeak-ng1, libpulse0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, pipewire-pulse | pulseaudio")

include(CPack)
