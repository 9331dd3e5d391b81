#include "widgets/TLXColumnPanel.h"

#include "widgets/TLXColumnConfig.h"

#include "gui/TFonts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kRowHeight[] = {21, 26, 28, 30};
constexpr int kFontSize[] = {8, 10, 11, 12};

// Integer part of a product, kept inside the int range.
int TruncatedProduct(double a, double b)
{
    const double product = std::trunc(a * b);
    if (!std::isfinite(product))
        return 0;
    return static_cast<int>(std::clamp(product, double(std::numeric_limits<int>::min()),
                                       double(std::numeric_limits<int>::max())));
}

// The field controls, the lookup edit among them: its search button draws only a picture, so the
// font changes the text beside it and nothing of the button.
bool TakesLayoutFont(QWidget *control)
{
    return qobject_cast<QLabel *>(control) || qobject_cast<QLineEdit *>(control)
        || qobject_cast<QCheckBox *>(control) || qobject_cast<QComboBox *>(control)
        || qobject_cast<QDateTimeEdit *>(control);
}

bool InAutoHeightPanel(const QLabel *label)
{
    const auto *panel = qobject_cast<const TLXColumnPanel *>(label->parentWidget());
    return !panel || panel->AutoHeight();
}

// Calls visit for each direct child widget, in child order, without copying the list.
template<typename Visit>
void ForEachChildWidget(QWidget *container, Visit visit)
{
    for (QObject *child : container->children())
        if (child->isWidgetType())
            visit(static_cast<QWidget *>(child));
}

} // namespace

TLXColumnPanel::TLXColumnPanel(QWidget *parent)
    : QWidget(parent), FConfig(new TLXColumnConfig(this))
{
    connect(FConfig, &TLXColumnConfig::changed, this, &TLXColumnPanel::LayoutTopPanel);
    setContentsMargins(2, 0, 0, 0);
    JoinParentTabOrder();
}

TLXColumnPanel::~TLXColumnPanel() = default;

void TLXColumnPanel::setColumns(int value)
{
    if (value == FColumns)
        return;
    // A zero column count gives no factor: spans are then left as they are.
    if (!qobject_cast<TLXColumnPanel *>(parentWidget()) && FColumns != 0)
        ScaleSpans(this, static_cast<float>(value) / static_cast<float>(FColumns));
    FColumns = value;
}

void TLXColumnPanel::setTabOrderIndex(int value)
{
    FTabOrder = value;
    LayoutTopPanel();
}

TLXScreenSize TLXColumnPanel::FormSize() const
{
    const int width = TopColumnPanel(const_cast<TLXColumnPanel *>(this))->width();
    if (width < 768)
        return ssSmall;
    if (width < 992)
        return ssMedium;
    if (width < 1200)
        return ssLarge;
    return ssExtraLarge;
}

TLXColumnPanel *TLXColumnPanel::TopColumnPanel(QWidget *control)
{
    TLXColumnPanel *result = qobject_cast<TLXColumnPanel *>(control);
    for (QWidget *w = control ? control->parentWidget() : nullptr; w; w = w->parentWidget())
        if (auto *panel = qobject_cast<TLXColumnPanel *>(w))
            result = panel;
    return result;
}

int TLXColumnPanel::RowHeight(TLXScreenSize size) { return kRowHeight[size]; }
int TLXColumnPanel::FontSize(TLXScreenSize size) { return kFontSize[size]; }

void TLXColumnPanel::Loaded()
{
    FLoaded = true;
    DoLayout();
}

void TLXColumnPanel::DoLayout()
{
    if (FLock)
        return;
    const QScopedValueRollback lock(FLock, true);
    FLayoutPending = false;
    if (!FLoaded)
        return;
    const TLXScreenSize size = FormSize();
    if (FColumns > 0)
        PlaceCells(SortedCells(), size);
    ApplyFonts(this, FontSize(size));
    if (FResizeLabels)
        DoResizeLabels();
    emit layoutDone();
}

QList<TLXColumnPanel *> TLXColumnPanel::SortedCells() const
{
    QList<TLXColumnPanel *> cells = findChildren<TLXColumnPanel *>(Qt::FindDirectChildrenOnly);
    // Stable: cells with equal tab orders keep their child order.
    std::stable_sort(cells.begin(), cells.end(), [](const TLXColumnPanel *a, const TLXColumnPanel *b) {
        return a->TabOrder() < b->TabOrder();
    });
    return cells;
}

