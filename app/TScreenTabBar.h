#pragma once

#include <QFont>
#include <QTabBar>

// The main window's tab bar of open screens, in the side bar's colours. Unlike a plain QTabBar
// whose style draws the selected caption in a smaller font than the others, every tab is as wide
// as its caption in the larger font, whichever tab is selected: captions show whole and tabs do
// not change width when the selection moves. When the tabs do not fit, the bar scrolls.
// SelectNeighbour moves the selection round the tabs, for the keys that switch screens.
class TScreenTabBar final : public QTabBar
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TScreenTabBar)

public:
    explicit TScreenTabBar(QWidget *parent = nullptr);

    // The caption fonts: unselected tabs, and the selected or disabled one.
    static QFont CaptionFont();
    static QFont SelectedCaptionFont();
    // The text a tab shows for a screen's caption: whole up to MaxCaptionLength characters, cut with
    // an ellipsis beyond (a caption of megabytes from a faulty menu would stall every layout pass).
    static constexpr int MaxCaptionLength = 120;
    static QString TabCaption(const QString &caption);
    // Selects the tab step places to the right (left when negative), going round past the ends.
    void SelectNeighbour(int step);

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void tabLayoutChange() override;

private:
    QSize FReportedHint; // the size hint the enclosing layout last heard of
};
