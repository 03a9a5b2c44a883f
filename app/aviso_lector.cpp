#include "app/aviso_lector.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

QAccessibleInterface* InterfazDeAviso(const QString&, QObject* objeto) {
    if (auto* aviso = qobject_cast<AvisoLector*>(objeto))
        return new QAccessibleWidget(aviso, QAccessible::Notification);
    return nullptr;
}

} // namespace

AvisoLector::AvisoLector(QWidget* padre) : QWidget(padre) {
    static const bool instalada = [] {
        QAccessible::installFactory(&InterfazDeAviso);
        return true;
    }();
    (void)instalada;
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(0, 0);
    hide();
}

void AvisoLector::Decir(const QString& frase) {
    if (!QAccessible::isActive() || frase.isEmpty())
        return;
    // Hidden first, so that the reader sees it appear even when the last
    // sentence is still showing.
    hide();
    setAccessibleName(frase);
    show();
}
