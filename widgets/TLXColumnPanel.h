#pragma once

#include "widgets/TLXScreenSize.h"

#include <QList>
#include <QWidget>

#include "widgets/TLXColumnConfig.h"
class QLabel;

// A container that places its child column panels (its cells) on a grid of equal columns,
// wrapping to a new row when a cell does not fit; spans depend on the width class of the
// outermost column panel. A pass also sets the fonts of ordinary controls in the whole tree and
// gives all field labels one width. Unlike a QLayout it places cells only after Loaded() and
// leaves its own height alone. Owns its TLXColumnConfig; cells are owned as ordinary children.
class TLXColumnPanel : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int Columns READ Columns WRITE setColumns)
    Q_PROPERTY(TLXColumnConfig *Config READ Config CONSTANT)
    Q_PROPERTY(int VerticalSpace READ VerticalSpace WRITE setVerticalSpace)
    Q_PROPERTY(int TabOrder READ TabOrder WRITE setTabOrderIndex)
    Q_PROPERTY(bool AutoHeight READ AutoHeight WRITE setAutoHeight)
    Q_PROPERTY(bool ResizeLabels READ ResizeLabels WRITE setResizeLabels)

public:
    explicit TLXColumnPanel(QWidget *parent = nullptr);
    ~TLXColumnPanel() override;
    Q_DISABLE_COPY_MOVE(TLXColumnPanel)

    int Columns() const { return FColumns; }
    void setColumns(int value);
    TLXColumnConfig *Config() const { return FConfig; }
    int VerticalSpace() const { return FVerticalSpace; }
    void setVerticalSpace(int value) { FVerticalSpace = value; }
    bool AutoHeight() const { return FAutoHeight; }
    void setAutoHeight(bool value) { FAutoHeight = value; }
    bool ResizeLabels() const { return FResizeLabels; }
    void setResizeLabels(bool value) { FResizeLabels = value; }
    bool IsLoaded() const { return FLoaded; }

    // Position among the cells of the parent column panel; a cell added later gets the next one.
    qint16 TabOrder() const { return static_cast<qint16>(FTabOrder); }
    // Not named setTabOrder: that would hide QWidget::setTabOrder(QWidget *, QWidget *) in panels.
    void setTabOrderIndex(int value);

    TLXScreenSize FormSize() const;
    static TLXColumnPanel *TopColumnPanel(QWidget *control);
    static int RowHeight(TLXScreenSize size);
    static int FontSize(TLXScreenSize size);

    // Marks the panel complete (a screen built in code calls this on its top-level panel)
    // and runs the first layout pass.
    void Loaded();
    // One layout pass; does nothing until the panel is loaded.
    void DoLayout();
    // A span or tab order of this panel changed: lay out the outermost panel, now when both are
    // on screen, otherwise once when the outermost panel is next shown or the event loop runs.
    void LayoutTopPanel();
    // Multiplies every non-negative span of the nested cells by factor (truncating).
    static void ScaleSpans(QWidget *panel, float factor);

    QSize sizeHint() const override;

signals:
    // After every layout pass that ran (a loaded panel, not inside another pass).
    void layoutDone();

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QList<TLXColumnPanel *> SortedCells() const;
    void PlaceCells(const QList<TLXColumnPanel *> &cells, TLXScreenSize size);
    static void ApplyFonts(QWidget *container, int pointSize);
    void DoResizeLabels();
    static void MeasureLabels(QWidget *container, int &width);
    static void ApplyLabelWidth(QWidget *container, int width);
    void JoinParentTabOrder();
    void DeferLayout();

    int FColumns = 24;
    TLXColumnConfig *FConfig;
    int FVerticalSpace = 5;
    bool FAutoHeight = true;
    bool FLoaded = false;
    bool FResizeLabels = true;
    bool FLock = false;
    bool FLayoutPending = false;
    bool FFlushQueued = false;
    int FTabOrder = 0;
    int FNextTabOrder = 0;
};
