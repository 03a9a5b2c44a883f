#include "grid/grid_format.h"

namespace {

GridFormat::Header ParseHeader(QString text) {
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (text.startsWith(u'^'))
        horizontal = Qt::AlignHCenter;
    else if (text.startsWith(u'>'))
        horizontal = Qt::AlignRight;
    if (text.startsWith(u'<') || text.startsWith(u'^') || text.startsWith(u'>'))
        text.remove(0, 1);
    return {text, horizontal | Qt::AlignVCenter};
}

} // namespace

GridFormat ParseGridFormat(const QString& format) {
    GridFormat parsed;
    const qsizetype semicolon = format.indexOf(u';');
    parsed.fixedColumn = semicolon >= 0;
    const QStringList columns = format.left(semicolon).split(u'|'); // all of it without ';'
    for (const QString& column : columns)
        parsed.columns << ParseHeader(column);
    if (!parsed.fixedColumn)
        return parsed;

    parsed.corner = parsed.columns.takeFirst();
    const QStringList rows = format.mid(semicolon + 1).split(u'|');
    // An empty first entry leaves the corner the column's header.
    if (!rows.front().isEmpty())
        parsed.corner.text = rows.front();
    parsed.rowHeaders = rows.mid(1);
    return parsed;
}
