#pragma once

#include <QHeaderView>

// The row-number column of a TLXDataGrid. Unlike a plain vertical QHeaderView it keeps its size
// hint while the number of rows keeps its count of digits: Qt measures up to two hundred row
// titles again after every row inserted or removed, most of the cost of adding one row to a
// long list. Owns only that remembered hint.
class TLXDataGridRowHeader final : public QHeaderView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TLXDataGridRowHeader)

public:
    explicit TLXDataGridRowHeader(QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void changeEvent(QEvent *event) override;

private:
    mutable QSize FHint;
    mutable qsizetype FDigits = -1; // digits of the row count FHint was measured for
};
