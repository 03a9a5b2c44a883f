// QtGrid: what its cells hold, read and written one at a time at the current
// cell or a block at a time. Both go through readCell and writeCell, so a
// block written in one go leaves the cells as the same writes made one by one
// would; only the view hears of it once.

#include "app/conversiones/conversiones.h"
#include "grid/grid_model.h"
#include "grid/qt_grid.h"
#include "solver/error_numerado.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr auto kHeld = GridModel::Notice::Held;

bool SameColour(QRgb a, QRgb b) {
    return (a & RGB_MASK) == (b & RGB_MASK);
}

// SetCellAlignment's codes: left, centre, right in threes; top, centre,
// bottom within each three.
constexpr Qt::Alignment kHorizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
constexpr Qt::Alignment kVertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};

std::optional<Qt::Alignment> AlignmentOfCode(int code) {
    if (code < 0)
        return std::nullopt;
    return kHorizontal[code / 3] | kVertical[code % 3];
}

int CodeOfAlignment(std::optional<Qt::Alignment> alignment) {
    for (int code = 0; alignment && code < 9; ++code)
        if (*alignment == AlignmentOfCode(code))
            return code;
    return -1;
}

} // namespace

void QtGrid::refuse() {
    throw ErrorNumerado(NumeroError::Desbordamiento);
}

void QtGrid::checkBlock(std::int32_t row, std::int32_t col, std::int32_t rows,
                        std::int32_t cols) const {
    if (row < 0 || col < 0 || rows < 0 || cols < 0 || rows > m_rowCount - row ||
        cols > columnCountWithFixed() - col)
        refuse();
}

const QString& QtGrid::readText(std::int32_t row, std::int32_t col) const {
    const bool fixedColumn = col < columnOffset();
    if (row == 0)
        return fixedColumn ? m_cornerText
                           : m_model->headerText(Qt::Horizontal, col - columnOffset());
    if (fixedColumn)
        return m_model->headerText(Qt::Vertical, row - 1);
    return m_model->text(row - 1, col - columnOffset());
}

GridCell QtGrid::readCell(std::int32_t row, std::int32_t col, const CellColorPair& normal) const {
    if (row == 0 || col < columnOffset())
        return GridCell{readText(row, col), normal, -1, QString(), {}};
    const int r = row - 1, c = col - columnOffset();
    GridCell cell{{}, normal, -1, QString(), m_model->number(r, c)};
    if (!cell.number)
        cell.text = m_model->text(r, c);
    cell.colors = CellColorPair{m_model->background(r, c).value_or(cell.colors->back),
                                m_model->foreground(r, c).value_or(cell.colors->fore)};
    cell.alignment = CodeOfAlignment(m_model->alignment(r, c));
    cell.note = m_model->note(r, c);
    return cell;
}

// Notices are held: the view hears of the writes as one range when it next
// catches up, right after the program's handler returns.
void QtGrid::writeCell(std::int32_t row, std::int32_t col, const GridCell& cell,
                       const CellColorPair& normal) {
    const bool fixedColumn = col < columnOffset();
    if (row == 0 || fixedColumn) {
        if (!cell.text && !cell.number)
            return;
        const QString text = cell.number ? DobleATexto(*cell.number, QLocale()) : *cell.text;
        if (row == 0 && fixedColumn) {
            m_cornerText = text;
            if (m_corner)
                m_corner->update();
        } else if (row == 0) {
            m_model->setHeaderText(Qt::Horizontal, col - columnOffset(), text, kHeld);
        } else {
            m_model->setHeaderText(Qt::Vertical, row - 1, text, kHeld);
        }
        postCatchUp();
        return;
    }
    const int r = row - 1, c = col - columnOffset();
    if (cell.number)
        m_model->setNumber(r, c, *cell.number, kHeld);
    else if (cell.text)
        m_model->setText(r, c, *cell.text, kHeld);
    const auto unlessNormal = [](QRgb colour, QRgb normalColour) -> std::optional<QRgb> {
        if (SameColour(colour, normalColour))
            return std::nullopt;
        return colour;
    };
    if (cell.colors && cell.alignment)
        m_model->setColorsAndAlignment(r, c, unlessNormal(cell.colors->fore, normal.fore),
                                       unlessNormal(cell.colors->back, normal.back),
                                       AlignmentOfCode(*cell.alignment), kHeld);
    else if (cell.colors)
        m_model->setColors(r, c, unlessNormal(cell.colors->fore, normal.fore),
                           unlessNormal(cell.colors->back, normal.back), kHeld);
    else if (cell.alignment)
        m_model->setAlignment(r, c, AlignmentOfCode(*cell.alignment), kHeld);
    if (cell.note)
        m_model->setNote(r, c, *cell.note);
    postCatchUp();
}

