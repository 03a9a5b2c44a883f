#pragma once
// The grid of text cells as the screens use it. Rows and columns count from 0
// and include the fixed header row (and, where there is one, the fixed row
// header column). Text, colours and alignment are read and written on the
// current cell, as a person would select a cell and then act on it.
// An operation the grid refuses throws ErrorNumerado(Desbordamiento).
//
// A grid is a table view, so the screens place it, name it for assistive
// tools, enable it and give it the focus as any other control; QtGrid is the
// implementation.

#include "grid/clipboard_reader.h"

#include <QRgb>
#include <QString>
#include <QTableView>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

struct CellColorPair {
    QRgb back; // background
    QRgb fore; // text
};

// A cell as the bulk operations read and write it. A block read fills every
// field but one: a cell written as a number has it in `number` and no `text`,
// any other cell its text and no `number`. On writing, a field left empty
// (std::nullopt) leaves that part of the cell as it was, and a number wins
// over a text. Writing either ends the cell's note, as SetCellText does.
struct GridCell {
    std::optional<QString> text;
    std::optional<CellColorPair> colors;
    std::optional<int> alignment; // as SetCellAlignment takes it; -1: the grid's own
    std::optional<QString> note;
    std::optional<double> number; // shown as SetCellText(double) shows it
};

// A block of cells as it is best kept for long, as an undo record is: whole
// columns of numbers, as SetColumnNumbers writes them (a NaN: an empty
// cell), and any cell that is something else as a GridCell of its own. A
// whole system of checked cells takes a tenth of the memory that a GridCell
// for each would.
struct GridBlock {
    std::int32_t row = 0;
    std::int32_t col = 0;
    std::int32_t rows = 0;
    std::int32_t cols = 0;
    int alignment = -1;                       // of the cells kept as numbers
    std::vector<std::vector<double>> columns; // cols columns of rows numbers
    // By place in the block, row by row, in that order; their numbers in
    // `columns` are NaN.
    std::vector<std::pair<std::size_t, GridCell>> others;
};

// A block of the one cell (row, col), which becomes `cell`: the parts that
// cell leaves empty become plain.
inline GridBlock CellBlock(std::int32_t row, std::int32_t col, GridCell cell) {
    GridBlock block{row, col, 1, 1, -1, {{std::numeric_limits<double>::quiet_NaN()}}, {}};
    block.others.emplace_back(0, std::move(cell));
    return block;
}

class GridControl : public QTableView {
    Q_OBJECT

public:
    using QTableView::QTableView;

    // Rows including the header row; a negative count is refused.
    virtual void SetRowCount(std::int32_t rows) = 0;
    virtual std::int32_t RowCount() const = 0;

    virtual void SetCurrentRow(std::int32_t row) = 0;
    virtual std::int32_t CurrentRow() const = 0;
    virtual void SetCurrentCol(std::int32_t col) = 0;
    virtual std::int32_t CurrentCol() const = 0;

    // "" when the cell is empty.
    virtual QString CellText() const = 0;
    virtual void SetCellText(const QString& text) = 0;
    virtual void SetCellText(std::int32_t value) = 0;
    // Kept as the number, shown in the program's double-to-text form
    // (DobleATexto, user's locale).
    virtual void SetCellText(double value) = 0;

    virtual void SetColumnWidth(int col, int twips) = 0;

    // The grid's own colours: window pair for normal cells, highlight pair
    // for cells that must catch the eye.
    virtual CellColorPair NormalColors() const = 0;
    virtual CellColorPair MarkColors() const = 0;
    // Sets the current cell's text colour, then its background.
    virtual void SetCellColors(CellColorPair colors) = 0;

    // 7: right-aligned, vertically centred (the only value the program uses;
    // 0..8 follow the left/centre/right × top/centre/bottom grid).
    virtual void SetCellAlignment(int alignment) = 0;

    // What a screen reader adds to the current cell, and to its editor, until
    // the cell is written again: why its content was refused. Empty: nothing.
    virtual void SetCellNote(const QString& note) = 0;

    // Puts the current cell back into editing, with its text.
    virtual void ReopenEdit() = 0;

    // Bulk operations, beside the cursor ones: a block of cells, row by row,
    // read or written in one go with one notice to the view, the current cell
    // left where it is. Rows and columns count as for the current cell; a
    // block reaching outside the grid is refused. In the fixed row and column
    // only the text is kept.
    virtual std::vector<GridCell> Block(std::int32_t row, std::int32_t col, std::int32_t rows,
                                        std::int32_t cols) const = 0;
    // cells.size() is a whole number of rows of `cols` cells.
    virtual void SetBlock(std::int32_t row, std::int32_t col, std::int32_t cols,
                          const std::vector<GridCell>& cells) = 0;
    // A block kept as GridBlock keeps it, the cells that hold a number with
    // the normal colours, that alignment and no note as numbers.
    virtual GridBlock KeepBlock(std::int32_t row, std::int32_t col, std::int32_t rows,
                                std::int32_t cols, int alignment) const = 0;
    // Writes a kept block back: every cell as it was kept.
    virtual void SetBlock(const GridBlock& block) = 0;
    // The cell whose edit just ended, as it was when its editor opened: what
    // an undo of that edit brings back. Meant for CellEdited's handler.
    virtual GridCell CellBeforeEdit() const = 0;

    // A column from firstRow down: its texts and, when given, one alignment
    // for them all. The cheaper write for a long column.
    virtual void SetColumnText(std::int32_t col, std::int32_t firstRow, const QStringList& texts,
                               std::optional<int> alignment = std::nullopt) = 0;
    // The texts alone, the cheaper read.
    virtual QStringList BlockText(std::int32_t row, std::int32_t col, std::int32_t rows,
                                  std::int32_t cols) const = 0;
    // A column's numbers from firstRow down, NaN where a cell holds none
    // (its text, if any, is read with BlockText): the cheapest read of tens
    // of thousands, as nothing is written out.
    virtual std::vector<double> ColumnNumbers(std::int32_t col, std::int32_t firstRow,
                                              std::int32_t rows) const = 0;
    // The cells of a column from firstRow down become these numbers in the
    // normal colours and with that alignment, their notes ended: as a whole
    // column of checked cells is written. A NaN leaves an empty cell with
    // the grid's own alignment.
    virtual void SetColumnNumbers(std::int32_t col, std::int32_t firstRow,
                                  const std::vector<double>& numbers, int alignment = -1) = 0;

    // The most the clipboard may hold for a paste, in bytes of text: beyond
    // it the transfer stops and the paste fails.
    void SetLargestPaste(qsizetype bytes) { m_largestPaste = bytes; }

protected:
    qsizetype m_largestPaste = 64 << 20;

signals:
    // The user finished editing the cell (row, col).
    void CellEdited(int row, int col);
    // Ctrl+V with no editor open (an open editor pastes into itself): the
    // clipboard's text, for the screen to place and check; a grid knows no
    // rules for what a cell may hold. The current cell is then the one the
    // user sees as current, and the one the handler leaves current is shown.
    void PasteRequested(const QString& text);
    // Ctrl+V found nothing to paste: no text, an owner that did not answer in
    // time, or more than the largest paste.
    void PasteFailed(ClipboardReader::Problem problem);
    // Ctrl+C with no editor open, when a screen listens: it decides what a
    // copy holds. With no listener the current cell's text is copied.
    void CopyRequested();
};
