#include "widgets/TLXLinkListItem.h"

#include <QLocale>

TLXLinkListItem::TLXLinkListItem(QWidget *listContent)
    : FLabel(std::make_unique<TLXLinkListLabel>(listContent))
{
}

TLXLinkListItem::~TLXLinkListItem() = default;

void TLXLinkListItem::setText(const QString &text)
{
    FText = text;
    FLabel->setCaption(text);
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
}

QFont TLXLinkListItem::Font() const
{
    return FLabel->font();
}

void TLXLinkListItem::setFont(const QFont &font)
{
    FLabel->setFont(font);
}

void TLXLinkListItem::Filter(const QString &value)
{
    FFilter = value;
    const QLocale locale;
    FLabel->setVisible(FFilter.isEmpty() || locale.toLower(FLabel->text()).contains(locale.toLower(FFilter)));
}

bool TLXLinkListItem::IsShown() const
{
    return !FLabel->isHidden();
}
