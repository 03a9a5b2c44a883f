#include "app/accesibilidad.h"

#include "app/ayuda.h"
#include "app/pantalla.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QKeySequence>
#include <QList>
#include <QPointer>
#include <QShortcut>
#include <map>

namespace {

using Botones = QList<QPointer<QAbstractButton>>;

QAbstractButton* PrimeroQueSePuedePulsar(QWidget& ventana, const Botones& botones) {
    for (QWidget* w = ventana.nextInFocusChain(); w && w != &ventana; w = w->nextInFocusChain()) {
        for (const QPointer<QAbstractButton>& boton : botones)
            if (boton == w && boton->isVisible() && boton->isEnabled())
                return boton;
    }
    return nullptr;
}

QAccessibleInterface* InterfazDeVentana(const QString&, QObject* objeto) {
    auto* ventana = qobject_cast<QWidget*>(objeto);
    const bool nuestra = qobject_cast<Pantalla*>(objeto) || qobject_cast<VentanaAyuda*>(objeto);
    if (nuestra && ventana->isWindow())
        return new QAccessibleWidget(ventana, QAccessible::Window);
    return nullptr;
}

} // namespace

void UnificarTeclasDeAcceso(QWidget& ventana) {
    std::map<QString, Botones> porTecla;
    for (QAbstractButton* boton : ventana.findChildren<QAbstractButton*>()) {
        const QKeySequence tecla = QKeySequence::mnemonic(boton->text());
        if (!tecla.isEmpty() && boton->window() == &ventana)
            porTecla[tecla.toString(QKeySequence::PortableText)] << boton;
    }
    for (const auto& [tecla, botones] : porTecla) {
        if (botones.size() < 2)
            continue;
        for (const QPointer<QAbstractButton>& boton : botones)
            boton->setShortcut(QKeySequence()); // the caption keeps its underline
        auto* atajo =
            new QShortcut(QKeySequence::fromString(tecla, QKeySequence::PortableText), &ventana);
        QObject::connect(atajo, &QShortcut::activated, &ventana, [&ventana, botones = botones] {
            // Pressed the way Qt presses a button for its own access key.
            if (QAbstractButton* boton = PrimeroQueSePuedePulsar(ventana, botones))
                boton->animateClick();
        });
    }
}

void PresentarPantallasComoVentanas() {
    static const bool instalada = [] {
        QAccessible::installFactory(&InterfazDeVentana);
        return true;
    }();
    (void)instalada;
}
