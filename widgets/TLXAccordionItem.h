#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <memory>

class TLXAccordion;
class TLXAccordionTab;

// One section entry of a TLXAccordion's Items: its title, visibility and colours,
// forwarded to the TLXAccordionTab the item owns and frees with itself.
class TLXAccordionItem final
{
    Q_DISABLE_COPY_MOVE(TLXAccordionItem)

public:
    TLXAccordionItem(TLXAccordion *accordion, int index);
    ~TLXAccordionItem();

    QString Title() const { return FTitle; }
    void setTitle(const QString &title);
    // Kept for the owner; the accordion does not act on them.
    bool Enabled() const { return FEnabled; }
    void setEnabled(bool enabled) { FEnabled = enabled; }
    int Icon() const { return FIcon; }
    void setIcon(int icon) { FIcon = icon; }
    // A section that is not visible is hidden and leaves its height to the others.
    bool Visible() const { return FVisible; }
    void setVisible(bool visible);

    TLXAccordionTab *Panel() const { return FPanel.get(); }

    QColor BorderColor() const;
    void setBorderColor(const QColor &colour);
    QColor TitleColor() const;
    void setTitleColor(const QColor &colour);
    QColor TitleBorderColor() const;
    void setTitleBorderColor(const QColor &colour);
    QFont Font() const;
    void setFont(const QFont &font);
    // Colour of the title's caption (a QFont carries none).
    void setFontColor(const QColor &colour);

private:
    QString FTitle;
    bool FEnabled = true;
    int FIcon = 0;
    std::unique_ptr<TLXAccordionTab> FPanel;
    bool FVisible = true;
};
