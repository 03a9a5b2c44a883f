#include "app/dialogos_archivo.h"

#include "app/archivos/sistema_csv.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

namespace {

const QString kFiltros =
    QStringLiteral("Sistemas en texto (*.csv *.tsv *.txt);;Todos los archivos (*)");

bool Reemplazar(QWidget* padre, const QString& ruta);

QString& CarpetaUsada() {
    static QString carpeta = [] {
        const QString documentos =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return QFileInfo(documentos).isDir() ? documentos : QDir::homePath();
    }();
    return carpeta;
}

// Qt's own dialog, its words in Spanish like the rest of the program (Qt
// ships its translations apart, and they would change every message box).
QString Pedir(QWidget* padre, const QString& titulo, QFileDialog::AcceptMode modo,
              const QString& propuesto) {
    QFileDialog dialogo(padre, titulo, CarpetaUsada(), kFiltros);
    const bool abrir = modo == QFileDialog::AcceptOpen;
    dialogo.setAcceptMode(modo);
    dialogo.setFileMode(abrir ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialogo.setOption(QFileDialog::DontConfirmOverwrite);
    dialogo.setLabelText(QFileDialog::LookIn, QStringLiteral("Buscar en:"));
    dialogo.setLabelText(QFileDialog::FileName, QStringLiteral("&Nombre:"));
    dialogo.setLabelText(QFileDialog::FileType, QStringLiteral("Tipo:"));
    dialogo.setLabelText(QFileDialog::Accept,
                         abrir ? QStringLiteral("&Abrir") : QStringLiteral("&Guardar"));
    dialogo.setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
    if (!abrir) {
        dialogo.setDefaultSuffix(QStringLiteral("csv"));
        dialogo.selectFile(propuesto);
    }
    while (dialogo.exec() == QDialog::Accepted) {
        const QString ruta = dialogo.selectedFiles().value(0);
        if (abrir || !QFileInfo::exists(ruta) || Reemplazar(padre, ruta)) {
            CarpetaUsada() = QFileInfo(ruta).absolutePath();
            return ruta;
        }
    }
    return {};
}

bool Reemplazar(QWidget* padre, const QString& ruta) {
    QMessageBox pregunta(
        QMessageBox::Question, QStringLiteral("Guardar"),
        QStringLiteral("«%1» ya existe. ¿Desea reemplazarlo?").arg(QFileInfo(ruta).fileName()),
        QMessageBox::NoButton, padre);
    QPushButton* si = pregunta.addButton(QStringLiteral("&Reemplazar"), QMessageBox::AcceptRole);
    pregunta.setDefaultButton(
        pregunta.addButton(QStringLiteral("Cancelar"), QMessageBox::RejectRole));
    pregunta.exec();
    return pregunta.clickedButton() == si;
}

} // namespace

QString PedirArchivoParaAbrir(QWidget* padre) {
    return Pedir(padre, QStringLiteral("Abrir sistema"), QFileDialog::AcceptOpen, {});
}

QString PedirArchivoParaGuardar(QWidget* padre, const QString& titulo, const QString& propuesto) {
    return Pedir(padre, titulo, QFileDialog::AcceptSave, propuesto);
}

bool GuardarYAvisar(QWidget* padre, const QString& ruta, const QByteArray& contenido) {
    const QString motivo = GuardarArchivo(ruta, contenido);
    if (motivo.isEmpty())
        return true;
    QMessageBox aviso(QMessageBox::Warning, QStringLiteral("Error al Guardar"),
                      QStringLiteral("No se pudo guardar «%1»: %2. Si ya existía, el archivo "
                                     "sigue como estaba.")
                          .arg(QFileInfo(ruta).fileName(), motivo),
                      QMessageBox::Ok, padre);
    aviso.exec();
    return false;
}
