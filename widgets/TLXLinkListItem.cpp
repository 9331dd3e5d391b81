#include "widgets/TLXLinkListItem.h"

#include "widgets/TLXLinkList.h"

TLXLinkListItem::TLXLinkListItem(TLXLinkList *list)
    : FList(list), FLabel(std::make_unique<TLXLinkListLabel>(list->widget()))
{ }

TLXLinkListItem::~TLXLinkListItem() = default;

void TLXLinkListItem::setText(const QString &text)
{
    FText = text;
    FLabel->setCaption(text);
    FList->linksChanged();
}

void TLXLinkListItem::setResource(const QString &resource)
{
    FResource = resource;
    FLabel->setResource(resource);
}

void TLXLinkListItem::setHeight(int height)
{
    FHeight = height;
    FLabel->setLinkHeight(height);
    FList->linksChanged();
}

QFont TLXLinkListItem::Font() const
{
    return FLabel->font();
}

void TLXLinkListItem::setFont(const QFont &font)
{
    FLabel->setFont(font);
    FList->linksChanged();
}

void TLXLinkListItem::Filter(const QString &value)
{
    const QLocale locale;
    ApplyFilter(value, locale.toLower(value), locale);
    FList->linksChanged();
}

void TLXLinkListItem::ApplyFilter(const QString &value, const QString &loweredValue, const QLocale &locale)
{
    FFilter = value;
    FShown = FFilter.isEmpty() || LoweredCaption(locale).contains(loweredValue);
}

const QString &TLXLinkListItem::LoweredCaption(const QLocale &locale)
{
    const QString caption = FLabel->text();
    if (caption != FLoweredOf || locale != FLoweredIn) {
        FLoweredOf = caption;
        FLowered = locale.toLower(caption);
        FLoweredIn = locale;
    }
    return FLowered;
}
