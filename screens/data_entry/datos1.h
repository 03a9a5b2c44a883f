#pragma once
// The data-entry screen: the user states how many equations the system has,
// types their coefficients into the grid and asks for the solution. It also
// owns the program's voice: every screen speaks through Hablar.

#include "app/datos1_publico.h"
#include "app/pantalla.h"
#include "grid/grid_control.h"
#include "solver/error_numerado.h"

#include <QLocale>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

enum class Rechazo;
class BotonGrafico;
class CamposTabulados;
class GridControl;
class LectorPantalla;
class MotorVoz;
class QLabel;
class QLineEdit;
class QTimer;
class QUndoStack;
class AvisoLector;
struct SistemaLeido;

class Datos1 : public Pantalla, public Datos1Publico {
    Q_OBJECT

public:
    // lector: the screen reader to make way for; none, the voice always speaks.
    Datos1(Aplicacion& app, MotorVoz& voz, LectorPantalla* lector = nullptr);
    ~Datos1() override;

    void Hablar(const QString& texto) override;
    std::int32_t n() const override { return m_n; }

    void Form_Activate() override;
    // Open and save a system kept in a file, as Ctrl+O and Ctrl+S do once
    // the file is chosen.
    void AbrirSistema(const QString& ruta);
    bool GuardarSistema(const QString& ruta);

    // The recovery copy of what was typed, while it is safe nowhere else
    // (written a moment after each change; at once here).
    void GuardarRescate() override;
    QString RutaDeRescate() const;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void dragEnterEvent(QDragEnterEvent* evento) override;
    void dropEvent(QDropEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;

private:
    void CrearControles();
    void ConectarManejadores();

    void NumeroEcuaciones_GotFocus();
    void NumeroEcuaciones_KeyPress(int codigo);
    void OK1_Click();
    void BotonCambio_Click();
    void ComandoVoz_Click();
    void BotonAcerca_Click();
    void BotonSalir_Click();
    void Resolver_Click();
    void Tabla_CellEdited(int row, int col);
    void Tabla_Paste(const QString& texto);
    void Tabla_PasteFailed(ClipboardReader::Problem problema);
    void NoPegar(const QString& motivo);
    // The most a paste can hold and still fit the largest grid: 32 766 rows of
    // four fields, each far longer than any number.
    static constexpr qsizetype kMayorPegado = qsizetype(32766) * 4 * 64;
    void Abrir_Click();
    void Guardar_Click();

    void ConfirmarCuenta();
    struct Coeficientes {
        std::vector<double> A, B, C, D;
    };
    void LeerCoeficientes(Coeficientes& coeficientes);
    // The first rows of the grid, A to D, as numbers; an empty cell is NaN.
    // Places are cells counted row by row from A1.
    struct NumerosDeLaTabla {
        std::array<std::vector<double>, 4> columnas;
        std::vector<std::size_t> vacias;
        // The first cell that holds no number: the reading stopped there.
        std::optional<std::pair<std::size_t, NumeroError>> fallo;
    };
    NumerosDeLaTabla LeerNumeros(std::int32_t filas) const;
    bool ComprobarCelda(std::int32_t fila, std::int32_t columna);
    // What the check needs, looked up once for a whole block of cells.
    struct ReglasDeCelda {
        QLocale regional;
        CellColorPair normal;
        CellColorPair marcada;
    };
    ReglasDeCelda Reglas() const { return {QLocale(), Tabla->NormalColors(), Tabla->MarkColors()}; }
    static GridCell CeldaComprobada(QStringView texto, const ReglasDeCelda& reglas);
    // A pasted block as its check leaves it: a number for each field that is
    // one (NaN for a blank one), the refused fields as marked cells, and the
    // cells that a short row does not reach; places by row, in order. Then
    // how many fields were placed, and the most that one row had.
    struct CeldasComprobadas {
        std::vector<std::vector<double>> numeros; // by column
        std::vector<std::pair<std::size_t, GridCell>> rechazadas;
        std::vector<std::size_t> sinAlcanzar;
        qsizetype pegadas = 0;
        qsizetype columnasDelBloque = 0;
    };
    static CeldasComprobadas CeldasPegadas(const CamposTabulados& bloque, qsizetype filas,
                                           qsizetype columnas, const ReglasDeCelda& reglas);
    static GridBlock BloquePegado(CeldasComprobadas celdas, const GridBlock& antes);
    void AvisarOmitidas(qsizetype pegadas, qsizetype filas, qsizetype columnas);
    // Undo and redo (datos1_deshacer.cpp): a block of cells as it was and as
    // it became.
    class CambioDeTabla;
    struct Tramo {
        GridBlock antes;
        GridBlock despues;
    };
    void PrepararDeshacer();
    Tramo TramoAntes(std::int32_t fila, std::int32_t columna, std::int32_t filas,
                     std::int32_t columnas) const;
    void Recordar(const QString& que, std::vector<Tramo> tramos,
                  std::optional<std::pair<std::int32_t, std::int32_t>> cuenta = std::nullopt);
    // One block: moved in whole (a braced list would copy every cell).
    void Recordar(const QString& que, Tramo tramo);
    void OlvidarCambios();
    void AplicarCambio(const std::vector<Tramo>& tramos,
                       const std::optional<std::pair<std::int32_t, std::int32_t>>& cuenta,
                       bool deshacer, const QString& que);
    void PrepararArchivos();
    bool LeerTablaParaGuardar(SistemaLeido& sistema);
    bool Escribir(const QString& ruta, const SistemaLeido& sistema);
    void AvisarArchivo(const QString& texto);
    void PrepararRescate();
    void DatosCambiados();
    void DatosAsalvo();
    bool HayDatos() const;
    void OfrecerRescate();
    bool PuedeTerminar();
    static QString MotivoDelRechazo(const ErrorNumerado& error);
    void AvisarFalloDeResolucion(const ErrorNumerado& error, bool enCelda);
    void AvisarRechazo(Rechazo rechazo);
    void AvisarResolucion(const QString& texto);
    void MensajeError(const QString& texto);
    void EstadoCuenta();
    void EnfocarNumeroEcuaciones();
    void MostrarVoz(bool activa);
    void Lector_ActivoCambiado(bool activo);
    bool LectorActivo() const;
    QString MotivoDeSilencio() const;

    QLabel* Label1 = nullptr;
    QLineEdit* NumeroEcuaciones = nullptr;
    QLabel* Label2 = nullptr;
    BotonGrafico* OK1 = nullptr;
    BotonGrafico* BotonCambio = nullptr;
    BotonGrafico* ComandoVoz = nullptr;
    BotonGrafico* BotonAcerca = nullptr;
    BotonGrafico* Resolver = nullptr;
    BotonGrafico* BotonSalir = nullptr;
    GridControl* Tabla = nullptr;
    MotorVoz& Voz;
    LectorPantalla* Lector = nullptr;

    // 7: right-aligned, vertically centred, as checked cells are shown.
    static constexpr int kAlineacionDerecha = 7;

    std::int32_t m_n = 0;
    std::int16_t VozActiva = 0; // -1 while the voice is on
    // The program itself sent the focus to the count box, so its arrival is
    // a new got-focus even when it comes with the window's activation.
    bool m_focoPedido = false;
    bool m_sinGuardar = false; // typed data that are safe only in the recovery copy
    QTimer* m_relojRescate = nullptr;
    QUndoStack* m_deshacer = nullptr;
    AvisoLector* m_avisoDeshacer = nullptr;
};
