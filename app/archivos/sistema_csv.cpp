#include "app/archivos/sistema_csv.h"

#include "app/conversiones/conversiones.h"
#include "solver/error_numerado.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QVarLengthArray>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <future>
#include <limits>

namespace {

constexpr int kCampos = 4;
constexpr std::size_t kPedazo = 1 << 20;
constexpr std::string_view kMarcaUtf8 = "\xEF\xBB\xBF";

bool EsBlanco(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view SinBlancos(std::string_view texto) {
    while (!texto.empty() && EsBlanco(texto.front()))
        texto.remove_prefix(1);
    while (!texto.empty() && EsBlanco(texto.back()))
        texto.remove_suffix(1);
    return texto;
}

// A field in double quotes loses them; numbers hold no quote to unescape.
std::string_view SinComillas(std::string_view campo) {
    campo = SinBlancos(campo);
    if (campo.size() >= 2 && campo.front() == '"' && campo.back() == '"')
        campo = SinBlancos(campo.substr(1, campo.size() - 2));
    return campo;
}

// The first line decides for the whole file: a spreadsheet's export
// separates with a tab or ';' (its numbers may then hold decimal commas).
char SeparadorDe(std::string_view linea) {
    if (linea.find('\t') != std::string_view::npos)
        return '\t';
    if (linea.find(';') != std::string_view::npos)
        return ';';
    return ',';
}

// The fields of a line, at most the four kept; the count is of all of them.
// A separator inside double quotes belongs to the field.
int Dividir(std::string_view linea, char separador, std::array<std::string_view, kCampos>& campos) {
    int cuantos = 0;
    std::size_t inicio = 0;
    for (;;) {
        std::size_t i = inicio;
        while (i < linea.size() && EsBlanco(linea[i]) && linea[i] != separador)
            ++i;
        if (i < linea.size() && linea[i] == '"') {
            for (++i; i < linea.size(); ++i) {
                if (linea[i] == '"' && (i + 1 == linea.size() || linea[i + 1] != '"'))
                    break;
                if (linea[i] == '"')
                    ++i;
            }
        }
        const std::size_t fin = linea.find(separador, std::min(i, linea.size()));
        const std::size_t finCampo = fin == std::string_view::npos ? linea.size() : fin;
        if (cuantos < kCampos)
            campos[cuantos] = linea.substr(inicio, finCampo - inicio);
        ++cuantos;
        if (fin == std::string_view::npos)
            return cuantos;
        inicio = fin + 1;
    }
}

QString Citado(std::string_view campo) {
    constexpr std::size_t kMostrado = 30;
    QString texto = QString::fromUtf8(campo.data(), qsizetype(std::min(campo.size(), kMostrado)));
    if (campo.size() > kMostrado)
        texto += QStringLiteral("…");
    return QStringLiteral("«%1»").arg(texto);
}

QString EnBlanco() {
    return QStringLiteral("la línea está en blanco; solo puede haberlas al final");
}

QString ConMiles(std::int64_t cantidad) {
    return QLocale(QLocale::Spanish, QLocale::Spain).toString(qlonglong(cantidad));
}

} // namespace

QString ArchivoIlegible::Mensaje(const QString& nombre) const {
    QString donde;
    if (m_linea > 0)
        donde = QStringLiteral("línea %1").arg(m_linea);
    if (m_campo > 0)
        donde += QStringLiteral(", campo %1").arg(m_campo);
    if (!donde.isEmpty())
        donde += QStringLiteral(": ");
    const QString cual = nombre.isEmpty() ? QStringLiteral("La entrada estándar")
                                          : QStringLiteral("El archivo «%1»").arg(nombre);
    return QStringLiteral("%1 no se puede abrir: %2%3.").arg(cual, donde, m_motivo);
}

LectorSistema::LectorSistema(const QLocale& regional, std::int64_t maxFilas, char separador)
    : m_regional(regional), m_maxFilas(maxFilas), m_separador(separador),
      m_alPrincipio(separador == 0) {}

void LectorSistema::Reservar(std::size_t filas) {
    for (std::vector<double>& columna : m_sistema.columnas)
        columna.reserve(filas);
}

void LectorSistema::Leer(const char* datos, std::size_t tamano) {
    // Text holds no NUL; a binary file or one in UTF-16 has many.
    if (std::memchr(datos, '\0', tamano))
        throw ArchivoIlegible(QStringLiteral("no es un archivo de texto en UTF-8"));
    const char* fin = datos + tamano;
    const char* p = datos;
    if (!m_resto.empty()) {
        const char* salto = static_cast<const char*>(std::memchr(p, '\n', std::size_t(fin - p)));
        m_resto.append(p, salto ? salto : fin);
        if (!salto)
            return;
        LeerLinea(m_resto.data(), m_resto.data() + m_resto.size());
        m_resto.clear();
        p = salto + 1;
    }
    while (p < fin) {
        if (const char* siguiente = LeerLineaSencilla(p, fin)) {
            p = siguiente;
            continue;
        }
        const char* salto = static_cast<const char*>(std::memchr(p, '\n', std::size_t(fin - p)));
        if (!salto) {
            m_resto.assign(p, fin);
            return;
        }
        LeerLinea(p, salto);
        p = salto + 1;
    }
}

// The common line, as Veltrana writes it: four numbers, or empty fields,
// separated by commas and ended by a line break, nothing else. Read in one
// pass, where the general reading looks at each character several times.
// Where the line after p is not such a line, or is the first, or the one
// too many, nullptr: the general reading then reads it (and says what is
// wrong with it). Otherwise where the next line starts.
const char* LectorSistema::LeerLineaSencilla(const char* p, const char* fin) {
    if (m_separador != ',' || m_lineaEnBlanco != 0 || std::int64_t(m_sistema.Filas()) >= m_maxFilas)
        return nullptr;
    double campos[kCampos];
    for (int c = 0; c < kCampos; ++c) {
        const char fina = c + 1 < kCampos ? ',' : '\n';
        if (p < fin && (*p == fina || (*p == '\r' && c + 1 == kCampos))) {
            campos[c] = std::numeric_limits<double>::quiet_NaN();
        } else {
            const auto r = std::from_chars(p, fin, campos[c]);
            if (r.ec != std::errc() || !std::isfinite(campos[c]))
                return nullptr;
            p = r.ptr;
        }
        if (c + 1 == kCampos && p < fin && *p == '\r')
            ++p;
        if (p == fin || *p != fina)
            return nullptr;
        ++p;
    }
    ++m_linea;
    for (std::size_t c = 0; c < kCampos; ++c)
        m_sistema.columnas[c].push_back(campos[c]);
    return p;
}

SistemaLeido LectorSistema::Terminar() {
    if (!m_resto.empty()) {
        LeerLinea(m_resto.data(), m_resto.data() + m_resto.size());
        m_resto.clear();
    }
    if (m_sistema.Filas() == 0 && m_alPrincipio)
        throw ArchivoIlegible(QStringLiteral("no contiene ninguna ecuación"));
    return std::move(m_sistema);
}

void LectorSistema::LeerLinea(const char* inicio, const char* fin) {
    std::string_view linea(inicio, std::size_t(fin - inicio));
    if (++m_linea == 1 && m_alPrincipio && linea.starts_with(kMarcaUtf8))
        linea.remove_prefix(kMarcaUtf8.size());
    if (SinBlancos(linea).empty()) {
        if (m_lineaEnBlanco == 0)
            m_lineaEnBlanco = m_linea;
        return;
    }
    if (m_lineaEnBlanco != 0)
        throw ArchivoIlegible(EnBlanco(), m_lineaEnBlanco);
    const bool primera = m_alPrincipio && m_sistema.Filas() == 0 && m_separador == 0;
    if (primera)
        m_separador = SeparadorDe(linea);
    std::array<std::string_view, kCampos> campos;
    if (const int cuantos = Dividir(linea, m_separador, campos); cuantos != kCampos)
        throw ArchivoIlegible(
            QStringLiteral("tiene %1 campos; cada ecuación lleva 4 (A, B, C y D)").arg(cuantos),
            m_linea);
    if (primera && EsEncabezado(campos))
        return;
    if (std::int64_t(m_sistema.Filas()) >= m_maxFilas)
        throw ArchivoIlegible(
            QStringLiteral("tiene más de %1 ecuaciones, las que caben").arg(ConMiles(m_maxFilas)),
            m_linea);
    for (int c = 0; c < kCampos; ++c)
        m_sistema.columnas[std::size_t(c)].push_back(LeerCampo(campos[std::size_t(c)], c + 1));
}

// A first line of names ("A,B,C,D", or any four words) heads the columns.
bool LectorSistema::EsEncabezado(const std::array<std::string_view, kCampos>& campos) const {
    for (int c = 0; c < kCampos; ++c) {
        const std::string_view campo = SinComillas(campos[std::size_t(c)]);
        if (campo.empty())
            return false;
        try {
            LeerCampo(campo, c + 1);
            return false;
        } catch (const ArchivoIlegible&) {
        }
    }
    return true;
}

// Comma-separated numbers have a decimal point, whatever the user's format;
// the others are in the user's format, read as a typed cell is.
double LectorSistema::LeerCampo(std::string_view campo, int numero) const {
    campo = SinComillas(campo);
    if (campo.empty())
        return std::numeric_limits<double>::quiet_NaN();
    if (m_separador == ',') {
        double valor = 0;
        const auto r = std::from_chars(campo.data(), campo.data() + campo.size(), valor);
        if (r.ec == std::errc() && r.ptr == campo.data() + campo.size() && std::isfinite(valor))
            return valor;
    }
    // A number is ASCII: widened in place, it needs no string of its own.
    QVarLengthArray<char16_t, 64> ancho;
    QString texto;
    if (std::all_of(campo.begin(), campo.end(), [](char c) { return uchar(c) < 0x80; })) {
        ancho.resize(qsizetype(campo.size()));
        std::copy(campo.begin(), campo.end(), ancho.begin());
    } else {
        texto = QString::fromUtf8(campo.data(), qsizetype(campo.size()));
    }
    const QStringView vista = texto.isNull() ? QStringView(ancho.data(), ancho.size()) : texto;
    try {
        return TextoADoble(vista, m_separador == ',' ? QLocale::c() : m_regional);
    } catch (const ErrorNumerado& error) {
        throw ArchivoIlegible(
            error.numero() == NumeroError::Desbordamiento
                ? QStringLiteral("el número %1 es demasiado grande").arg(Citado(campo))
                : QStringLiteral("%1 no es un número").arg(Citado(campo)),
            m_linea, numero);
    }
}

namespace {

// Below this, a second thread would cost more than it saves.
constexpr std::int64_t kLecturaEnDosHilos = 1 << 20;

void Anadir(SistemaLeido& a, const SistemaLeido& b) {
    for (std::size_t c = 0; c < kCampos; ++c)
        a.columnas[c].insert(a.columnas[c].end(), b.columnas[c].begin(), b.columnas[c].end());
}

// A file already in memory, its two halves read side by side; what the
// second half finds is told as if one lector had read it all.
SistemaLeido LeerEnDosMitades(const char* datos, std::size_t tamano, const QLocale& regional,
                              std::int64_t maxFilas) {
    const char* mitad = static_cast<const char*>(std::memchr(datos + tamano / 2, '\n', tamano / 2));
    if (!mitad) {
        LectorSistema lector(regional, maxFilas);
        lector.Leer(datos, tamano);
        return lector.Terminar();
    }
    const std::size_t corte = std::size_t(mitad - datos) + 1;
    const char* salto = static_cast<const char*>(std::memchr(datos, '\n', tamano));
    const char separador = SeparadorDe(std::string_view(datos, std::size_t(salto - datos)));
    // Lines are about equally long: as many rows as the bytes of the first
    // lines say, so that no column grows by copying.
    const std::size_t filas = std::size_t(tamano / std::max<std::ptrdiff_t>(salto - datos + 1, 8));
    LectorSistema primera(regional, maxFilas);
    LectorSistema segunda(regional, maxFilas, separador);
    primera.Reservar(filas + filas / 8); // room for the second half too
    segunda.Reservar(filas / 2 + filas / 8);
    auto leida = std::async(std::launch::async, [&] {
        segunda.Leer(datos + corte, tamano - corte);
        return segunda.Terminar();
    });
    SistemaLeido sistema;
    try {
        primera.Leer(datos, corte);
        sistema = primera.Terminar();
    } catch (const ArchivoIlegible&) {
        leida.wait();
        throw;
    }
    SistemaLeido resto;
    try {
        resto = leida.get();
    } catch (const ArchivoIlegible& fallo) {
        throw ArchivoIlegible(fallo.Motivo(), fallo.Linea() + primera.Lineas(), fallo.Campo());
    }
    if (resto.Filas() > 0 && primera.LineaEnBlanco() != 0)
        throw ArchivoIlegible(EnBlanco(), primera.LineaEnBlanco());
    if (std::int64_t(sistema.Filas() + resto.Filas()) > maxFilas)
        throw ArchivoIlegible(
            QStringLiteral("tiene más de %1 ecuaciones, las que caben").arg(ConMiles(maxFilas)),
            primera.Lineas() + (maxFilas - std::int64_t(sistema.Filas())) + 1);
    Anadir(sistema, resto);
    return sistema;
}

} // namespace

SistemaLeido LeerArchivoSistema(const QString& ruta, const QLocale& regional, std::int64_t maxFilas,
                                std::int64_t maxBytes) {
    QFile archivo(ruta);
    const bool entrada = ruta == QStringLiteral("-");
    if (!(entrada ? archivo.open(stdin, QIODevice::ReadOnly) : archivo.open(QIODevice::ReadOnly)))
        throw ArchivoIlegible(QFileInfo::exists(ruta) ? QStringLiteral("no se puede leer")
                                                      : QStringLiteral("no existe"));
    if (!entrada && QFileInfo(ruta).isDir())
        throw ArchivoIlegible(QStringLiteral("es una carpeta"));
    const auto demasiadoGrande = [maxBytes] {
        return ArchivoIlegible(
            QStringLiteral("es demasiado grande (más de %1 MB)").arg(ConMiles(maxBytes >> 20)));
    };
    if (!archivo.isSequential()) {
        const std::int64_t tamano = archivo.size();
        if (tamano > maxBytes)
            throw demasiadoGrande();
        // Mapped, not copied: the columns are the only memory it takes.
        if (const uchar* mapa = tamano >= kLecturaEnDosHilos ? archivo.map(0, tamano) : nullptr) {
            const auto* datos = reinterpret_cast<const char*>(mapa);
            if (std::memchr(datos, '\0', std::size_t(tamano)))
                throw ArchivoIlegible(QStringLiteral("no es un archivo de texto en UTF-8"));
            return LeerEnDosMitades(datos, std::size_t(tamano), regional, maxFilas);
        }
    }
    LectorSistema lector(regional, maxFilas);
    std::vector<char> pedazo(kPedazo);
    std::int64_t leidos = 0;
    for (;;) {
        const qint64 n = archivo.read(pedazo.data(), qint64(pedazo.size()));
        if (n < 0)
            throw ArchivoIlegible(
                QStringLiteral("no se puede leer: %1").arg(archivo.errorString()));
        if (n == 0)
            break;
        if ((leidos += n) > maxBytes)
            throw demasiadoGrande();
        lector.Leer(pedazo.data(), std::size_t(n));
    }
    return lector.Terminar();
}

void AnadirNumero(std::string& salida, double valor) {
    char texto[32];
    const auto r = std::to_chars(texto, texto + sizeof texto, valor);
    salida.append(texto, r.ptr);
}

QByteArray EscribirSistema(const SistemaLeido& sistema) {
    std::string texto = "A,B,C,D\n";
    texto.reserve(sistema.Filas() * 4 * 24 + 8);
    for (std::size_t i = 0; i < sistema.Filas(); ++i) {
        for (std::size_t c = 0; c < kCampos; ++c) {
            if (c > 0)
                texto += ',';
            if (const double v = sistema.columnas[c][i]; !SistemaLeido::Vacio(v))
                AnadirNumero(texto, v);
        }
        texto += '\n';
    }
    return QByteArray(texto.data(), qsizetype(texto.size()));
}

QByteArray EscribirSolucion(const std::vector<double>& solucion, const QString& exactitud) {
    std::string texto = "x,valor\n";
    texto.reserve(solucion.size() * 32 + 256);
    for (std::size_t i = 0; i < solucion.size(); ++i) {
        texto += 'x';
        texto += std::to_string(i + 1);
        texto += ',';
        AnadirNumero(texto, solucion[i]);
        texto += '\n';
    }
    if (!exactitud.isEmpty()) {
        QString citada = exactitud;
        citada.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        texto += "exactitud,\"" + citada.toStdString() + "\"\n";
    }
    return QByteArray(texto.data(), qsizetype(texto.size()));
}

QString GuardarArchivo(const QString& ruta, const QByteArray& contenido) {
    QSaveFile archivo(ruta);
    if (!archivo.open(QIODevice::WriteOnly))
        return archivo.errorString();
    if (archivo.write(contenido) != contenido.size()) {
        const QString motivo = archivo.errorString();
        archivo.cancelWriting();
        return motivo;
    }
    if (!archivo.commit())
        return archivo.errorString();
    return {};
}
