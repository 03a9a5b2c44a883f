#pragma once
// Systems and answers in files. Veltrana writes UTF-8 text, one equation per
// line, comma-separated (RFC 4180) under the header A,B,C,D, with a decimal
// point and the shortest digits that read back to the same double. It reads
// that, and what spreadsheets export: fields separated by ';' or a tab with
// numbers in the user's regional format, with or without a header, blank
// lines at the end, fields in double quotes. An empty field is an empty cell.
// A file is read whole or not at all.

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <array>
#include <cmath>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

// The columns A, B, C, D of the equations read. An empty field is NaN, which
// no file can otherwise hold: non-finite numbers are refused.
struct SistemaLeido {
    std::array<std::vector<double>, 4> columnas;
    std::size_t Filas() const { return columnas[0].size(); }
    static bool Vacio(double campo) { return std::isnan(campo); }
};

// Why a file cannot be read, and where: line and field count from 1, and are
// 0 when the fault is the file's as a whole.
class ArchivoIlegible : public std::exception {
public:
    explicit ArchivoIlegible(QString motivo, std::int64_t linea = 0, int campo = 0)
        : m_motivo(std::move(motivo)), m_linea(linea), m_campo(campo) {}
    const QString& Motivo() const { return m_motivo; }
    std::int64_t Linea() const { return m_linea; }
    int Campo() const { return m_campo; }
    // "El archivo «sistema.csv» no se puede abrir: línea 3, campo 2: …";
    // with no name, the file is standard input.
    QString Mensaje(const QString& nombre) const;
    const char* what() const noexcept override { return "archivo ilegible"; }

private:
    QString m_motivo;
    std::int64_t m_linea;
    int m_campo;
};

// Reads a system from the pieces of a file given in order, so that a big one
// need not be held whole. Refuses (ArchivoIlegible) as soon as it can: a
// file of more than maxFilas equations stops at the one too many.
//
// A lector given the separator reads the rest of a file whose start another
// one reads, as if that start were not there: lines count from there, and
// there is no header to look for.
class LectorSistema {
public:
    LectorSistema(const QLocale& regional, std::int64_t maxFilas, char separador = 0);
    void Reservar(std::size_t filas);
    void Leer(const char* datos, std::size_t tamano);
    SistemaLeido Terminar();

    std::int64_t Lineas() const { return m_linea; }
    std::int64_t LineaEnBlanco() const { return m_lineaEnBlanco; }

private:
    const char* LeerLineaSencilla(const char* p, const char* fin);
    void LeerLinea(const char* inicio, const char* fin);
    bool EsEncabezado(const std::array<std::string_view, 4>& campos) const;
    double LeerCampo(std::string_view campo, int numero) const;

    QLocale m_regional;
    std::int64_t m_maxFilas;
    SistemaLeido m_sistema;
    std::string m_resto;              // a line cut by the end of a piece
    std::int64_t m_linea = 0;         // the last line read
    std::int64_t m_lineaEnBlanco = 0; // the first blank line since the last equation
    char m_separador;                 // found on the first line, unless given
    bool m_alPrincipio;               // reads the file's start: its header, its byte order mark
};

// A whole file, or standard input for "-". maxBytes is checked before reading
// where the size is known, and while reading where it is not.
SistemaLeido LeerArchivoSistema(const QString& ruta, const QLocale& regional, std::int64_t maxFilas,
                                std::int64_t maxBytes);

// The shortest text that reads back to the same double, with a decimal point.
void AnadirNumero(std::string& salida, double valor);

QByteArray EscribirSistema(const SistemaLeido& sistema);
// x,valor lines, then the accuracy line, when there is one, as a last record.
QByteArray EscribirSolucion(const std::vector<double>& solucion, const QString& exactitud);

// Through QSaveFile: a failed write leaves any earlier file as it was. The
// reason, in Spanish, or an empty string when written.
QString GuardarArchivo(const QString& ruta, const QByteArray& contenido);
