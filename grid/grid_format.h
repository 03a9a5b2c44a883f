#pragma once
// A grid's design-time content, given as a format text: the columns' header
// texts separated by "|", each optionally led by "<", "^" or ">" (left,
// centred, right header); then, when the grid has a fixed column, ";" and the
// row headers separated by "|", the first entry for the header row.
//   "^ n |^A|^B|^C|^D;|1|2|3"  4 rows, 5 columns, the first one fixed
//   "^Incógnita|^Valor"        1 row, 2 columns, none fixed

#include <QList>
#include <QString>
#include <QStringList>

struct GridFormat {
    struct Header {
        QString text;
        Qt::Alignment alignment;
    };
    bool fixedColumn = false;
    Header corner;          // the fixed column's header; unused without one
    QList<Header> columns;  // the other columns' headers
    QStringList rowHeaders; // rows 1 … of the fixed column
    int rows() const { return 1 + int(rowHeaders.size()); } // with the header row
};

GridFormat ParseGridFormat(const QString& format);
