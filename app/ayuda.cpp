#include "app/ayuda.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

VentanaAyuda::VentanaAyuda(const QString& ruta) {
    setWindowTitle(QStringLiteral("Ayuda de Veltrana"));
    setWindowFlag(Qt::Window);
    setOpenExternalLinks(true);
    setSource(QUrl::fromLocalFile(ruta));
    resize(640, 560);
}

QString VentanaAyuda::Buscar() {
    const QString carpeta = QCoreApplication::applicationDirPath();
    for (const QString& candidata : {carpeta + QStringLiteral("/Ayudavt.html"),
                                     carpeta + QStringLiteral("/../share/veltrana/Ayudavt.html")}) {
        if (QFileInfo::exists(candidata))
            return QFileInfo(candidata).canonicalFilePath();
    }
    return {};
}
