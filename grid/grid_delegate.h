#pragma once
// How a grid's cells are painted and edited: the current cell framed rather
// than filled (a fill would look exactly like a marked cell), and the keys
// that leave a cell ending its edit, spreadsheet-style.

#include <QStyledItemDelegate>

#include <functional>

class QAbstractItemView;
class QKeyEvent;

class GridDelegate : public QStyledItemDelegate {
public:
    // Where the current cell goes once an edit ends: nowhere (Enter), along
    // the row (Tab, Shift+Tab), where the key takes it (arrows, pages); or
    // the edit is cancelled (Escape).
    enum class Leave { Stay, Next, Previous, ByKey, Cancel };
    using EndEdit = std::function<void(QWidget* editor, Leave leave, QKeyEvent* key)>;

    GridDelegate(QAbstractItemView* view, EndEdit endEdit);

    // An edit started by typing treats Left and Right as "leave the cell";
    // otherwise they move the caret.
    void setTypedEdit(bool typed) { m_typedEdit = typed; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // Every cell drawn by the style alone, as a reference for the quicker
    // drawing of plain text.
    void setStyleDrawsAll(bool all) { m_styleDrawsAll = all; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView* m_view;
    EndEdit m_endEdit;
    bool m_typedEdit = false;
    bool m_styleDrawsAll = false;

    bool paintPlainText(QPainter* painter, const QStyleOptionViewItem& option) const;
};
