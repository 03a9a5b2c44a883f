#include "grid/qt_grid.h"

#include "app/conversiones/conversiones.h"
#include "grid/grid_model.h"
#include "solver/error_numerado.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

[[noreturn]] void Refuse(NumeroError numero) {
    throw ErrorNumerado(numero);
}

constexpr int kTwipsPerPixel = 15;
// The classic default column width, 960 twips.
constexpr int kDefaultColumnWidth = 64;

bool SameColour(QRgb a, QRgb b) {
    return (a & RGB_MASK) == (b & RGB_MASK);
}

QEvent::Type SyncEventType() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

} // namespace

// Paints the current cell with a frame instead of a selection fill, which
// would look exactly like a marked cell, and ends edits on the keys that leave
// a cell.
class GridDelegate : public QStyledItemDelegate {
public:
    explicit GridDelegate(QtGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    // An edit started by typing treats Left and Right as "leave the cell".
    void setTypedEdit(bool typed) { m_typedEdit = typed; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem plain(option);
        plain.state &= ~QStyle::State_HasFocus;
        QStyledItemDelegate::paint(painter, plain, index);
        if (index != m_grid->currentIndex() || !m_grid->isEnabled())
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* editor = qobject_cast<QWidget*>(watched);
        if (editor && event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            using Leave = QtGrid::Leave;
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                m_grid->endUserEdit(editor, Leave::Stay, key);
                return true;
            case Qt::Key_Tab:
                m_grid->endUserEdit(
                    editor, key->modifiers() & Qt::ShiftModifier ? Leave::Previous : Leave::Next,
                    key);
                return true;
            case Qt::Key_Backtab:
                m_grid->endUserEdit(editor, Leave::Previous, key);
                return true;
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
                m_grid->endUserEdit(editor, Leave::ByKey, key);
                return true;
            case Qt::Key_Left:
            case Qt::Key_Right:
                if (!m_typedEdit)
                    break;
                m_grid->endUserEdit(editor, Leave::ByKey, key);
                return true;
            case Qt::Key_Escape:
                m_grid->closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
                return true;
            default:
                break;
            }
        }
        return QStyledItemDelegate::eventFilter(watched, event);
    }

private:
    QtGrid* m_grid;
    bool m_typedEdit = false;
};

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

// Marks current-cell changes that the program made, not the user.
class QtGrid::ProgramMove {
public:
    explicit ProgramMove(QtGrid* grid) : m_grid(grid), m_was(grid->m_programMove) {
        grid->m_programMove = true;
    }
    ~ProgramMove() { m_grid->m_programMove = m_was; }
    ProgramMove(const ProgramMove&) = delete;
    ProgramMove& operator=(const ProgramMove&) = delete;

private:
    QtGrid* m_grid;
    bool m_was;
};

QtGrid::QtGrid(const QString& format, QWidget* parent) : QTableView(parent) {
    parseFormat(format);
    setModel(m_model);
    m_delegate = new GridDelegate(this);
    setItemDelegate(m_delegate);

    setSelectionMode(NoSelection);
    setEditTriggers(DoubleClicked | EditKeyPressed | AnyKeyPressed);
    // Tab leaves the grid, like any other control on the screen; inside an
    // edit it moves to the next cell (see GridDelegate).
    setTabKeyNavigation(false);
    setWordWrap(false);
    setShowGrid(true);

    QHeaderView* rows = verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultAlignment(Qt::AlignCenter);
    rows->setHighlightSections(false);
    rows->setSectionsClickable(false);
    rows->setVisible(m_fixedColumn);
    // A fixed width spares the header measuring its texts after every change.
    rows->setFixedWidth(std::max(kDefaultColumnWidth, rows->sizeHint().width()));

    QHeaderView* columns = horizontalHeader();
    columns->setHighlightSections(false);
    columns->setSectionsClickable(false);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setDefaultSectionSize(kDefaultColumnWidth);
    for (int c = 0; c < m_model->columnCount(); ++c)
        columns->resizeSection(c, std::max(kDefaultColumnWidth, columns->sectionSizeHint(c)));

    applyRowHeight();

    m_corner = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    if (m_corner)
        m_corner->installEventFilter(this);

    m_row = m_rowCount > 1 ? 1 : 0;
    // A format with a fixed column and nothing else has no data column.
    m_col = std::min(columnOffset(), columnCountWithFixed() - 1);
    m_viewBehind = true;
    syncViewToCurrent();
}

QtGrid::~QtGrid() = default;

