#pragma once

#include <QSet>
#include <QTableView>

#include <utility>

// A read-only grid of whole rows, one line of text per row. Unlike a plain QTableView it sizes its
// columns from what it shows (titles and the rows in view, up to MaxColumnWidth; a column the user
// widened stays as wide; a column the user sized, by dragging or through SetColumnWidths, keeps
// that width; a row inserted only widens them to fit itself), and reports a
// double-click anywhere in the cells area, below the last row too. The model is not owned.
class TLXDataGrid final : public QTableView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TLXDataGrid)

public:
    static constexpr int MaxColumnWidth = 320;

    explicit TLXDataGrid(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;
    // Fits every column to its title and the rows in view: exactly when the columns changed,
    // otherwise only wider.
    void FitColumnsToContents();
    // Widens the columns to show the given rows, without looking at the others.
    void FitColumnsToRows(int first, int last);
    // The columns' widths as text ("120,80,200"), to keep between runs.
    QByteArray ColumnWidths() const;
    // Gives the columns widths kept earlier (as ColumnWidths wrote them; extra or missing entries
    // and bad numbers are passed over); those columns are then the user's and are not fitted.
    void SetColumnWidths(const QByteArray &widths);

signals:
    // A double-click with the left button on a row or on the empty area below the rows.
    void gridDoubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QStringList ColumnTitles() const;
    // First and last row in view (last < first without rows).
    std::pair<int, int> RowsInView() const;
    // Widest cell of column in rows first..last, with the grid line.
    int ContentWidth(int column, int first, int last) const;

    void SetFittedWidth(int column, int width);

    QStringList FFittedTitles; // the columns the widths were last fitted exactly to
    QSet<int> FUserSized;      // columns whose width the user chose
    bool FFitting = false;     // widths set by the grid itself, not by the user
};
