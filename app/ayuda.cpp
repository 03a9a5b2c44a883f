#include "app/ayuda.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

VentanaAyuda::VentanaAyuda(const QString& ruta) {
    setWindowTitle(QStringLiteral("Ayuda de Veltrana"));
    Documento = new QTextBrowser(this);
    Documento->setObjectName(QStringLiteral("Documento"));
    Documento->setOpenExternalLinks(true);
    Documento->setSource(QUrl::fromLocalFile(ruta));
    auto* disposicion = new QVBoxLayout(this);
    disposicion->setContentsMargins(0, 0, 0, 0);
    disposicion->addWidget(Documento);
    setFocusProxy(Documento);
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