void TLXColumnPanel::PlaceCells(const QList<TLXColumnPanel *> &cells, TLXScreenSize size)
{
    const int rowHeight = RowHeight(size);
    const float columnWidth = static_cast<float>(width()) / static_cast<float>(FColumns);
    int left = 0;
    int top = 0;
    for (TLXColumnPanel *cell : cells) {
        const int span = cell->AutoHeight() ? cell->Config()->ColumnSpan(size) : FColumns;
        // A span resolving to -1 would give a negative width: such a cell gets none.
        const int cellWidth = std::clamp(TruncatedProduct(span, columnWidth),
                                         cell->minimumWidth(), cell->maximumWidth());
        const int cellHeight = cell->AutoHeight()
            ? std::clamp(rowHeight, cell->minimumHeight(), cell->maximumHeight())
            : cell->height();
        if (left + cellWidth > width()) {
            top += rowHeight + FVerticalSpace;
            left = 0;
        }
        cell->setGeometry(left, top, cellWidth, cellHeight);
        left += cellWidth;
        if (!cell->AutoHeight())
            top += cellHeight - rowHeight;
    }
}

void TLXColumnPanel::ApplyFonts(QWidget *container, int pointSize)
{
    ForEachChildWidget(container, [pointSize](QWidget *child) {
        if (qobject_cast<TLXColumnPanel *>(child)) {
            ApplyFonts(child, pointSize);
        } else if (TakesLayoutFont(child)) {
            QFont font = child->font();
            TFonts::SetFace(font, TFontFace::Content);
            font.setPointSize(pointSize);
            if (font != child->font() || font.resolveMask() != child->font().resolveMask())
                child->setFont(font);
        }
    });
}

void TLXColumnPanel::DoResizeLabels()
{
    if (qobject_cast<TLXColumnPanel *>(parentWidget()))
        return;
    TLXColumnPanel *root = TopColumnPanel(this);
    int labelWidth = -1;
    MeasureLabels(root, labelWidth);
    ApplyLabelWidth(root, labelWidth);
}

void TLXColumnPanel::MeasureLabels(QWidget *container, int &width)
{
    ForEachChildWidget(container, [&width](QWidget *child) {
        if (qobject_cast<TLXColumnPanel *>(child)) {
            MeasureLabels(child, width);
        } else if (auto *label = qobject_cast<QLabel *>(child)) {
            const int natural = label->sizeHint().width();
            if (!InAutoHeightPanel(label)) {
                // Automatic sizing only: the label takes its natural width and is not measured.
                label->setMinimumWidth(0);
                label->setMaximumWidth(QWIDGETSIZE_MAX);
                if (label->width() != natural)
                    label->resize(natural, label->height());
            } else if (natural > width) {
                width = natural + 3;
            }
        }
    });
}

void TLXColumnPanel::ApplyLabelWidth(QWidget *container, int width)
{
    ForEachChildWidget(container, [width](QWidget *child) {
        if (qobject_cast<TLXColumnPanel *>(child)) {
            ApplyLabelWidth(child, width);
        } else if (auto *label = qobject_cast<QLabel *>(child)) {
            if (!InAutoHeightPanel(label) || width < 0)
                return;
            // Fixed, so a row that places its label with a QLayout keeps the common width too.
            if (label->minimumWidth() != width || label->maximumWidth() != width)
                label->setFixedWidth(width);
            else if (label->width() != width)
                label->resize(width, label->height());
        }
    });
}

void TLXColumnPanel::ScaleSpans(QWidget *panel, float factor)
{
    static constexpr TLXScreenSize kOrder[] = {ssSmall, ssMedium, ssLarge, ssExtraLarge};
    for (TLXColumnPanel *cell : panel->findChildren<TLXColumnPanel *>(Qt::FindDirectChildrenOnly)) {
        for (TLXScreenSize size : kOrder) {
            const int value = cell->Config()->Value(size);
            if (value >= 0)
                cell->Config()->setValue(size, TruncatedProduct(factor, value));
        }
        ScaleSpans(cell, factor);
    }
}

void TLXColumnPanel::LayoutTopPanel()
{
    TLXColumnPanel *top = TopColumnPanel(this);
    if (top->isVisible() && isVisible())
        top->DoLayout();
    else
        top->DeferLayout();
}

void TLXColumnPanel::DeferLayout()
{
    FLayoutPending = true;
    // A hidden panel lays out when shown; a visible one once the event loop runs again, so
    // building many hidden cells costs one pass.
    if (!isVisible() || FFlushQueued)
        return;
    FFlushQueued = true;
    QMetaObject::invokeMethod(this, [this] {
        FFlushQueued = false;
        if (FLayoutPending)
            DoLayout();
    }, Qt::QueuedConnection);
}

QSize TLXColumnPanel::sizeHint() const
{
    if (layout())
        return QWidget::sizeHint();
    const QRect cells = childrenRect();
    return {std::max(cells.right() + 1, 200), std::max(cells.bottom() + 1, RowHeight(FormSize()))};
}

bool TLXColumnPanel::event(QEvent *event)
{
    if (event->type() == QEvent::ParentChange)
        JoinParentTabOrder();
    return QWidget::event(event);
}

void TLXColumnPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    DoLayout();
}

void TLXColumnPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (FLayoutPending)
        DoLayout();
}

void TLXColumnPanel::JoinParentTabOrder()
{
    if (auto *parent = qobject_cast<TLXColumnPanel *>(parentWidget()))
        FTabOrder = parent->FNextTabOrder++;
}