std::vector<GridCell> QtGrid::Block(std::int32_t row, std::int32_t col, std::int32_t rows,
                                    std::int32_t cols) const {
    checkBlock(row, col, rows, cols);
    std::vector<GridCell> cells;
    cells.reserve(std::size_t(rows) * std::size_t(cols));
    const CellColorPair normal = NormalColors();
    for (std::int32_t r = row; r < row + rows; ++r)
        for (std::int32_t c = col; c < col + cols; ++c)
            cells.push_back(readCell(r, c, normal));
    return cells;
}

QStringList QtGrid::BlockText(std::int32_t row, std::int32_t col, std::int32_t rows,
                              std::int32_t cols) const {
    checkBlock(row, col, rows, cols);
    QStringList texts; // sharing the grid's strings, not copying them
    texts.reserve(qsizetype(rows) * cols);
    for (std::int32_t r = row; r < row + rows; ++r)
        for (std::int32_t c = col; c < col + cols; ++c)
            texts << readText(r, c);
    return texts;
}

std::vector<double> QtGrid::ColumnNumbers(std::int32_t col, std::int32_t firstRow,
                                          std::int32_t rows) const {
    checkBlock(firstRow, col, rows, 1);
    std::vector<double> numbers(std::size_t(rows), std::numeric_limits<double>::quiet_NaN());
    if (col < columnOffset())
        return numbers;
    for (std::int32_t r = std::max(firstRow, 1); r < firstRow + rows; ++r)
        if (const auto number = m_model->number(r - 1, col - columnOffset()))
            numbers[std::size_t(r - firstRow)] = *number;
    return numbers;
}

void QtGrid::SetBlock(std::int32_t row, std::int32_t col, std::int32_t cols,
                      const std::vector<GridCell>& cells) {
    if (cols <= 0 || cells.size() % std::size_t(cols) != 0 ||
        cells.size() / std::size_t(cols) > std::size_t(m_rowCount))
        refuse();
    checkBlock(row, col, std::int32_t(cells.size() / std::size_t(cols)), cols);
    const CellColorPair normal = NormalColors();
    for (std::size_t i = 0; i < cells.size(); ++i)
        writeCell(row + std::int32_t(i / cols), col + std::int32_t(i % cols), cells[i], normal);
    refreshOpenEditor();
}

GridBlock QtGrid::KeepBlock(std::int32_t row, std::int32_t col, std::int32_t rows,
                            std::int32_t cols, int alignment) const {
    checkBlock(row, col, rows, cols);
    if (alignment < -1 || alignment > 8)
        refuse();
    GridBlock block{row, col, rows, cols, alignment, {}, {}};
    block.columns.assign(
        std::size_t(cols),
        std::vector<double>(std::size_t(rows), std::numeric_limits<double>::quiet_NaN()));
    std::vector<std::size_t> others; // places in the block
    const std::int32_t firstDataRow = std::max(row, 1);
    for (std::int32_t c = 0; c < cols; ++c) {
        std::vector<int> runOthers; // places in the column's data rows
        if (col + c >= columnOffset() && firstDataRow < row + rows)
            m_model->columnNumbers(
                col + c - columnOffset(), firstDataRow - 1,
                std::span(block.columns[std::size_t(c)]).subspan(std::size_t(firstDataRow - row)),
                AlignmentOfCode(alignment), runOthers);
        else
            for (std::int32_t r = firstDataRow; r < row + rows; ++r)
                runOthers.push_back(r - firstDataRow);
        for (std::int32_t r = row; r < firstDataRow; ++r) // the header row
            others.push_back(std::size_t(r - row) * cols + c);
        for (const int k : runOthers)
            others.push_back(std::size_t(firstDataRow - row + k) * cols + c);
    }
    std::sort(others.begin(), others.end());
    const CellColorPair normal = NormalColors();
    block.others.reserve(others.size());
    for (const std::size_t place : others)
        block.others.emplace_back(place, readCell(row + std::int32_t(place / cols),
                                                  col + std::int32_t(place % cols), normal));
    return block;
}

