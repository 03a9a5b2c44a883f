#include "grid/grid_model.h"

#include "app/conversiones/conversiones.h"
#include "solver/error_numerado.h"

#include <QBrush>
#include <QColor>
#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <utility>

namespace {
constexpr double kNoNumber = std::numeric_limits<double>::quiet_NaN();
// Another NaN, told apart by its bits: a cell whose content is text.
const double kTextNumber = std::bit_cast<double>(std::bit_cast<std::uint64_t>(kNoNumber) | 1);

bool IsEmpty(double stored) {
    return std::bit_cast<std::uint64_t>(stored) == std::bit_cast<std::uint64_t>(kNoNumber);
}

const QString kNoText;
} // namespace

GridModel::GridModel(int columns, QObject* parent)
    : QAbstractTableModel(parent), m_columns(std::max(columns, 0)), m_texts(std::size_t(m_columns)),
      m_columnHeaders(std::size_t(m_columns)),
      m_columnHeaderAlignment(std::size_t(m_columns), Qt::AlignLeft | Qt::AlignVCenter) {}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(index.row(), index.column());
    case Qt::ForegroundRole:
        if (const auto& fore = styleOf(index.row(), index.column()).fore)
            return QBrush(QColor::fromRgb(*fore));
        return {};
    case Qt::BackgroundRole:
        if (const auto& back = styleOf(index.row(), index.column()).back)
            return QBrush(QColor::fromRgb(*back));
        return {};
    case Qt::TextAlignmentRole:
        if (const auto& alignment = styleOf(index.row(), index.column()).alignment)
            return int(*alignment);
        return {};
    case Qt::AccessibleTextRole: {
        const QString& contents = text(index.row(), index.column());
        QString said = cellName(index.row(), index.column()) + QStringLiteral(": ") +
                       (contents.isEmpty() ? QStringLiteral("vacía") : contents);
        if (const QString why = note(index.row(), index.column()); !why.isEmpty())
            said += QStringLiteral(". ") + why;
        return said;
    }
    default:
        return {};
    }
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole && role != Qt::DisplayRole)
        return false;
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    setText(index.row(), index.column(), value.toString());
    return true;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const int count = orientation == Qt::Horizontal ? m_columns : m_rows;
    if (section < 0 || section >= count)
        return {};
    if (role == Qt::DisplayRole)
        return headerText(orientation, section);
    if (role == Qt::TextAlignmentRole && orientation == Qt::Horizontal)
        return int(m_columnHeaderAlignment[std::size_t(section)]);
    return {};
}

bool GridModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                              int role) {
    const int count = orientation == Qt::Horizontal ? m_columns : m_rows;
    if (section < 0 || section >= count)
        return false;
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        setHeaderText(orientation, section, value.toString());
        return true;
    }
    if (role == Qt::TextAlignmentRole && orientation == Qt::Horizontal) {
        setHeaderAlignment(section, Qt::Alignment(value.toInt()));
        return true;
    }
    return false;
}

void GridModel::setRows(int rows) {
    rows = std::max(rows, 0);
    if (rows == m_rows)
        return;
    const std::size_t cells = std::size_t(rows) * m_columns;
    if (rows > m_rows) {
        beginInsertRows(QModelIndex(), m_rows, rows - 1);
        m_numbers.resize(cells, kNoNumber);
        for (auto& texts : m_texts)
            if (!texts.empty())
                texts.resize(std::size_t(rows));
        m_styleOf.resize(cells, 0);
        m_rowHeaders.resize(std::size_t(rows));
        m_rows = rows;
        endInsertRows();
    } else {
        beginRemoveRows(QModelIndex(), rows, m_rows - 1);
        std::erase_if(m_cellTexts, [cells](const auto& kept) { return kept.first >= cells; });
        for (auto& texts : m_texts)
            if (!texts.empty())
                texts.resize(std::size_t(rows));
        m_numbers.resize(cells);
        m_styleOf.resize(cells);
        m_rowHeaders.resize(std::size_t(rows));
        m_notes.erase(m_notes.lower_bound(cells), m_notes.end());
        m_rows = rows;
        endRemoveRows();
        // Rows that are gone have nothing left to announce.
        m_heldRows.limitTo(rows);
        if (m_heldRows.empty())
            m_heldColumns = HeldSpan();
        m_heldRowHeaders.limitTo(rows);
        // A grid shrunk from thousands of rows gives the memory back.
        if (m_numbers.capacity() > 2 * m_numbers.size() + 1024) {
            m_numbers.shrink_to_fit();
            for (auto& texts : m_texts)
                texts.shrink_to_fit();
            m_styleOf.shrink_to_fit();
            m_rowHeaders.shrink_to_fit();
        }
    }
}

