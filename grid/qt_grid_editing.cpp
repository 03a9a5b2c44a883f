// QtGrid: the user's editing, keys and clicks, and when CellEdited is raised.

#include "app/aviso_lector.h"
#include "grid/grid_model.h"
#include "grid/qt_grid.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QPainter>
#include <QStyleOptionHeader>

// While the user's input is being handled, a finished edit is only noted;
// CellEdited goes out once Qt's own handling of that input is over, so the
// handler never runs inside a selection-model signal or a half-done click.
class QtGrid::UserAction {
public:
    explicit UserAction(QtGrid* grid) : m_grid(grid) { ++grid->m_userActionDepth; }
    ~UserAction() { --m_grid->m_userActionDepth; }
    UserAction(const UserAction&) = delete;
    UserAction& operator=(const UserAction&) = delete;

private:
    QtGrid* m_grid;
};

void QtGrid::cancelEditing() {
    if (!m_editing.isValid())
        return;
    if (QWidget* editor = indexWidget(m_editing))
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    m_editing = QPersistentModelIndex();
    m_committed = false;
}

bool QtGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (!isEnabled())
        return false;
    const bool opening = state() != EditingState;
    if (opening)
        m_delegate->setTypedEdit(trigger == AnyKeyPressed);
    if (!QTableView::edit(index, trigger, event))
        return false;
    if (QWidget* editor = indexWidget(index); opening && editor) {
        m_editing = index;
        m_beforeEdit = readCell(index.row() + 1, index.column() + columnOffset(), NormalColors());
        m_committed = false;
        // Heard as the cell it edits; why the cell was refused, if it was, is
        // its description, for a reader's where-am-I, besides being told as
        // the editor reopens (announceEditedNote).
        editor->setAccessibleName(m_model->cellName(index.row(), index.column()));
        editor->setAccessibleDescription(m_model->note(index.row(), index.column()));
    }
    return true;
}

// Qt tells screen readers of the current cell when it changes, but on
// entering the grid it only names the table: the reader would then not say
// where the user is, nor confirm the value an edit just left there. Told
// after Qt's own notice of the table, so that the cell is what is heard.
void QtGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    QMetaObject::invokeMethod(this, &QtGrid::announceCurrentCell, Qt::QueuedConnection);
}

void QtGrid::announceCurrentCell() {
    const QModelIndex current = currentIndex();
    if (!QAccessible::isActive() || !hasFocus() || !current.isValid())
        return;
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(this);
    QAccessibleTableInterface* cells = table ? table->tableInterface() : nullptr;
    QAccessibleInterface* cell = cells ? cells->cellAt(current.row(), current.column()) : nullptr;
    if (!cell)
        return;
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(table->indexOfChild(cell));
    QAccessible::updateAccessibility(&focus);
}

// A reader presents the reopened editor as the focus and its text, and would
// leave the user to guess why the edit came back; the cell's note says why.
// Told once the reader has had the focus, so that it comes after.
void QtGrid::announceEditedNote() {
    if (m_editing.isValid() && !m_model->note(m_editing.row(), m_editing.column()).isEmpty())
        m_notice->Decir(m_model->data(m_editing, Qt::AccessibleTextRole).toString());
}

void QtGrid::commitData(QWidget* editor) {
    QTableView::commitData(editor);
    if (m_editing.isValid() && indexWidget(m_editing) == editor)
        m_committed = true;
}

void QtGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    std::optional<std::pair<int, int>> finished;
    if (m_editing.isValid() && indexWidget(m_editing) == editor) {
        if (m_committed)
            finished.emplace(m_editing.row() + 1, m_editing.column() + columnOffset());
        m_editing = QPersistentModelIndex();
        m_committed = false;
    }
    // Moving on and opening the next cell's editor is done here, not by Qt,
    // so that CellEdited sees the edit closed and nothing else open.
    if (hint == QAbstractItemDelegate::EditNextItem ||
        hint == QAbstractItemDelegate::EditPreviousItem)
        hint = QAbstractItemDelegate::NoHint;
    QTableView::closeEditor(editor, hint);
    if (finished) {
        m_pendingEdit = finished;
        raisePendingEdit();
    }
}

void QtGrid::endUserEdit(QWidget* editor, GridDelegate::Leave leave, QKeyEvent* key) {
    using Leave = GridDelegate::Leave;
    if (leave == Leave::Cancel) {
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
        return;
    }
    {
        UserAction action(this);
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
        if (leave == Leave::Next || leave == Leave::Previous)
            moveAcross(leave == Leave::Next);
        else if (leave == Leave::ByKey)
            QTableView::keyPressEvent(key);
    }
    raisePendingEdit();
}

