#include "widgets/TLXDataGrid.h"

#include <QHeaderView>
#include <QMouseEvent>

#include <algorithm>

TLXDataGrid::TLXDataGrid(QWidget *parent) : QTableView(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
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
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &parent, int first, int last) {
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

void TLXDataGrid::FitColumnsToContents()
{
    if (!model())
        return;
    const QStringList titles = ColumnTitles();
    const bool newColumns = titles != FFittedTitles;
    FFittedTitles = titles;
    QHeaderView *header = horizontalHeader();
    for (int column = 0; column < titles.size(); ++column) {
        const int fitted = std::min(std::max(sizeHintForColumn(column), header->sectionSizeHint(column)), MaxColumnWidth);
        if (newColumns || fitted > columnWidth(column))
            setColumnWidth(column, fitted);
    }
}

void TLXDataGrid::FitColumnsToRows(int first, int last)
{
    const QAbstractItemModel *shown = model();
    if (!shown)
        return;
    const int gridLine = showGrid() ? 1 : 0;
    for (int column = 0; column < shown->columnCount(); ++column) {
        int fitted = columnWidth(column);
        for (int row = first; row <= last; ++row)
            fitted = std::max(fitted, sizeHintForIndex(shown->index(row, column)).width() + gridLine);
        fitted = std::min(fitted, MaxColumnWidth);
        if (fitted > columnWidth(column))
            setColumnWidth(column, fitted);
    }
}

void TLXDataGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit gridDoubleClicked();
}
