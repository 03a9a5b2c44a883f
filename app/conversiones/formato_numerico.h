#pragma once
// What reading and writing numbers needs to know of a locale, worked out once
// per locale: QLocale hands these out as freshly built strings, and the
// results screen formats tens of thousands of values in a row.

#include <QLocale>
#include <QString>

struct FormatoNumerico {
    QLocale locale;
    QString decimal;
    QString grupo; // empty when the locale does not group digits
    QString menos;
    QString mas;
    QString exponente;
    char16_t cero = u'0';
    int grupoPrimario = 0;   // digits in the rightmost group
    int grupoSecundario = 0; // digits in each group to its left
};

// The format of the last locale asked for on this thread.
const FormatoNumerico& FormatoDe(const QLocale& locale);