void QtGrid::SetBlock(const GridBlock& block) {
    checkBlock(block.row, block.col, block.rows, block.cols);
    const auto inside = [&block](const auto& other) {
        return other.first < std::size_t(block.rows) * std::size_t(block.cols);
    };
    if (block.alignment < -1 || block.alignment > 8 ||
        block.columns.size() != std::size_t(block.cols) ||
        std::any_of(block.columns.begin(), block.columns.end(),
                    [&block](const auto& c) { return c.size() != std::size_t(block.rows); }) ||
        !std::all_of(block.others.begin(), block.others.end(), inside))
        refuse();
    // Headers take no numbers: the block's data cells only.
    const std::int32_t firstDataRow = std::max(block.row, 1);
    const std::int32_t firstDataCol = std::max(block.col, columnOffset());
    std::vector<std::span<const double>> columns;
    for (std::int32_t c = firstDataCol - block.col; c < block.cols; ++c)
        if (firstDataRow < block.row + block.rows)
            columns.push_back(std::span(block.columns[std::size_t(c)])
                                  .subspan(std::size_t(firstDataRow - block.row)));
    m_model->setColumnsNumbers(firstDataCol - columnOffset(), firstDataRow - 1, columns,
                               AlignmentOfCode(block.alignment));
    const CellColorPair normal = NormalColors();
    for (const auto& [place, cell] : block.others)
        writeCell(block.row + std::int32_t(place / block.cols),
                  block.col + std::int32_t(place % block.cols), cell, normal);
    postCatchUp();
    refreshOpenEditor();
}

void QtGrid::SetColumnText(std::int32_t col, std::int32_t firstRow, const QStringList& texts,
                           std::optional<int> alignment) {
    if (alignment && (*alignment < -1 || *alignment > 8))
        refuse();
    if (texts.size() > m_rowCount)
        refuse();
    checkBlock(firstRow, col, std::int32_t(texts.size()), 1);
    const CellColorPair normal = NormalColors();
    GridCell cell{QString(), {}, alignment, {}, {}};
    // One at a time: the header row, and every row when there is an
    // alignment to set; the rest in one pass.
    const qsizetype oneByOne =
        alignment ? texts.size() : std::min<qsizetype>(texts.size(), firstRow == 0 ? 1 : 0);
    for (qsizetype i = 0; i < oneByOne; ++i) {
        cell.text = texts[i];
        writeCell(firstRow + std::int32_t(i), col, cell, normal);
    }
    if (const auto rest = std::span(texts).subspan(std::size_t(oneByOne)); !rest.empty()) {
        const int firstModelRow = firstRow + int(oneByOne) - 1;
        if (col < columnOffset())
            m_model->setHeaderTexts(Qt::Vertical, firstModelRow, rest);
        else
            m_model->setColumnTexts(col - columnOffset(), firstModelRow, rest);
        postCatchUp();
    }
    refreshOpenEditor();
}

void QtGrid::SetColumnNumbers(std::int32_t col, std::int32_t firstRow,
                              const std::vector<double>& numbers, int alignment) {
    if (alignment < -1 || alignment > 8 || numbers.size() > std::size_t(m_rowCount))
        refuse();
    checkBlock(firstRow, col, std::int32_t(numbers.size()), 1);
    if (firstRow == 0 || col < columnOffset()) { // headers: text only, one at a time
        const CellColorPair normal = NormalColors();
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            GridCell cell{QString(), normal, alignment, QString(), numbers[i]};
            if (std::isnan(numbers[i]))
                cell = {QString(), normal, -1, QString(), {}};
            writeCell(firstRow + std::int32_t(i), col, cell, normal);
        }
    } else {
        m_model->setColumnNumbers(col - columnOffset(), firstRow - 1, std::span(numbers),
                                  AlignmentOfCode(alignment));
        postCatchUp();
    }
    refreshOpenEditor();
}

// --- the current cell ------------------------------------------------------------

QString QtGrid::CellText() const {
    return readText(m_row, m_col);
}

void QtGrid::SetCellText(const QString& text) {
    writeCell(m_row, m_col, {text, {}, {}, {}, {}}, NormalColors());
    refreshOpenEditor();
}

// An edit stays open only on the current cell, so a write there is a write
// to the cell being edited. The editor shows it at once: left with the old
// text until the held notice arrives, it would put that text back if it
// lost the focus first (the grid disabled, another window activated).
void QtGrid::refreshOpenEditor() {
    if (!m_editing.isValid())
        return;
    if (QWidget* editor = indexWidget(m_editing))
        m_delegate->setEditorData(editor, m_editing);
}

void QtGrid::SetCellText(std::int32_t value) {
    SetCellText(EnteroATexto(value));
}

void QtGrid::SetCellText(double value) {
    writeCell(m_row, m_col, {{}, {}, {}, {}, value}, NormalColors());
    refreshOpenEditor();
}

void QtGrid::SetCellColors(CellColorPair colors) {
    writeCell(m_row, m_col, {{}, colors, {}, {}, {}}, NormalColors());
}

void QtGrid::SetCellAlignment(int alignment) {
    if (alignment < 0 || alignment > 8)
        refuse();
    writeCell(m_row, m_col, {{}, {}, alignment, {}, {}}, NormalColors());
}

void QtGrid::SetCellNote(const QString& note) {
    writeCell(m_row, m_col, {{}, {}, {}, note, {}}, NormalColors());
}