// Tab order through the cells: along the row, then on to the next row; it
// stops at either end of the grid.
void QtGrid::moveAcross(bool forward) {
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    const int columns = m_model->columnCount();
    const int position = current.row() * columns + current.column() + (forward ? 1 : -1);
    if (position < 0 || position >= m_model->rowCount() * columns)
        return;
    const QModelIndex next = m_model->index(position / columns, position % columns);
    selectionModel()->setCurrentIndex(next, QItemSelectionModel::NoUpdate);
}

void QtGrid::raisePendingEdit() {
    if (m_userActionDepth > 0 || !m_pendingEdit)
        return;
    const auto [row, col] = *std::exchange(m_pendingEdit, std::nullopt);
    emit CellEdited(row, col);
}

// --- User input -------------------------------------------------------------

void QtGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (m_programMove) {
        const bool autoScroll = hasAutoScroll();
        setAutoScroll(false);
        QTableView::currentChanged(current, previous);
        setAutoScroll(autoScroll);
        return;
    }
    QTableView::currentChanged(current, previous);
    if (current.isValid()) {
        m_viewBehind = false;
        m_row = current.row() + 1;
        m_col = current.column() + columnOffset();
    }
}

// The user acts on the cell the view shows as current; if the program left
// GridControl's current cell on a header, the user's cell takes over.
void QtGrid::adoptViewCurrent() {
    const QModelIndex current = currentIndex();
    if (currentIsFixed() && current.isValid()) {
        m_row = current.row() + 1;
        m_col = current.column() + columnOffset();
    }
}

void QtGrid::keyPressEvent(QKeyEvent* event) {
    if (clipboardKey(event))
        return;
    {
        UserAction action(this);
        adoptViewCurrent();
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && state() != EditingState) {
            // Enter edits the cell rather than falling through to the
            // screen's default button.
            event->setAccepted(edit(currentIndex(), EditKeyPressed, event));
        } else {
            QTableView::keyPressEvent(event);
            // A typed character that opened an editor went into it; it must
            // not also reach the screen.
            if (state() == EditingState)
                event->accept();
        }
    }
    raisePendingEdit();
}

// Raised outside UserAction: the screen's handler may move the current cell
// and show a message box, and no edit of the user's is in flight.
bool QtGrid::clipboardKey(QKeyEvent* event) {
    if (state() == EditingState)
        return false;
    const bool paste = event->matches(QKeySequence::Paste);
    const bool copy = !paste && event->matches(QKeySequence::Copy) &&
                      isSignalConnected(QMetaMethod::fromSignal(&GridControl::CopyRequested));
    if (!paste && !copy)
        return false;
    adoptViewCurrent();
    event->accept();
    if (!paste) {
        emit CopyRequested();
        return true;
    }
    // The program that owns the clipboard may be slow to hand it over: the
    // pointer says so meanwhile, and the screens go on answering.
    if (m_clipboard->Busy())
        return true;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_clipboard->Read(m_largestPaste);
    return true;
}

void QtGrid::clipboardRead(const QString& text, ClipboardReader::Problem problem) {
    QGuiApplication::restoreOverrideCursor();
    if (!isEnabled() || state() == EditingState)
        return; // the user has moved on while the owner took its time
    if (problem != ClipboardReader::Problem::None) {
        emit PasteFailed(problem);
        return;
    }
    emit PasteRequested(text);
    // The user pasted: show where the screen left the current cell.
    syncViewToCurrent();
    if (!currentIsFixed())
        scrollTo(currentIndex());
}

// Typing starts an edit; it never jumps to a matching cell.
void QtGrid::keyboardSearch(const QString&) {}

void QtGrid::mousePressEvent(QMouseEvent* event) {
    // A click in the grid takes the focus from the editor, which ends the
    // edit before the press arrives here. An editor still open now is one
    // that the CellEdited handler reopened to have the entry corrected: the
    // click must not end it a second time.
    if (state() == EditingState) {
        event->accept();
        return;
    }
    {
        UserAction action(this);
        adoptViewCurrent();
        QTableView::mousePressEvent(event);
    }
    raisePendingEdit();
}

void QtGrid::mouseReleaseEvent(QMouseEvent* event) {
    {
        UserAction action(this);
        QTableView::mouseReleaseEvent(event);
    }
    raisePendingEdit();
}

void QtGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    {
        UserAction action(this);
        adoptViewCurrent();
        QTableView::mouseDoubleClickEvent(event);
    }
    raisePendingEdit();
}

bool QtGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_corner && event->type() == QEvent::Paint) {
        QStyleOptionHeader option;
        option.initFrom(m_corner);
        option.rect = m_corner->rect();
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.orientation = Qt::Horizontal;
        option.text = m_cornerText;
        option.textAlignment = m_cornerAlignment;
        QPainter painter(m_corner);
        style()->drawControl(QStyle::CE_Header, &option, &painter, m_corner);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void QtGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyRowHeight();
}