QString GridModel::cellName(int row, int column) const {
    return m_columnHeaders[std::size_t(column)] + m_rowHeaders[std::size_t(row)];
}

QString GridModel::note(int row, int column) const {
    if (m_notes.empty()) // nearly always, and read for every cell of a block
        return QString();
    const auto found = m_notes.find(cell(row, column));
    return found == m_notes.end() ? QString() : found->second;
}

void GridModel::setNote(int row, int column, const QString& note) {
    if (note.isEmpty()) {
        if (!m_notes.empty())
            m_notes.erase(cell(row, column));
        return;
    }
    m_notes[cell(row, column)] = note;
}

// A reference that stays valid until the cell is written: a number's text
// is only added here, and a hash keeps its elements where they are as it
// grows.
const QString& GridModel::text(int row, int column) const {
    const std::size_t i = cell(row, column);
    if (IsEmpty(m_numbers[i]))
        return kNoText;
    const std::vector<QString>& texts = m_texts[std::size_t(column)];
    if (std::isnan(m_numbers[i]) && !texts.empty())
        return texts[std::size_t(row)];
    if (const auto found = m_cellTexts.find(i); found != m_cellTexts.end())
        return found->second;
    if (std::isnan(m_numbers[i]))
        return kNoText;
    return m_cellTexts.emplace(i, DobleATexto(m_numbers[i], QLocale())).first->second;
}

QStringView GridModel::storedText(int row, int column) const {
    const std::size_t i = cell(row, column);
    if (IsEmpty(m_numbers[i]))
        return {};
    const std::vector<QString>& texts = m_texts[std::size_t(column)];
    if (std::isnan(m_numbers[i]) && !texts.empty())
        return texts[std::size_t(row)];
    const auto found = m_cellTexts.find(i);
    return found == m_cellTexts.end() ? QStringView() : QStringView(found->second);
}

// The cell becomes a text cell, or an empty one for an empty text; the
// text its number had is forgotten already. A run of texts down a column
// (names of unknowns) gives the column a text for every row; a text typed
// here and there is kept by cell.
void GridModel::keepText(int row, int column, const QString& text, bool run) {
    const std::size_t i = cell(row, column);
    std::vector<QString>& texts = m_texts[std::size_t(column)];
    if (texts.empty() && run && !text.isEmpty())
        texts.resize(std::size_t(m_rows));
    if (!texts.empty())
        texts[std::size_t(row)] = text;
    else if (!text.isEmpty())
        m_cellTexts[i] = text;
    m_numbers[i] = text.isEmpty() ? kNoNumber : kTextNumber;
}

void GridModel::setText(int row, int column, const QString& text, Notice notice) {
    const std::size_t i = cell(row, column);
    if (!m_notes.empty())
        m_notes.erase(i);
    if (std::isnan(m_numbers[i]) && storedText(row, column) == text)
        return;
    if (!m_cellTexts.empty())
        m_cellTexts.erase(i);
    keepText(row, column, text, /*run=*/false);
    cellChanged(row, column, /*style=*/false, notice);
}

void GridModel::setNumber(int row, int column, double number, Notice notice) {
    if (!std::isfinite(number)) {
        setText(row, column, DobleATexto(number, QLocale()), notice);
        return;
    }
    const std::size_t i = cell(row, column);
    if (!m_notes.empty())
        m_notes.erase(i);
    // Bit for bit, so that -0 and 0 stay apart as their texts do.
    if (std::bit_cast<std::uint64_t>(m_numbers[i]) == std::bit_cast<std::uint64_t>(number))
        return;
    if (std::isnan(m_numbers[i]) && !m_texts[std::size_t(column)].empty())
        m_texts[std::size_t(column)][std::size_t(row)] = QString();
    m_numbers[i] = number;
    if (!m_cellTexts.empty())
        m_cellTexts.erase(i);
    cellChanged(row, column, /*style=*/false, notice);
}

void GridModel::setColumnNumbers(int column, int firstRow, std::span<const double> numbers,
                                 std::optional<Qt::Alignment> alignment) {
    setColumnsNumbers(column, firstRow, std::span(&numbers, 1), alignment);
}

