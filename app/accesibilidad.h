#pragma once
// What the screens add to Qt's own support for keyboard and screen-reader
// users.

class QWidget;

// Access keys ("&" in a caption) that several buttons of one window share.
// Qt treats such a key as ambiguous while more than one of the buttons can be
// pressed, and only moves the focus between them. The screens were designed
// on a platform that pressed the first of them in tab order instead, so that
// the key always does something. This gives each shared key one window
// shortcut that presses the first visible and enabled button, in tab order,
// whose caption marks that key, and takes the key from the buttons
// themselves. Keys that only one button uses are left to Qt.
//
// Call it once the tab order is set and the captions are final: a button
// given a new caption takes its own key back.
void UnificarTeclasDeAcceso(QWidget& ventana);

// A screen, like the help window, is a plain QWidget, which Qt presents to
// assistive tools as a filler inside nothing; a screen reader announces
// windows, by their name, only when they say they are one. Installed once, before any screen is
// asked for its accessible interface.
void PresentarPantallasComoVentanas();
