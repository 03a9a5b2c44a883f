#include "grid/grid_delegate.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QPainter>

GridDelegate::GridDelegate(QAbstractItemView* view, EndEdit endEdit)
    : QStyledItemDelegate(view), m_view(view), m_endEdit(std::move(endEdit)) {}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyleOptionViewItem plain(option);
    plain.state &= ~QStyle::State_HasFocus;
    QStyledItemDelegate::paint(painter, plain, index);
    if (index != m_view->currentIndex() || !m_view->isEnabled())
        return;
    QColor frame = option.palette.color(QPalette::Highlight);
    const QVariant back = index.data(Qt::BackgroundRole);
    if (back.isValid() && qvariant_cast<QBrush>(back).color() == frame)
        frame = option.palette.color(QPalette::HighlightedText);
    painter->save();
    painter->setPen(QPen(frame, 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
    painter->restore();
}

bool GridDelegate::eventFilter(QObject* watched, QEvent* event) {
    auto* editor = qobject_cast<QWidget*>(watched);
    if (!editor || event->type() != QEvent::KeyPress)
        return QStyledItemDelegate::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_endEdit(editor, Leave::Stay, key);
        return true;
    case Qt::Key_Tab:
        m_endEdit(editor, shift ? Leave::Previous : Leave::Next, key);
        return true;
    case Qt::Key_Backtab:
        m_endEdit(editor, Leave::Previous, key);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        m_endEdit(editor, Leave::ByKey, key);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (!m_typedEdit)
            break;
        m_endEdit(editor, Leave::ByKey, key);
        return true;
    case Qt::Key_Escape:
        m_endEdit(editor, Leave::Cancel, key);
        return true;
    default:
        break;
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}