void QtGrid::parseFormat(const QString& format) {
    const qsizetype semicolon = format.indexOf(u';');
    m_fixedColumn = semicolon >= 0;
    const QStringList columns = format.left(m_fixedColumn ? semicolon : format.size()).split(u'|');
    const QStringList rows = m_fixedColumn ? format.mid(semicolon + 1).split(u'|') : QStringList();

    const int offset = columnOffset();
    m_model = new GridModel(int(columns.size()) - offset, this);
    for (qsizetype c = 0; c < columns.size(); ++c) {
        QString text = columns.at(c);
        Qt::Alignment horizontal = Qt::AlignLeft;
        if (text.startsWith(u'<') || text.startsWith(u'^') || text.startsWith(u'>')) {
            horizontal = text.front() == u'^'   ? Qt::AlignHCenter
                         : text.front() == u'>' ? Qt::AlignRight
                                                : Qt::AlignLeft;
            text.remove(0, 1);
        }
        if (c < offset) {
            m_cornerText = text;
            m_cornerAlignment = horizontal | Qt::AlignVCenter;
        } else {
            m_model->setHeaderText(Qt::Horizontal, int(c) - offset, text);
            m_model->setHeaderAlignment(int(c) - offset, horizontal | Qt::AlignVCenter);
        }
    }

    m_rowCount = std::max(1, int(rows.size()));
    m_model->setRows(m_rowCount - 1);
    for (qsizetype r = 1; r < rows.size(); ++r)
        m_model->setHeaderText(Qt::Vertical, int(r) - 1, rows.at(r));
    if (!rows.isEmpty() && !rows.front().isEmpty())
        m_cornerText = rows.front();
}

void QtGrid::applyRowHeight() {
    // Uniform rows: the header never measures them, so 32 767 rows cost
    // nothing to lay out.
    const int height = std::max(16, fontMetrics().height() + 3);
    verticalHeader()->setMinimumSectionSize(height);
    verticalHeader()->setDefaultSectionSize(height);
}

int QtGrid::columnCountWithFixed() const {
    return m_model->columnCount() + columnOffset();
}

QModelIndex QtGrid::modelIndexOfCurrent() const {
    return m_model->index(m_row - 1, m_col - columnOffset());
}

void QtGrid::checkColumn(int col) const {
    if (col < 0 || col >= columnCountWithFixed())
        Refuse(NumeroError::Desbordamiento);
}

// The program moves the current cell in long loops (numbering and filling
// 32 767 rows: some 130 000 moves), and a visible view's selection model
// costs about half a microsecond per move. So GridControl's current cell
// lives here and the view catches up lazily: before it handles any event of
// its own or of its viewport (input, paint, focus), before an edit is
// reopened, and on an event posted at the first move, which the event loop
// delivers as soon as the program's handler returns. The view never scrolls
// to follow the program.
void QtGrid::currentMoved() {
    if (m_editing.isValid() && (currentIsFixed() || modelIndexOfCurrent() != m_editing))
        cancelEditing();
    if (m_viewBehind)
        return;
    m_viewBehind = true;
    QCoreApplication::postEvent(this, new QEvent(SyncEventType()));
}

void QtGrid::syncViewToCurrent() {
    releaseNotices();
    if (!m_viewBehind)
        return;
    m_viewBehind = false;
    if (currentIsFixed())
        return; // fixed cells are header sections, with no index in the view
    const QModelIndex target = modelIndexOfCurrent();
    if (selectionModel()->currentIndex() == target)
        return;
    cancelEditing();
    ProgramMove move(this);
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
}

// The program writes cells in the same long loops. One change notice per
// cell would have the view repaint, and the row header redo its layout, tens
// of thousands of times; so the program's writes reach the model quietly and
// the view hears of them once, as one range, when it catches up on the
// current cell. The model itself is always current: only the notices wait.
void QtGrid::holdNotice() {
    if (!m_heldRows.empty() || !m_heldRowHeaders.empty() || !m_heldColumnHeaders.empty())
        return; // the catch-up event is already on its way
    QCoreApplication::postEvent(this, new QEvent(SyncEventType()));
}