void GridModel::setColumnsNumbers(int column, int firstRow,
                                  std::span<const std::span<const double>> columns,
                                  std::optional<Qt::Alignment> alignment) {
    if (columns.empty() || columns.front().empty())
        return;
    const std::uint16_t aligned = internStyle(Style{{}, {}, alignment});
    const std::size_t rows = columns.front().size();
    forgetTexts(firstRow, int(rows), column, int(columns.size()));
    for (std::size_t k = 0; k < rows; ++k) {
        const std::size_t first = cell(firstRow + int(k), column);
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const std::size_t i = first + c;
            const double number = columns[c][k];
            if (std::isfinite(number))
                m_numbers[i] = number;
            else
                keepText(firstRow + int(k), column + int(c),
                         std::isnan(number) ? QString() : DobleATexto(number, QLocale()),
                         /*run=*/false);
            m_styleOf[i] = std::isnan(number) ? 0 : aligned;
            if (!m_notes.empty())
                m_notes.erase(i);
        }
    }
    for (std::size_t c = 0; c < columns.size(); ++c)
        holdColumnRun(column + int(c), firstRow, rows);
}

// The texts of a block about to be written. Those kept by cell are a look
// at each while there are fewer of them than cells in the block (a
// screenful of numbers shown), at each cell otherwise.
void GridModel::forgetTexts(int firstRow, int rows, int column, int columns) {
    for (int c = column; c < column + columns; ++c)
        if (auto& texts = m_texts[std::size_t(c)]; !texts.empty())
            std::fill_n(texts.begin() + firstRow, rows, QString());
    if (m_cellTexts.size() > std::size_t(rows) * std::size_t(columns)) {
        for (int r = firstRow; r < firstRow + rows; ++r)
            for (int c = column; c < column + columns; ++c)
                m_cellTexts.erase(cell(r, c));
        return;
    }
    std::erase_if(m_cellTexts, [&](const auto& kept) {
        const auto row = int(kept.first / std::size_t(m_columns));
        const auto col = int(kept.first % std::size_t(m_columns));
        return row >= firstRow && row < firstRow + rows && col >= column && col < column + columns;
    });
}

void GridModel::setColumnTexts(int column, int firstRow, std::span<const QString> texts) {
    forgetTexts(firstRow, int(texts.size()), column, 1);
    for (std::size_t k = 0; k < texts.size(); ++k) {
        const std::size_t i = cell(firstRow + int(k), column);
        keepText(firstRow + int(k), column, texts[k], /*run=*/true);
        if (!m_notes.empty())
            m_notes.erase(i);
    }
    holdColumnRun(column, firstRow, texts.size());
}

void GridModel::holdColumnRun(int column, int firstRow, std::size_t count) {
    if (count == 0)
        return;
    m_heldRows.add(firstRow);
    m_heldRows.add(firstRow + int(count) - 1);
    m_heldColumns.add(column);
}

void GridModel::setHeaderTexts(Qt::Orientation orientation, int first,
                               std::span<const QString> texts) {
    std::vector<QString>& headers = orientation == Qt::Horizontal ? m_columnHeaders : m_rowHeaders;
    std::copy(texts.begin(), texts.end(), headers.begin() + first);
    if (texts.empty())
        return;
    HeldSpan& held = orientation == Qt::Horizontal ? m_heldColumnHeaders : m_heldRowHeaders;
    held.add(first);
    held.add(first + int(texts.size()) - 1);
}

void GridModel::columnNumbers(int column, int firstRow, std::span<double> numbers,
                              std::optional<Qt::Alignment> alignment,
                              std::vector<int>& others) const {
    const auto found = std::find(m_styles.begin(), m_styles.end(), Style{{}, {}, alignment});
    const int aligned = found == m_styles.end() ? -1 : int(found - m_styles.begin());
    for (std::size_t k = 0; k < numbers.size(); ++k) {
        const std::size_t i = cell(firstRow + int(k), column);
        const bool noted = !m_notes.empty() && m_notes.count(i) != 0;
        if (!std::isnan(m_numbers[i]) && m_styleOf[i] == aligned && !noted)
            numbers[k] = m_numbers[i];
        else if (IsEmpty(m_numbers[i]) && m_styleOf[i] == 0 && !noted)
            numbers[k] = kNoNumber;
        else
            others.push_back(int(k));
    }
}

std::optional<double> GridModel::number(int row, int column) const {
    const double stored = m_numbers[cell(row, column)];
    if (std::isnan(stored))
        return std::nullopt;
    return stored;
}

void GridModel::setColors(int row, int column, std::optional<QRgb> fore, std::optional<QRgb> back,
                          Notice notice) {
    Style style = styleOf(row, column);
    style.fore = fore;
    style.back = back;
    setStyle(row, column, style, notice);
}

void GridModel::setAlignment(int row, int column, std::optional<Qt::Alignment> alignment,
                             Notice notice) {
    Style style = styleOf(row, column);
    style.alignment = alignment;
    setStyle(row, column, style, notice);
}

