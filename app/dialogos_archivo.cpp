#include "app/dialogos_archivo.h"

#include "app/archivos/sistema_csv.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

namespace {

const QString kFiltros = QStringLiteral("Sistemas en texto (*.csv *.tsv *.txt);;Todos los archivos (*)");

QString& CarpetaUsada() {
    static QString carpeta =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return carpeta;
}

QString Recordar(const QString& ruta) {
    if (!ruta.isEmpty())
        CarpetaUsada() = QFileInfo(ruta).absolutePath();
    return ruta;
}

} // namespace

QString PedirArchivoParaAbrir(QWidget* padre) {
    return Recordar(
        QFileDialog::getOpenFileName(padre, QStringLiteral("Abrir sistema"), CarpetaUsada(), kFiltros));
}

QString PedirArchivoParaGuardar(QWidget* padre, const QString& titulo, const QString& propuesto) {
    return Recordar(QFileDialog::getSaveFileName(padre, titulo, CarpetaUsada() + u'/' + propuesto,
                                                 kFiltros));
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
