#pragma once
// Blocks of cells exchanged with spreadsheets through the clipboard: one line
// a row, its fields separated by tabs. Spreadsheets on every system read and
// write this form, with the cells' text exactly as they show it (so numbers
// carry the user's decimal separator).

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <span>

// The fields of a block, row by row, as views into the text they were read
// from, which must outlive them. Only the lines are found at once; a row is
// split into its fields when they are asked for, which lets the threads that
// check a large block split their own halves (a whole system is 131 064
// fields).
class CamposTabulados {
public:
    qsizetype Filas() const { return m_lineas.size(); }
    qsizetype Columnas(qsizetype fila) const { return m_lineas[fila].count(u'\t') + 1; }
    // The row's first fields, as many as fit in `campos`, in one pass; how
    // many fields the row has.
    qsizetype Partir(qsizetype fila, std::span<QStringView> campos) const;

private:
    friend CamposTabulados LeerTabulado(QStringView texto);
    QList<QStringView> m_lineas; // without their line ends
};

// Lines end in "\n" or "\r\n". The line end a spreadsheet puts after its last
// row does not make an empty row; every other line, empty or not, is a row of
// at least one field. No quoting is undone: a number never needs it.
CamposTabulados LeerTabulado(QStringView texto);

// Whether the text has a control character other than a tab or a line end:
// text from a spreadsheet has none, binary data has them all. Eight
// characters at a time where the processor allows, as a whole system's text
// is 1.5 million of them.
bool ConControles(QStringView texto);

// The cells row by row, `columnas` a row. Every row ends in "\n", the last
// one too, as a spreadsheet's own copy does.
QString EscribirTabulado(std::span<const QString> celdas, qsizetype columnas);