void GridModel::setColorsAndAlignment(int row, int column, std::optional<QRgb> fore,
                                      std::optional<QRgb> back,
                                      std::optional<Qt::Alignment> alignment, Notice notice) {
    setStyle(row, column, Style{fore, back, alignment}, notice);
}

// The roles are named only for a notice that goes out now: a held write,
// one of thousands in a row, must not build a list.
void GridModel::cellChanged(int row, int column, bool style, Notice notice) {
    if (notice == Notice::Held) {
        m_heldRows.add(row);
        m_heldColumns.add(column);
        return;
    }
    const QModelIndex changed = index(row, column);
    if (style)
        emit dataChanged(changed, changed,
                         {Qt::ForegroundRole, Qt::BackgroundRole, Qt::TextAlignmentRole});
    else
        emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

const QString& GridModel::headerText(Qt::Orientation orientation, int section) const {
    return orientation == Qt::Horizontal ? m_columnHeaders[std::size_t(section)]
                                         : m_rowHeaders[std::size_t(section)];
}

void GridModel::setHeaderText(Qt::Orientation orientation, int section, const QString& text,
                              Notice notice) {
    QString& stored = orientation == Qt::Horizontal ? m_columnHeaders[std::size_t(section)]
                                                    : m_rowHeaders[std::size_t(section)];
    if (stored == text)
        return;
    stored = text;
    if (notice == Notice::Now)
        emit headerDataChanged(orientation, section, section);
    else
        (orientation == Qt::Horizontal ? m_heldColumnHeaders : m_heldRowHeaders).add(section);
}

void GridModel::setHeaderAlignment(int column, Qt::Alignment alignment) {
    m_columnHeaderAlignment[std::size_t(column)] = alignment;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void GridModel::releaseHeldNotices() {
    if (!hasHeldNotices())
        return;
    // Cleared before announcing, so that a slot that writes again starts a
    // new record instead of being lost.
    const HeldSpan rows = std::exchange(m_heldRows, HeldSpan());
    const HeldSpan columns = std::exchange(m_heldColumns, HeldSpan());
    const HeldSpan rowHeaders = std::exchange(m_heldRowHeaders, HeldSpan());
    const HeldSpan columnHeaders = std::exchange(m_heldColumnHeaders, HeldSpan());
    if (!rows.empty() && !columns.empty())
        emit dataChanged(index(rows.first, columns.first), index(rows.last, columns.last));
    if (!rowHeaders.empty())
        emit headerDataChanged(Qt::Vertical, rowHeaders.first, rowHeaders.last);
    if (!columnHeaders.empty())
        emit headerDataChanged(Qt::Horizontal, columnHeaders.first, columnHeaders.last);
}

void GridModel::setStyle(int row, int column, const Style& style, Notice notice) {
    const std::uint16_t id = internStyle(style);
    std::uint16_t& stored = m_styleOf[cell(row, column)];
    if (stored == id)
        return;
    stored = id;
    cellChanged(row, column, /*style=*/true, notice);
}

// The program uses a handful of styles (normal, marked, right-aligned), so a
// linear search of the table is cheap. Should the table ever fill up, styles
// that no cell uses any more are dropped before giving up.
std::uint16_t GridModel::internStyle(const Style& style) {
    // A block is written in one style or two, cell after cell.
    if (m_lastStyle < m_styles.size() && m_styles[m_lastStyle] == style)
        return m_lastStyle;
    m_lastStyle = internNewStyle(style);
    return m_lastStyle;
}

std::uint16_t GridModel::internNewStyle(const Style& style) {
    const auto found = std::find(m_styles.begin(), m_styles.end(), style);
    if (found != m_styles.end())
        return std::uint16_t(found - m_styles.begin());

    constexpr std::size_t kLimit = std::numeric_limits<std::uint16_t>::max() + std::size_t(1);
    if (m_styles.size() == kLimit) {
        std::vector<std::uint16_t> renumber(kLimit, 0);
        std::vector<Style> used{Style{}};
        for (std::uint16_t& id : m_styleOf) {
            if (id != 0 && renumber[id] == 0) {
                renumber[id] = std::uint16_t(used.size());
                used.push_back(m_styles[id]);
            }
            id = renumber[id];
        }
        m_styles = std::move(used);
        if (m_styles.size() == kLimit)
            throw ErrorNumerado(NumeroError::Desbordamiento);
        return internNewStyle(style);
    }
    m_styles.push_back(style);
    return std::uint16_t(m_styles.size() - 1);
}
