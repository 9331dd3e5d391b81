#pragma once

#include "widgets/TLXLinkListLabel.h"

#include <QFont>
#include <QString>

#include <memory>

class TLXLinkList;

// One entry of a TLXLinkList: caption and resource, shown by a TLXLinkListLabel
// (connect to its clicked() signal) that the item owns (its parent is the list's content widget).
class TLXLinkListItem final
{
    Q_DISABLE_COPY_MOVE(TLXLinkListItem)

public:
    explicit TLXLinkListItem(QWidget *listContent);
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
    bool IsShown() const;

    TLXLinkListLabel *Label() const { return FLabel.get(); }

private:
    std::unique_ptr<TLXLinkListLabel> FLabel;
    int FHeight = 0;
    QString FFilter;
    QString FText;
    QString FResource;
};
