#pragma once

#include "widgets/TLXLinkListLabel.h"

#include <QFont>
#include <QLocale>
#include <QString>

#include <memory>

class TLXLinkList;

// One entry of a TLXLinkList: caption, resource and whether it passes the list's filter, shown by
// a TLXLinkListLabel (connect to its clicked() signal) that the item owns (its parent is the list's
// content widget). Every change that moves or resizes links tells the list.
class TLXLinkListItem final
{
    Q_DISABLE_COPY_MOVE(TLXLinkListItem)

public:
    explicit TLXLinkListItem(TLXLinkList *list);
    ~TLXLinkListItem();

    QString Text() const { return FText; }
    void setText(const QString &text);
    QString Resource() const { return FResource; }
    void setResource(const QString &resource);
    int Height() const { return FHeight; }
    void setHeight(int height);
    QFont Font() const;
    void setFont(const QFont &font);

    // Shows the link only when value is empty or occurs in its caption, ignoring
    // letter case by the user's locale (accents still count).
    void Filter(const QString &value);
    // The same with value already lower-cased by locale: the list lowers it once for all its links.
    void ApplyFilter(const QString &value, const QString &loweredValue, const QLocale &locale);
    // Whether the link passes the filter; the list shows it when it is scrolled into view.
    bool IsShown() const { return FShown; }

    TLXLinkListLabel *Label() const { return FLabel.get(); }

private:
    const QString &LoweredCaption(const QLocale &locale);

    TLXLinkList *FList;
    std::unique_ptr<TLXLinkListLabel> FLabel;
    int FHeight = 0;
    QString FFilter;
    QString FText;
    QString FResource;
    bool FShown = true;
    // The label's caption lower-cased in FLoweredIn, kept while the caption stays the same.
    QString FLoweredOf;
    QString FLowered;
    QLocale FLoweredIn;
};
