#include "app/TScreenTabBar.h"

#include "gui/TFonts.h"

#include <QFontMetrics>

#include <algorithm>

namespace {

constexpr int kCaptionPoints = 10;
constexpr int kSelectedCaptionPoints = 8;

QString StyleSheet()
{
    return QStringLiteral(
        "QTabBar { background: #282E3E; border: 1px solid #282E3E; }"
        "QTabBar::tab { background: #282E3E; color: white; font: %1pt %3; border: none;"
        "  border-right: 1px solid white; padding: 3px 6px 3px 10px; height: 18px; }"
        "QTabBar::tab:selected { background: white; color: palette(window-text); font: %2pt %3; }"
        "QTabBar::tab:disabled { color: gray; font: %2pt %3; }")
        .arg(kCaptionPoints)
        .arg(kSelectedCaptionPoints)
        .arg(TFonts::StyleSheetFamilies(TFontFace::Window));
}

} // namespace

TScreenTabBar::TScreenTabBar(QWidget *parent) : QTabBar(parent)
{
    setDrawBase(false);
    setExpanding(false);
    setUsesScrollButtons(true);
    setElideMode(Qt::ElideRight);
    setStyleSheet(StyleSheet());
    // Elision measures with the widget's font: the larger caption font, so a caption is only cut
    // when it does not fit in that font either.
    setFont(CaptionFont());
}

QFont TScreenTabBar::CaptionFont()
{
    return TFonts::Of(TFontFace::Window, kCaptionPoints);
}

QFont TScreenTabBar::SelectedCaptionFont()
{
    return TFonts::Of(TFontFace::Window, kSelectedCaptionPoints);
}

QString TScreenTabBar::TabCaption(const QString &caption)
{
    if (caption.size() <= MaxCaptionLength)
        return caption;
    return caption.left(MaxCaptionLength - 1) + QChar(0x2026);
}

void TScreenTabBar::SelectNeighbour(int step)
{
    if (count() < 2)
        return;
    setCurrentIndex(((currentIndex() + step) % count() + count()) % count());
}

QSize TScreenTabBar::tabSizeHint(int index) const
{
    // The style measures a tab in the font of its present state; widen it to the wider of the two.
    QSize hint = QTabBar::tabSizeHint(index);
    const QString caption = tabText(index);
    const bool small = index == currentIndex() || !isTabEnabled(index);
    const int measured = QFontMetrics(small ? SelectedCaptionFont() : CaptionFont()).horizontalAdvance(caption);
    const int widest = std::max(QFontMetrics(CaptionFont()).horizontalAdvance(caption),
        QFontMetrics(SelectedCaptionFont()).horizontalAdvance(caption));
    hint.rwidth() += widest - measured;
    return hint;
}

QSize TScreenTabBar::minimumTabSizeHint(int index) const
{
    // Tabs are never squeezed below their caption: a full bar scrolls instead.
    return tabSizeHint(index);
}
void TScreenTabBar::tabLayoutChange()
{
    // A close box set on a tab, or a new selection, changes the tabs' size without telling the
    // layout that places the bar: without this the bar keeps its old width and the last caption is
    // cut or scrolled away.
    const QSize hint = sizeHint();
    if (hint == FReportedHint)
        return;
    FReportedHint = hint;
    updateGeometry();
}
