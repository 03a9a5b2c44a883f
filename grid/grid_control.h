#pragma once
// What the screens ask of a grid of text cells. Rows and columns count from 0
// and include the fixed header row (and, where there is one, the fixed row
// header column). Text, colours and alignment are read and written on the
// current cell, as a person would select a cell and then act on it.
// An operation the grid refuses throws ErrorNumerado.

#include <QRgb>
#include <QString>

#include <cstdint>

struct CellColorPair {
    QRgb back; // background
    QRgb fore; // text
};

class GridControl {
public:
    virtual ~GridControl() = default;

    // Rows including the header row; a negative count is refused.
    virtual void SetRowCount(std::int32_t rows) = 0;
    virtual std::int32_t RowCount() const = 0;

    virtual void SetCurrentRow(std::int32_t row) = 0;
    // Integer-valued doubles are accepted; anything else is refused.
    virtual void SetCurrentRow(double row) = 0;
    virtual std::int32_t CurrentRow() const = 0;
    virtual void SetCurrentCol(std::int32_t col) = 0;
    virtual std::int32_t CurrentCol() const = 0;

    // "" when the cell is empty.
    virtual QString CellText() const = 0;
    virtual void SetCellText(const QString& text) = 0;
    virtual void SetCellText(std::int32_t value) = 0;
    // Stored in the program's double-to-text form (DobleATexto, user's locale).
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

    // Puts the current cell back into editing, with its text.
    virtual void ReopenEdit() = 0;

    // The CellEdited(row, col) notification is a Qt signal of the widget that
    // implements this contract (QtGrid).
};
