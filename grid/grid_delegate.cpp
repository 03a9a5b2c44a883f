#include "grid/grid_delegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>

GridDelegate::GridDelegate(QAbstractItemView* view, EndEdit endEdit)
    : QStyledItemDelegate(view), m_view(view), m_endEdit(std::move(endEdit)) {}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyleOptionViewItem plain(option);
    initStyleOption(&plain, index);
    plain.state &= ~QStyle::State_HasFocus;
    if (m_styleDrawsAll || !paintPlainText(painter, plain)) {
        const QWidget* widget = plain.widget;
        (widget ? widget->style() : QApplication::style())
            ->drawControl(QStyle::CE_ItemViewItem, &plain, painter, widget);
    }
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

// One line of text, the only content of the program's cells, drawn as the
// style draws it: its background, then the text within the style's margins,
// elided when it does not fit. The style itself lays the text out three or
// four times to draw it once (for its size, for eliding, to draw), and a
// screen of cells is redrawn after every change to the grid.
bool GridDelegate::paintPlainText(QPainter* painter, const QStyleOptionViewItem& option) const {
    constexpr auto kOther = QStyleOptionViewItem::WrapText |
                            QStyleOptionViewItem::HasCheckIndicator |
                            QStyleOptionViewItem::HasDecoration;
    if (option.features & kOther || option.state & QStyle::State_Editing ||
        option.text.contains(u'\n'))
        return false;
    const QWidget* widget = option.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = option.rect.adjusted(margin, 0, -margin, 0);
    QString shown = option.text;
    const QFontMetricsF metrics(option.font);
    qreal width = metrics.horizontalAdvance(shown);
    if (width > textRect.width()) {
        shown = option.fontMetrics.elidedText(shown, option.textElideMode, textRect.width());
        width = metrics.horizontalAdvance(shown);
    }
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &option, painter, widget);
    QPalette::ColorGroup group = QPalette::Disabled;
    if (option.state & QStyle::State_Enabled)
        group = option.state & QStyle::State_Active ? QPalette::Normal : QPalette::Inactive;
    painter->save();
    painter->setClipRect(option.rect);
    painter->setFont(option.font);
    painter->setPen(option.palette.color(
        group, option.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    // Placed where the style places it, which is not always where
    // drawText(rect, alignment) would.
    qreal x = textRect.left();
    if (option.displayAlignment & Qt::AlignRight)
        x = textRect.left() + textRect.width() - width;
    else if (option.displayAlignment & Qt::AlignHCenter)
        x = textRect.left() + (textRect.width() - width) / 2;
    qreal y = textRect.top();
    if (option.displayAlignment & Qt::AlignBottom)
        y = textRect.top() + textRect.height() - metrics.height();
    else if (option.displayAlignment & Qt::AlignVCenter)
        y = textRect.top() + (textRect.height() - metrics.height()) / 2;
    painter->drawText(QPointF(x, y + metrics.ascent()), shown);
    painter->restore();
    return true;
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