void QtGrid::releaseNotices() {
    // Runs before every event, some of them sent while the grid is still
    // being built and has no model yet.
    if (m_heldRows.empty() && m_heldRowHeaders.empty() && m_heldColumnHeaders.empty())
        return;
    const int rows = m_model->rowCount();
    m_heldRows.limitTo(rows);
    m_heldRowHeaders.limitTo(rows);
    // Cleared before emitting, so that a slot that writes again starts a new
    // record instead of being lost.
    const HeldSpan cellRows = std::exchange(m_heldRows, HeldSpan());
    const HeldSpan cellColumns = std::exchange(m_heldColumns, HeldSpan());
    const HeldSpan rowHeaders = std::exchange(m_heldRowHeaders, HeldSpan());
    const HeldSpan columnHeaders = std::exchange(m_heldColumnHeaders, HeldSpan());
    if (!cellRows.empty() && !cellColumns.empty()) {
        const QModelIndex topLeft = m_model->index(cellRows.first, cellColumns.first);
        const QModelIndex bottomRight = m_model->index(cellRows.last, cellColumns.last);
        emit m_model->dataChanged(topLeft, bottomRight);
    }
    if (!rowHeaders.empty())
        emit m_model->headerDataChanged(Qt::Vertical, rowHeaders.first, rowHeaders.last);
    if (!columnHeaders.empty())
        emit m_model->headerDataChanged(Qt::Horizontal, columnHeaders.first, columnHeaders.last);
}

void QtGrid::cancelEditing() {
    if (!m_editing.isValid())
        return;
    if (QWidget* editor = indexWidget(m_editing))
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    m_editing = QPersistentModelIndex();
    m_committed = false;
}

// --- GridControl -----------------------------------------------------------

void QtGrid::SetRowCount(std::int32_t rows) {
    if (rows < 0 || rows > kMaxRows)
        Refuse(NumeroError::Desbordamiento);
    if (rows == m_rowCount)
        return;
    cancelEditing();
    {
        ProgramMove move(this);
        m_model->setRows(std::max(rows - 1, 0));
    }
    // Notices held for rows that are gone have nothing left to announce.
    const int modelRows = m_model->rowCount();
    m_heldRows.limitTo(modelRows);
    if (m_heldRows.empty())
        m_heldColumns = HeldSpan();
    m_heldRowHeaders.limitTo(modelRows);
    if ((rows == 0) != (m_rowCount == 0))
        horizontalHeader()->setHidden(rows == 0);
    m_rowCount = rows;
    m_row = std::min(m_row, std::max(rows - 1, 0));
    // Removing rows may have moved the view's current index: resync even
    // when GridControl's current cell stayed put.
    currentMoved();
}

std::int32_t QtGrid::RowCount() const {
    return m_rowCount;
}

void QtGrid::SetCurrentRow(std::int32_t row) {
    if (row < 0 || row >= m_rowCount)
        Refuse(NumeroError::Desbordamiento);
    if (row == m_row)
        return;
    m_row = row;
    currentMoved();
}

void QtGrid::SetCurrentRow(double row) {
    if (!std::isfinite(row) || row < std::numeric_limits<std::int32_t>::min() ||
        row > std::numeric_limits<std::int32_t>::max())
        Refuse(NumeroError::Desbordamiento);
    if (row != std::trunc(row))
        Refuse(NumeroError::TiposIncompatibles);
    SetCurrentRow(static_cast<std::int32_t>(row));
}

std::int32_t QtGrid::CurrentRow() const {
    return m_row;
}

void QtGrid::SetCurrentCol(std::int32_t col) {
    checkColumn(col);
    if (col == m_col)
        return;
    m_col = col;
    currentMoved();
}

std::int32_t QtGrid::CurrentCol() const {
    return m_col;
}

QString QtGrid::CellText() const {
    const bool fixedColumn = m_col < columnOffset();
    if (m_row == 0)
        return fixedColumn ? m_cornerText
                           : m_model->headerText(Qt::Horizontal, m_col - columnOffset());
    if (fixedColumn)
        return m_model->headerText(Qt::Vertical, m_row - 1);
    return m_model->text(m_row - 1, m_col - columnOffset());
}

void QtGrid::SetCellText(const QString& text) {
    const bool fixedColumn = m_col < columnOffset();
    if (m_row == 0 && fixedColumn) {
        m_cornerText = text;
        if (m_corner)
            m_corner->update();
    } else if (m_row == 0) {
        holdNotice();
        m_heldColumnHeaders.add(m_col - columnOffset());
        const QSignalBlocker quiet(m_model);
        m_model->setHeaderText(Qt::Horizontal, m_col - columnOffset(), text);
    } else if (fixedColumn) {
        holdNotice();
        m_heldRowHeaders.add(m_row - 1);
        const QSignalBlocker quiet(m_model);
        m_model->setHeaderText(Qt::Vertical, m_row - 1, text);
    } else {
        holdNotice();
        m_heldRows.add(m_row - 1);
        m_heldColumns.add(m_col - columnOffset());
        {
            const QSignalBlocker quiet(m_model);
            m_model->setText(m_row - 1, m_col - columnOffset(), text);
        }
        refreshOpenEditor();
    }
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
    SetCellText(DobleATexto(value, QLocale()));
}

