// The recovery copy: what the user typed, kept on disk while it is safe
// nowhere else, so that no way the program ends can lose it; offered back
// at the next start. Ending on purpose with unsaved data asks first.

#include "app/aplicacion.h"
#include "app/archivos/sistema_csv.h"
#include "app/conversiones/conversiones.h"
#include "app/modulo_principal.h"
#include "grid/grid_model.h"
#include "grid/qt_grid.h"
#include "screens/data_entry/datos1.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

// At most this long after a change, the copy holds it.
constexpr int kEsperaMs = 1000;

// One line for the count box, then each row's four cells as they stand,
// separated by tabs: no cell can hold a tab or a line break.
// A number cell is written out here, not through the grid, which would keep
// the text of every cell that no one looks at.
QByteArray Copia(const QString& cuenta, const GridModel& celdas) {
    const QLocale regional;
    QByteArray texto = cuenta.toUtf8() + '\n';
    for (int fila = 0; fila < celdas.rowCount(); ++fila) {
        for (int columna = 0; columna < 4; ++columna) {
            const auto numero = celdas.number(fila, columna);
            texto +=
                (numero ? DobleATexto(*numero, regional) : celdas.text(fila, columna)).toUtf8() +
                (columna < 3 ? '\t' : '\n');
        }
    }
    return texto;
}

} // namespace

QString Datos1::RutaDeRescate() const {
    return App().Modulo().RutaDeRescate;
}

void Datos1::PrepararRescate() {
    m_relojRescate = new QTimer(this);
    m_relojRescate->setSingleShot(true);
    m_relojRescate->setInterval(kEsperaMs);
    connect(m_relojRescate, &QTimer::timeout, this, [this] { Manejar([this] { GuardarRescate(); }); });
}

// Not restarted by later changes: under steady typing the copy still
// follows within the wait.
void Datos1::DatosCambiados() {
    m_sinGuardar = true;
    if (!m_relojRescate->isActive() && !RutaDeRescate().isEmpty())
        m_relojRescate->start();
}

// Saved to a file, solved and shown, or discarded: no copy is needed.
void Datos1::DatosAsalvo() {
    m_sinGuardar = false;
    m_relojRescate->stop();
    if (!RutaDeRescate().isEmpty())
        QFile::remove(RutaDeRescate());
}

bool Datos1::HayDatos() const {
    const GridModel& celdas = *static_cast<QtGrid*>(Tabla)->gridModel();
    for (int fila = 0; fila < celdas.rowCount(); ++fila)
        for (int columna = 0; columna < 4; ++columna)
            if (celdas.number(fila, columna) || !celdas.storedText(fila, columna).isEmpty())
                return true;
    return false;
}

void Datos1::GuardarRescate() {
    m_relojRescate->stop();
    if (!m_sinGuardar || RutaDeRescate().isEmpty())
        return;
    if (!HayDatos()) {
        QFile::remove(RutaDeRescate());
        return;
    }
    QDir().mkpath(QFileInfo(RutaDeRescate()).absolutePath());
    // A copy that cannot be written leaves the last one; nothing to tell
    // the user until the data are at risk, and then the close asks.
    GuardarArchivo(RutaDeRescate(),
                   Copia(NumeroEcuaciones->text(), *static_cast<QtGrid*>(Tabla)->gridModel()));
}

// After a start that follows an abnormal end: the copy is offered back, once
// per run.
void Datos1::OfrecerRescate() {
    QFile archivo(RutaDeRescate());
    if (!archivo.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> lineas = archivo.readAll().split('\n');
    const QDateTime cuando = QFileInfo(archivo).lastModified();
    archivo.close();
    const auto filas = std::int32_t(std::max<qsizetype>(lineas.size() - 2, 0));
    const QString texto =
        QStringLiteral("Veltrana se cerró sin guardar un sistema de %1 ecuaciones (copia del %2). "
                       "¿Desea recuperarlo?")
            .arg(filas)
            .arg(QLocale().toString(cuando, QLocale::ShortFormat));
    Hablar(texto);
    QMessageBox pregunta(QMessageBox::Question, QStringLiteral("Recuperar Datos"), texto,
                         QMessageBox::NoButton, this);
    QPushButton* recuperar = pregunta.addButton(QStringLiteral("&Recuperar"), QMessageBox::AcceptRole);
    pregunta.addButton(QStringLiteral("&Descartar"), QMessageBox::RejectRole);
    pregunta.setDefaultButton(recuperar);
    pregunta.exec();
    if (pregunta.clickedButton() != recuperar || filas < 4 || filas > 32766) {
        DatosAsalvo();
        return;
    }
    NumeroEcuaciones->setText(EnteroATexto(filas));
    ConfirmarCuenta();
    // Checked again, so a refused cell comes back marked; an empty one is
    // left as it is.
    std::vector<GridCell> celdas(std::size_t(filas) * 4);
    const ReglasDeCelda reglas = Reglas();
    for (std::int32_t fila = 1; fila <= filas; ++fila) {
        const QList<QByteArray> campos = lineas.at(fila).split('\t');
        for (int columna = 1; columna <= 4 && columna <= campos.size(); ++columna)
            if (const QString celda = QString::fromUtf8(campos.at(columna - 1)); !celda.isEmpty())
                celdas[std::size_t(fila - 1) * 4 + std::size_t(columna - 1)] =
                    CeldaComprobada(celda, reglas);
    }
    Tabla->SetBlock(1, 1, 4, celdas);
    OlvidarCambios();
    Tabla->SetCurrentRow(1);
    Tabla->SetCurrentCol(1);
    NumeroEcuaciones->setText(QString::fromUtf8(lineas.at(0)));
    m_sinGuardar = true; // still safe nowhere but in the copy
}

// Ending on purpose with data that are nowhere else: save them to a file,
// discard them, or stay. Whether the program may end.
bool Datos1::PuedeTerminar() {
    if (!m_sinGuardar || !HayDatos())
        return true;
    const QString texto = QStringLiteral("Los datos de las ecuaciones no se han guardado. "
                                         "¿Desea guardarlos en un archivo antes de salir?");
    Hablar(texto);
    QMessageBox pregunta(QMessageBox::Question, QStringLiteral("Salir"), texto,
                         QMessageBox::NoButton, this);
    QPushButton* guardar = pregunta.addButton(QStringLiteral("&Guardar"), QMessageBox::AcceptRole);
    QPushButton* descartar =
        pregunta.addButton(QStringLiteral("&Descartar"), QMessageBox::DestructiveRole);
    pregunta.setEscapeButton(pregunta.addButton(QStringLiteral("Cancelar"), QMessageBox::RejectRole));
    pregunta.setDefaultButton(guardar);
    pregunta.exec();
    if (pregunta.clickedButton() == descartar) {
        DatosAsalvo();
        return true;
    }
    if (pregunta.clickedButton() == guardar) {
        Guardar_Click();
        return !m_sinGuardar;
    }
    return false;
}

void Datos1::closeEvent(QCloseEvent* evento) {
    bool puede = true;
    Manejar([&] { puede = PuedeTerminar(); });
    if (!puede) {
        evento->ignore();
        return;
    }
    Pantalla::closeEvent(evento);
}
