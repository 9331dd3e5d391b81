#include "widgets/TLXDataGrid.h"

#include "widgets/TLXDataGridRowHeader.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScreen>

#include <algorithm>

TLXDataGrid::TLXDataGrid(QWidget *parent) : QTableView(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setVerticalHeader(new TLXDataGridRowHeader(this));
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int) {
        if (!FFitting)
            FUserSized.insert(column);
    });
    // One line of text per row.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}

void TLXDataGrid::setModel(QAbstractItemModel *model)
{
    if (QAbstractItemModel *old = this->model())
        disconnect(old, nullptr, this, nullptr);
    QTableView::setModel(model);
    if (!model)
        return;
    connect(model, &QAbstractItemModel::modelReset, this, &TLXDataGrid::FitColumnsToContents);
    connect(model, &QAbstractItemModel::dataChanged, this, &TLXDataGrid::FitColumnsToContents);
    connect(model, &QAbstractItemModel::headerDataChanged, this, &TLXDataGrid::FitColumnsToContents);
    connect(model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &parent, int first, int last) {
        if (!parent.isValid())
            FitColumnsToRows(first, last);
    });
    FitColumnsToContents();
}

QStringList TLXDataGrid::ColumnTitles() const
{
    QStringList titles;
    const QAbstractItemModel *shown = model();
    for (int column = 0; shown && column < shown->columnCount(); ++column)
        titles << shown->headerData(column, Qt::Horizontal).toString();
    return titles;
}

// QTableView::sizeHintForColumn would measure up to a thousand rows of every column, in view or
// not: with long lists that is most of a refresh.
std::pair<int, int> TLXDataGrid::RowsInView() const
{
    const int rows = model()->rowCount(rootIndex());
    const int first = std::max(0, rowAt(0));
    // A grid not shown yet may get as tall as its screen.
    const int height = isVisible() || !screen() ? viewport()->height() : screen()->availableGeometry().height();
    const int lines = height / std::max(1, verticalHeader()->defaultSectionSize()) + 1;
    return {first, std::min(rows - 1, first + lines)};
}

int TLXDataGrid::ContentWidth(int column, int first, int last) const
{
    int width = 0;
    for (int row = first; row <= last; ++row)
        if (!isRowHidden(row))
            width = std::max(width, sizeHintForIndex(model()->index(row, column, rootIndex())).width());
    return width + (showGrid() ? 1 : 0);
}

void TLXDataGrid::FitColumnsToContents()
{
    if (!model())
        return;
    ensurePolished();
    const QStringList titles = ColumnTitles();
    const bool newColumns = titles != FFittedTitles;
    FFittedTitles = titles;
    if (newColumns)
        FUserSized.clear();
    QHeaderView *header = horizontalHeader();
    const auto [first, last] = RowsInView();
    for (int column = 0; column < titles.size(); ++column) {
        const int content = ContentWidth(column, first, last);
        const int fitted = std::min(std::max(content, header->sectionSizeHint(column)), MaxColumnWidth);
        if (newColumns || fitted > columnWidth(column))
            SetFittedWidth(column, fitted);
    }
}

void TLXDataGrid::FitColumnsToRows(int first, int last)
{
    if (!model())
        return;
    for (int column = 0; column < model()->columnCount(rootIndex()); ++column) {
        const int fitted = std::min(ContentWidth(column, first, last), MaxColumnWidth);
        if (fitted > columnWidth(column))
            SetFittedWidth(column, fitted);
    }
}

void TLXDataGrid::SetFittedWidth(int column, int width)
{
    if (FUserSized.contains(column))
        return;
    const QScopedValueRollback fitting(FFitting, true);
    setColumnWidth(column, width);
}

QByteArray TLXDataGrid::ColumnWidths() const
{
    QByteArrayList widths;
    for (int column = 0; model() && column < model()->columnCount(rootIndex()); ++column)
        widths << QByteArray::number(columnWidth(column));
    return widths.join(',');
}

void TLXDataGrid::SetColumnWidths(const QByteArray &widths)
{
    const QByteArrayList kept = widths.split(',');
    for (int column = 0; model() && column < model()->columnCount(rootIndex()) && column < kept.size(); ++column) {
        bool ok = false;
        const int width = kept[column].toInt(&ok);
        if (ok && width > 0) {
            setColumnWidth(column, width);
            FUserSized.insert(column);
        }
    }
}

void TLXDataGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit gridDoubleClicked();
}
