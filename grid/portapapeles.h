#pragma once
// Blocks of cells exchanged with spreadsheets through the clipboard: one line
// a row, its fields separated by tabs. Spreadsheets on every system read and
// write this form, with the cells' text exactly as they show it (so numbers
// carry the user's decimal separator).

#include <QList>
#include <QString>
#include <QStringList>

using BloqueTabulado = QList<QStringList>;

// Lines end in "\n" or "\r\n". The line end a spreadsheet puts after its last
// row does not make an empty row; every other line, empty or not, is a row of
// at least one field. No quoting is undone: a number never needs it.
BloqueTabulado LeerTabulado(const QString& texto);

// Every row ends in "\n", the last one too, as a spreadsheet's own copy does.
QString EscribirTabulado(const BloqueTabulado& filas);
