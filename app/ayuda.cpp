#include "app/ayuda.h"

#include "app/aviso_lector.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// Where an anchor (<a name>) of the document starts; -1 if it has none by
// that name.
int PosicionDelAncla(const QTextDocument& documento, const QString& nombre) {
    for (QTextBlock bloque = documento.begin(); bloque.isValid(); bloque = bloque.next())
        for (auto trozo = bloque.begin(); !trozo.atEnd(); ++trozo)
            if (trozo.fragment().charFormat().anchorNames().contains(nombre))
                return trozo.fragment().position();
    return -1;
}

} // namespace

VentanaAyuda::VentanaAyuda(const QString& ruta) {
    setWindowTitle(QStringLiteral("Ayuda de Veltrana"));
    Documento = new QTextBrowser(this);
    Documento->setObjectName(QStringLiteral("Documento"));
    Documento->setOpenExternalLinks(true);
    // A caret to move with the arrow keys: a screen reader reads the line it
    // lands on, where a read-only view would only scroll in silence.
    Documento->setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
    // Said on arriving instead of the whole document, which Qt presents as
    // one label and a reader would read at one go.
    Documento->setAccessibleName(
        QStringLiteral("Documento de ayuda. Flechas: leer línea a línea; Control más flecha abajo "
                       "o arriba: sección siguiente o anterior; Tab: enlaces; Escape: cerrar"));
    Documento->setSource(QUrl::fromLocalFile(ruta));
    connect(Documento, &QTextBrowser::sourceChanged, this, &VentanaAyuda::IrAlAncla);
    Documento->installEventFilter(this);
    Aviso = new AvisoLector(this);
    auto* disposicion = new QVBoxLayout(this);
    disposicion->setContentsMargins(0, 0, 0, 0);
    disposicion->addWidget(Documento);
    setFocusProxy(Documento);
    resize(640, 560);

    const auto atajo = [this](QKeySequence teclas, auto accion) {
        connect(new QShortcut(teclas, this), &QShortcut::activated, this, accion);
    };
    atajo(QKeySequence(Qt::Key_Escape), [this] { close(); });
    atajo(QKeySequence(Qt::CTRL | Qt::Key_Down), [this] { IrASeccion(+1); });
    atajo(QKeySequence(Qt::CTRL | Qt::Key_Up), [this] { IrASeccion(-1); });
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

QString VentanaAyuda::Problema(const QString& ruta) {
    const QFileInfo info(ruta);
    if (info.isDir())
        return QStringLiteral("es una carpeta");
    QFile archivo(ruta);
    if (!archivo.open(QIODevice::ReadOnly))
        return QStringLiteral("no se puede leer (%1)").arg(archivo.errorString());
    if (archivo.size() == 0)
        return QStringLiteral("está vacía");
    return {};
}

// Tab selects the next link, a move Qt does not tell assistive tools of:
// without this a reader would say nothing at all.
bool VentanaAyuda::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == Documento && evento->type() == QEvent::KeyPress) {
        const int tecla = static_cast<QKeyEvent*>(evento)->key();
        if (tecla == Qt::Key_Tab || tecla == Qt::Key_Backtab)
            QMetaObject::invokeMethod(this, &VentanaAyuda::AnunciarEnlace, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(objeto, evento);
}

void VentanaAyuda::AnunciarEnlace() {
    const QTextCursor seleccion = Documento->textCursor();
    QTextCursor fin(Documento->document());
    fin.setPosition(seleccion.selectionEnd());
    if (seleccion.hasSelection() && fin.charFormat().isAnchor())
        Aviso->Decir(QStringLiteral("Enlace: ") + seleccion.selectedText());
}

// A followed link moves the caret too, so that what is read next is where
// the link led, not where it was; and the line it led to is said, since a
// reader keeps quiet about a caret that no key of its own moved.
void VentanaAyuda::IrAlAncla(const QUrl& destino) {
    const int posicion = PosicionDelAncla(*Documento->document(), destino.fragment());
    if (posicion < 0)
        return;
    LlevarCursorA(posicion);
    Aviso->Decir(Documento->textCursor().block().text());
}

// The caret to the start of the next (or the previous) heading.
void VentanaAyuda::IrASeccion(int sentido) {
    QTextBlock bloque = Documento->textCursor().block();
    do
        bloque = sentido > 0 ? bloque.next() : bloque.previous();
    while (bloque.isValid() && bloque.blockFormat().headingLevel() == 0);
    if (bloque.isValid())
        LlevarCursorA(bloque.position());
}

void VentanaAyuda::LlevarCursorA(int posicion) {
    QTextCursor cursor(Documento->document());
    cursor.setPosition(posicion);
    Documento->setTextCursor(cursor);
    // Its line at the top of the view, as a followed link leaves its target.
    QScrollBar* barra = Documento->verticalScrollBar();
    barra->setValue(barra->value() + Documento->cursorRect().top());
}
