#pragma once
// The cells of a grid, without its fixed row and fixed column: those are the
// header data of the two orientations, so that views show them as real
// header sections. Sized for tens of thousands of rows: a cell is its text
// plus a two-byte reference to a shared style, and colours or alignment cost
// nothing until a cell is given them. A cell written as a number keeps the
// number, and its text is made only when something asks for it: a view draws
// the few dozen rows it shows, while whole columns of numbers come and go.

#include <QAbstractTableModel>
#include <QRgb>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

class GridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit GridModel(int columns, QObject* parent = nullptr);

    // When a change is announced to the views: at once, or held with the
    // other held changes until releaseHeldNotices() announces them all as one
    // range. The program writes cells in long loops (numbering and filling
    // 32 767 rows); a notice per cell would have a view repaint, and its row
    // header redo its layout, tens of thousands of times. The cells
    // themselves always change at once: only the notices wait.
    enum class Notice { Now, Held };

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;

    // Cells of the rows that remain keep their contents; new rows are empty,
    // row headers included.
    void setRows(int rows);

    // A number cell's text is made here, on first asking: only on the GUI
    // thread.
    const QString& text(int row, int column) const;
    void setText(int row, int column, const QString& text, Notice notice = Notice::Now);
    // Shown in the program's form (DobleATexto, the user's locale). Not a
    // finite number: kept as its text only.
    void setNumber(int row, int column, double number, Notice notice = Notice::Now);
    // The number the cell was written as; std::nullopt for a text cell.
    std::optional<double> number(int row, int column) const;
    // A run of cells down a column, each written as setNumber would, with
    // the plain colours and that alignment; NaN leaves a plain empty cell.
    // Cheaper than one cell at a time: the style is looked up once and the
    // notice held.
    void setColumnNumbers(int column, int firstRow, std::span<const double> numbers,
                          std::optional<Qt::Alignment> alignment);
    // Runs of the same length side by side, from `column` on, written as
    // above row by row: a row's cells lie together, and a whole system is
    // 131 064 of them.
    void setColumnsNumbers(int column, int firstRow,
                           std::span<const std::span<const double>> columns,
                           std::optional<Qt::Alignment> alignment);
    // A run of texts down a column, or of a header's sections, each written
    // as setText or setHeaderText would; the notice held.
    void setColumnTexts(int column, int firstRow, std::span<const QString> texts);
    void setHeaderTexts(Qt::Orientation orientation, int first, std::span<const QString> texts);
    // The other way: for each cell of the run, its number if setColumnNumbers
    // would leave it as it is, NaN if it is a plain empty cell; the places
    // in the run of all other cells go to `others`.
    void columnNumbers(int column, int firstRow, std::span<double> numbers,
                       std::optional<Qt::Alignment> alignment, std::vector<int>& others) const;
    // The cell's text if it is not a number cell or its text has been made;
    // never makes one, so it may be read from any thread while the model
    // does not change and text() is not asked for.
    QStringView storedText(int row, int column) const;
    // std::nullopt puts the cell back to the view's own colour or alignment.
    void setColors(int row, int column, std::optional<QRgb> fore, std::optional<QRgb> back,
                   Notice notice = Notice::Now);
    void setAlignment(int row, int column, std::optional<Qt::Alignment> alignment,
                      Notice notice = Notice::Now);
    // Both at once, as a block's cells are written: one style looked up, not two.
    void setColorsAndAlignment(int row, int column, std::optional<QRgb> fore,
                               std::optional<QRgb> back, std::optional<Qt::Alignment> alignment,
                               Notice notice = Notice::Now);
    // A cell's own colours and alignment; std::nullopt: the view's.
    std::optional<QRgb> foreground(int row, int column) const { return styleOf(row, column).fore; }
    std::optional<QRgb> background(int row, int column) const { return styleOf(row, column).back; }
    std::optional<Qt::Alignment> alignment(int row, int column) const {
        return styleOf(row, column).alignment;
    }

    // For screen readers, which hear a cell as its name and text (the
    // accessible text role): the name is the column's header followed by the
    // row's ("B2"), or the column's alone; an empty cell is "vacía"; a note,
    // kept until the cell is written again, says what is wrong with it.
    QString cellName(int row, int column) const;
    QString note(int row, int column) const;
    void setNote(int row, int column, const QString& note);

    const QString& headerText(Qt::Orientation orientation, int section) const;
    void setHeaderText(Qt::Orientation orientation, int section, const QString& text,
                       Notice notice = Notice::Now);
    // Horizontal sections only; row headers take the view's default.
    void setHeaderAlignment(int column, Qt::Alignment alignment);

    bool hasHeldNotices() const {
        return !m_heldRows.empty() || !m_heldRowHeaders.empty() || !m_heldColumnHeaders.empty();
    }
    // The held changes, announced as one range of cells and one of each
    // orientation's headers.
    void releaseHeldNotices();

private:
    struct Style {
        std::optional<QRgb> fore;
        std::optional<QRgb> back;
        std::optional<Qt::Alignment> alignment;
        bool operator==(const Style&) const = default;
    };

    std::size_t cell(int row, int column) const { return std::size_t(row) * m_columns + column; }
    const Style& styleOf(int row, int column) const {
        return m_styles[m_styleOf[cell(row, column)]];
    }
    void setStyle(int row, int column, const Style& style, Notice notice);
    void cellChanged(int row, int column, bool style, Notice notice);
    void holdColumnRun(int column, int firstRow, std::size_t count);
    std::uint16_t internStyle(const Style& style);
    std::uint16_t internNewStyle(const Style& style);
    void forgetTexts(int firstRow, int rows, int column, int columns);
    void keepText(int row, int column, const QString& text, bool run);

    int m_columns;
    int m_rows = 0;
    // Most cells hold a number or nothing, so texts are kept apart: a grid of
    // 32 767 rows then costs no string per cell to make or to keep. A column
    // written as a run of texts (names of unknowns) keeps one for every row;
    // other texts are kept by cell: a few typed ones, and those of number
    // cells once asked for (the rows on screen).
    std::vector<std::vector<QString>> m_texts;
    mutable std::unordered_map<std::size_t, QString> m_cellTexts;
    // Row-major. NaN for a cell without a number: kNoNumber when it has no
    // text either, kTextNumber when it has.
    std::vector<double> m_numbers;
    std::vector<std::uint16_t> m_styleOf; // index into m_styles; 0 is the plain style
    std::vector<Style> m_styles{Style{}};
    std::uint16_t m_lastStyle = 0; // the style interned last
    std::vector<QString> m_rowHeaders;
    std::vector<QString> m_columnHeaders;
    std::vector<Qt::Alignment> m_columnHeaderAlignment;
    std::map<std::size_t, QString> m_notes; // by cell; few cells have one

    // Rows, columns or header sections whose change notices are held.
    struct HeldSpan {
        int first = -1;
        int last = -1;
        bool empty() const { return first < 0; }
        void add(int i) {
            first = empty() ? i : std::min(first, i);
            last = std::max(last, i);
        }
        void limitTo(int count) {
            last = std::min(last, count - 1);
            if (last < first)
                *this = HeldSpan();
        }
    };
    HeldSpan m_heldRows; // with m_heldColumns, the rectangle of changed cells
    HeldSpan m_heldColumns;
    HeldSpan m_heldRowHeaders;
    HeldSpan m_heldColumnHeaders;
};
