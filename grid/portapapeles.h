#pragma once
// Blocks of cells exchanged with spreadsheets through the clipboard: one line
// a row, its fields separated by tabs. Spreadsheets on every system read and
// write this form, with the cells' text exactly as they show it (so numbers
// carry the user's decimal separator).

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

using BloqueTabulado = QList<QStringList>;

// The fields of a block, row by row, as views into the text they were read
// from, which must outlive them: a whole system is 131 064 fields, and a
// string of its own for each would cost more than checking them all.
class CamposTabulados {
public:
    qsizetype Filas() const { return m_inicios.size() - 1; }
    qsizetype Columnas(qsizetype fila) const { return m_inicios[fila + 1] - m_inicios[fila]; }
    QStringView Campo(qsizetype fila, qsizetype columna) const {
        return m_campos[m_inicios[fila] + columna];
    }

private:
    friend CamposTabulados LeerTabulado(QStringView texto);
    QList<QStringView> m_campos;
    QList<qsizetype> m_inicios{0}; // each row's first field, then the number of fields
};

// Lines end in "\n" or "\r\n". The line end a spreadsheet puts after its last
// row does not make an empty row; every other line, empty or not, is a row of
// at least one field. No quoting is undone: a number never needs it.
CamposTabulados LeerTabulado(QStringView texto);

// Every row ends in "\n", the last one too, as a spreadsheet's own copy does.
QString EscribirTabulado(const BloqueTabulado& filas);
