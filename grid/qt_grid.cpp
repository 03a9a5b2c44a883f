// QtGrid: its construction, GridControl's operations, and how the view keeps
// up with the program's long loops of moves and writes.

#include "grid/qt_grid.h"

#include "app/aviso_lector.h"
#include "grid/grid_format.h"
#include "grid/grid_model.h"
#include "solver/error_numerado.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QHeaderView>
#include <algorithm>
#include <utility>

namespace {

constexpr int kTwipsPerPixel = 15;
// The classic default column width, 960 twips.
constexpr int kDefaultColumnWidth = 64;

QEvent::Type SyncEventType() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

// The fixed column. The table asks its size at every relayout, and the
// header would measure the texts of two hundred rows to answer, though its
// width is fixed and the answer unused: a file opened or a count confirmed
// paid for that.
class RowHeader : public QHeaderView {
public:
    explicit RowHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {}

    QSize sizeHint() const override {
        if (minimumWidth() == maximumWidth())
            return {maximumWidth(), defaultSectionSize()};
        return QHeaderView::sizeHint();
    }
};

} // namespace

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

QtGrid::QtGrid(const QString& format, QWidget* parent) : GridControl(parent) {
    applyFormat(format);
    setModel(m_model);
    m_delegate = new GridDelegate(this, [this](QWidget* editor, GridDelegate::Leave leave,
                                               QKeyEvent* key) { endUserEdit(editor, leave, key); });
    setItemDelegate(m_delegate);
    m_notice = new AvisoLector(this);
    m_clipboard = new ClipboardReader(this);
    connect(m_clipboard, &ClipboardReader::finished, this, &QtGrid::clipboardRead);

    setSelectionMode(NoSelection);
    setEditTriggers(DoubleClicked | EditKeyPressed | AnyKeyPressed);
    // Tab leaves the grid, like any other control on the screen; inside an
    // edit it moves to the next cell (see GridDelegate).
    setTabKeyNavigation(false);
    setWordWrap(false);
    setShowGrid(true);

    auto* rows = new RowHeader(this);
    setVerticalHeader(rows);
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

    // QTableView's corner is a blank button; with a fixed column it is the
    // header of that column, and shows its text (see eventFilter).
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

void QtGrid::applyFormat(const QString& format) {
    const GridFormat parsed = ParseGridFormat(format);
    m_fixedColumn = parsed.fixedColumn;
    m_cornerText = parsed.corner.text;
    m_cornerAlignment = parsed.corner.alignment;
    m_model = new GridModel(int(parsed.columns.size()), this);
    for (int c = 0; c < parsed.columns.size(); ++c) {
        m_model->setHeaderText(Qt::Horizontal, c, parsed.columns[c].text);
        m_model->setHeaderAlignment(c, parsed.columns[c].alignment);
    }
    m_rowCount = parsed.rows();
    m_model->setRows(m_rowCount - 1);
    for (int r = 0; r < parsed.rowHeaders.size(); ++r)
        m_model->setHeaderText(Qt::Vertical, r, parsed.rowHeaders[r]);
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
        refuse();
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
    postCatchUp();
}

void QtGrid::syncViewToCurrent() {
    // Runs before every event, some of them sent while the grid is still
    // being built and has no model yet.
    if (m_model)
        m_model->releaseHeldNotices();
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

// The program's writes reach the model at once; their notices are held, and
// the view hears of them as one range when it catches up on the current cell.
void QtGrid::postCatchUp() {
    if (std::exchange(m_catchUpPosted, true))
        return;
    QCoreApplication::postEvent(this, new QEvent(SyncEventType()));
}

bool QtGrid::event(QEvent* event) {
    const bool catchUp = event->type() == SyncEventType();
    if (catchUp)
        m_catchUpPosted = false; // a write made while catching up posts another
    syncViewToCurrent();
    // The view lays itself out again on a timer after rows come or go, and
    // Qt shows or hides a scroll bar that comes or goes with them through a
    // queued call, which may queue another as the viewport narrows. Done
    // here, before the window's repaint, none costs a second repaint of the
    // whole window straight after the first. The grid's own queued calls
    // (announcements) only run sooner, still after what queued them.
    if (catchUp) {
        executeDelayedItemsLayout();
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
            QCoreApplication::sendPostedEvents(this, QEvent::LayoutRequest);
        }
    }
    return catchUp || QTableView::event(event);
}

bool QtGrid::viewportEvent(QEvent* event) {
    syncViewToCurrent();
    return QTableView::viewportEvent(event);
}

// --- GridControl -----------------------------------------------------------

void QtGrid::SetRowCount(std::int32_t rows) {
    if (rows < 0 || rows > kMaxRows)
        refuse();
    if (rows == m_rowCount)
        return;
    cancelEditing();
    {
        ProgramMove move(this);
        m_model->setRows(std::max(rows - 1, 0));
    }
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
        refuse();
    if (row == m_row)
        return;
    m_row = row;
    currentMoved();
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

void QtGrid::SetColumnWidth(int col, int twips) {
    checkColumn(col);
    if (twips < 0)
        refuse();
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

void QtGrid::ReopenEdit() {
    if (!isEnabled() || currentIsFixed())
        return;
    syncViewToCurrent();
    const QModelIndex index = currentIndex();
    scrollTo(index);
    if (edit(index, AllEditTriggers, nullptr))
        QMetaObject::invokeMethod(this, &QtGrid::announceEditedNote, Qt::QueuedConnection);
}
