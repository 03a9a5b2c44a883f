#pragma once
// The grid of text cells the screens use, on Qt's model/view. The fixed row
// and the fixed column are the view's header sections, so assistive tools
// see a table with headers; GridControl's row and column numbers count them
// (its row r is model row r - 1, and with a fixed column, its column c is
// model column c - 1).
//
// Editing, spreadsheet-style: typing on a cell starts editing it with the
// typed text; F2, Enter or a double click edit the existing text. Enter ends
// the edit and stays on the cell; Tab and Shift+Tab end it and move to the
// next or previous cell; Up, Down, Page Up and Page Down end it and move;
// Left and Right do too when the edit was started by typing (otherwise they
// move the caret). Leaving the cell in any other way (a click elsewhere, the
// focus leaving the grid) also ends the edit. Escape cancels it.
//
// CellEdited(row, col) is raised once for every edit the user ends, after
// the editor has closed and the current cell has moved, so that a handler can
// inspect the cell, move the current cell and call ReopenEdit(). Nothing the
// program does raises it: an edit still open when the program moves the
// current cell or changes the row count is cancelled.

#include "grid/grid_control.h"
#include "grid/grid_delegate.h"

#include <QPersistentModelIndex>
#include <optional>
#include <utility>

class GridModel;
class AvisoLector;

class QtGrid final : public GridControl {
    Q_OBJECT

public:
    // format: the design-time content, as ParseGridFormat reads it
    // (grid/grid_format.h): "^ n |^A|^B|^C|^D;|1|2|3".
    explicit QtGrid(const QString& format, QWidget* parent = nullptr);
    ~QtGrid() override;

    GridModel* gridModel() const { return m_model; }
    bool hasFixedColumn() const { return m_fixedColumn; }
    // An editor is open on a cell.
    bool isEditing() const { return state() == EditingState; }

    // The grid refuses with ErrorNumerado(Desbordamiento): a negative row
    // count or one beyond kMaxRows, a current row or column outside the grid,
    // a negative width, an alignment outside 0 … 8.
    static constexpr std::int32_t kMaxRows = 1 << 22;

    void SetRowCount(std::int32_t rows) override;
    std::int32_t RowCount() const override;
    void SetCurrentRow(std::int32_t row) override;
    std::int32_t CurrentRow() const override;
    void SetCurrentCol(std::int32_t col) override;
    std::int32_t CurrentCol() const override;
    QString CellText() const override;
    void SetCellText(const QString& text) override;
    void SetCellText(std::int32_t value) override;
    void SetCellText(double value) override;
    std::vector<GridCell> Block(std::int32_t row, std::int32_t col, std::int32_t rows,
                                std::int32_t cols) const override;
    void SetBlock(std::int32_t row, std::int32_t col, std::int32_t cols,
                  const std::vector<GridCell>& cells) override;
    GridBlock KeepBlock(std::int32_t row, std::int32_t col, std::int32_t rows, std::int32_t cols,
                        int alignment) const override;
    void SetBlock(const GridBlock& block) override;
    QStringList BlockText(std::int32_t row, std::int32_t col, std::int32_t rows,
                          std::int32_t cols) const override;
    std::vector<double> ColumnNumbers(std::int32_t col, std::int32_t firstRow,
                                      std::int32_t rows) const override;
    void SetColumnNumbers(std::int32_t col, std::int32_t firstRow,
                          const std::vector<double>& numbers, int alignment = -1) override;
    void SetColumnText(std::int32_t col, std::int32_t firstRow, const QStringList& texts,
                       std::optional<int> alignment = std::nullopt) override;
    GridCell CellBeforeEdit() const override { return m_beforeEdit; }
    // 15 twips to a pixel, the unit of the screens' layout; for a fixed
    // column 0 the width is that of the row header.
    void SetColumnWidth(int col, int twips) override;
    CellColorPair NormalColors() const override;
    CellColorPair MarkColors() const override;
    // On a fixed cell, colours and alignment are ignored. Colours equal to
    // NormalColors() are stored as "none", so such cells follow the palette
    // (a disabled grid greys them out like any other).
    void SetCellColors(CellColorPair colors) override;
    void SetCellAlignment(int alignment) override;
    // Does nothing on a fixed cell.
    void SetCellNote(const QString& note) override;
    // Does nothing on a fixed cell or a disabled grid.
    void ReopenEdit() override;

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyboardSearch(const QString& search) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

protected slots:
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void announceCurrentCell();
    void announceEditedNote();
    class UserAction;
    class ProgramMove;

    void applyFormat(const QString& format);
    void applyRowHeight();
    int columnOffset() const { return m_fixedColumn ? 1 : 0; }
    int columnCountWithFixed() const;
    bool currentIsFixed() const { return m_row < 1 || m_col < columnOffset(); }
    QModelIndex modelIndexOfCurrent() const;
    [[noreturn]] static void refuse();
    void checkColumn(int col) const;
    void checkBlock(std::int32_t row, std::int32_t col, std::int32_t rows, std::int32_t cols) const;
    const QString& readText(std::int32_t row, std::int32_t col) const;
    GridCell readCell(std::int32_t row, std::int32_t col, const CellColorPair& normal) const;
    void writeCell(std::int32_t row, std::int32_t col, const GridCell& cell,
                   const CellColorPair& normal);
    void currentMoved();
    void syncViewToCurrent();
    void postCatchUp();
    void cancelEditing();
    void refreshOpenEditor();
    void endUserEdit(QWidget* editor, GridDelegate::Leave leave, QKeyEvent* key);
    void moveAcross(bool forward);
    void adoptViewCurrent();
    bool clipboardKey(QKeyEvent* event);
    void clipboardRead(const QString& text, ClipboardReader::Problem problem);
    void raisePendingEdit();

    GridModel* m_model = nullptr;
    GridDelegate* m_delegate = nullptr;
    AvisoLector* m_notice = nullptr;
    ClipboardReader* m_clipboard = nullptr;
    QWidget* m_corner = nullptr;
    bool m_fixedColumn = false;
    QString m_cornerText;
    Qt::Alignment m_cornerAlignment = Qt::AlignCenter;

    std::int32_t m_rowCount = 0;
    std::int32_t m_row = 0;
    std::int32_t m_col = 0;
    bool m_viewBehind = false; // the view's current index lags behind m_row, m_col
    bool m_catchUpPosted = false;

    QPersistentModelIndex m_editing; // the cell whose editor is open
    GridCell m_beforeEdit;           // that cell when its editor opened
    bool m_committed = false;        // its text was stored
    std::optional<std::pair<int, int>> m_pendingEdit;
    int m_userActionDepth = 0;
    bool m_programMove = false;
};