void QtGrid::SetColumnWidth(int col, int twips) {
    checkColumn(col);
    if (twips < 0)
        Refuse(NumeroError::Desbordamiento);
    const int pixels = int((std::int64_t(twips) + kTwipsPerPixel / 2) / kTwipsPerPixel);
    if (col < columnOffset())
        verticalHeader()->setFixedWidth(pixels);
    else
        setColumnWidth(col - columnOffset(), pixels);
}

CellColorPair QtGrid::NormalColors() const {
    return {palette().color(QPalette::Active, QPalette::Base).rgb(),
            palette().color(QPalette::Active, QPalette::Text).rgb()};
}

CellColorPair QtGrid::MarkColors() const {
    return {palette().color(QPalette::Active, QPalette::Highlight).rgb(),
            palette().color(QPalette::Active, QPalette::HighlightedText).rgb()};
}

void QtGrid::SetCellColors(CellColorPair colors) {
    if (currentIsFixed())
        return;
    const CellColorPair normal = NormalColors();
    const auto unlessNormal = [](QRgb colour, QRgb normalColour) -> std::optional<QRgb> {
        if (SameColour(colour, normalColour))
            return std::nullopt;
        return colour;
    };
    holdNotice();
    m_heldRows.add(m_row - 1);
    m_heldColumns.add(m_col - columnOffset());
    const QSignalBlocker quiet(m_model);
    m_model->setColors(m_row - 1, m_col - columnOffset(), unlessNormal(colors.fore, normal.fore),
                       unlessNormal(colors.back, normal.back));
}

void QtGrid::SetCellAlignment(int alignment) {
    if (alignment < 0 || alignment > 8)
        Refuse(NumeroError::Desbordamiento);
    if (currentIsFixed())
        return;
    // Left, centre, right in threes; top, centre, bottom within each three.
    static constexpr Qt::Alignment kHorizontal[] = {Qt::AlignLeft, Qt::AlignHCenter,
                                                    Qt::AlignRight};
    static constexpr Qt::Alignment kVertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    holdNotice();
    m_heldRows.add(m_row - 1);
    m_heldColumns.add(m_col - columnOffset());
    const QSignalBlocker quiet(m_model);
    m_model->setAlignment(m_row - 1, m_col - columnOffset(),
                          kHorizontal[alignment / 3] | kVertical[alignment % 3]);
}

void QtGrid::ReopenEdit() {
    if (!isEnabled() || currentIsFixed())
        return;
    syncViewToCurrent();
    const QModelIndex index = currentIndex();
    scrollTo(index);
    edit(index, AllEditTriggers, nullptr);
}

// --- Editing ---------------------------------------------------------------

bool QtGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (!isEnabled())
        return false;
    const bool opening = state() != EditingState;
    if (opening)
        m_delegate->setTypedEdit(trigger == AnyKeyPressed);
    if (!QTableView::edit(index, trigger, event))
        return false;
    if (opening && indexWidget(index)) {
        m_editing = index;
        m_committed = false;
    }
    return true;
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

void QtGrid::endUserEdit(QWidget* editor, Leave leave, QKeyEvent* key) {
    {
        UserAction action(this);
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
        switch (leave) {
        case Leave::Stay:
            break;
        case Leave::Next:
            moveAcross(true);
            break;
        case Leave::Previous:
            moveAcross(false);
            break;
        case Leave::ByKey:
            QTableView::keyPressEvent(key);
            break;
        }
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

bool QtGrid::event(QEvent* event) {
    syncViewToCurrent();
    if (event->type() == SyncEventType())
        return true;
    return QTableView::event(event);
}

bool QtGrid::viewportEvent(QEvent* event) {
    syncViewToCurrent();
    return QTableView::viewportEvent(event);
}

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
                      isSignalConnected(QMetaMethod::fromSignal(&QtGrid::CopyRequested));
    if (!paste && !copy)
        return false;
    adoptViewCurrent();
    event->accept();
    if (paste)
        emit PasteRequested(QGuiApplication::clipboard()->text());
    else
        emit CopyRequested();
    return true;
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

// QTableView's corner is a blank button; with a fixed column it is the
// header of that column, and shows its text.
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
