#pragma once
// The cells of a grid, without its fixed row and fixed column: those are the
// header data of the two orientations, so that views show them as real
// header sections. Sized for tens of thousands of rows: a cell is its text
// plus a two-byte reference to a shared style, and colours or alignment cost
// nothing until a cell is given them.

#include <QAbstractTableModel>
#include <QRgb>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

class GridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit GridModel(int columns, QObject* parent = nullptr);

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

    const QString& text(int row, int column) const;
    void setText(int row, int column, const QString& text);
    // std::nullopt puts the cell back to the view's own colour or alignment.
    void setColors(int row, int column, std::optional<QRgb> fore, std::optional<QRgb> back);
    void setAlignment(int row, int column, std::optional<Qt::Alignment> alignment);

    const QString& headerText(Qt::Orientation orientation, int section) const;
    void setHeaderText(Qt::Orientation orientation, int section, const QString& text);
    // Horizontal sections only; row headers take the view's default.
    void setHeaderAlignment(int column, Qt::Alignment alignment);

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
    void setStyle(int row, int column, const Style& style);
    std::uint16_t internStyle(const Style& style);

    int m_columns;
    int m_rows = 0;
    std::vector<QString> m_texts;         // row-major
    std::vector<std::uint16_t> m_styleOf; // index into m_styles; 0 is the plain style
    std::vector<Style> m_styles{Style{}};
    std::vector<QString> m_rowHeaders;
    std::vector<QString> m_columnHeaders;
    std::vector<Qt::Alignment> m_columnHeaderAlignment;
};
