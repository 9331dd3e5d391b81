#pragma once

#include <QColor>
#include <QFlags>
#include <QWidget>

class QLabel;
class TLXAccordionTab;
class TLXImageButton;

// Edges of a section's title bar that are drawn.
enum TLXAccordionBorder { abLeft = 0x1, abRight = 0x2, abTop = 0x4, abBottom = 0x8 };
Q_DECLARE_FLAGS(TLXAccordionBorders, TLXAccordionBorder)
Q_DECLARE_OPERATORS_FOR_FLAGS(TLXAccordionBorders)

// The title bar of a TLXAccordionTab: a caption label and an expand/collapse image
// button on a bar of its own colour and edges. A click anywhere on it toggles its
// section. Its parent is its tab; it owns the label and the button.
class TLXAccordionTabTitle final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TLXAccordionTabTitle)

public:
    explicit TLXAccordionTabTitle(TLXAccordionTab *tab);

    QString Title() const;
    void setTitle(const QString &title);
    QColor BorderColor() const { return FBorderColor; }
    void setBorderColor(const QColor &colour);
    QColor Color() const { return FColor; }
    void setColor(const QColor &colour);
    TLXAccordionBorders Sides() const { return FSides; }
    void setSides(TLXAccordionBorders sides);
    // Caption font and colour.
    QFont TitleFont() const;
    void setTitleFont(const QFont &font);
    void setTitleFontColor(const QColor &colour);

    QLabel *Label() const { return FTitle; }
    TLXImageButton *Button() const { return FClose; }

    // Shows the accordion's close pictures while the section is expanded, its open
    // pictures otherwise.
    void UpdateImages();

signals:
    // After every click on the bar, its caption or its button, with what was clicked.
    void buttonClicked(QObject *sender);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TLXAccordionTab *Tab() const;
    void ArrangeControls();
    void TitleBarClick(QObject *sender);
    // True when a left-button release on watched completes a press on it.
    bool completesClick(QObject *watched, QEvent *event);

    QColor FBorderColor{0x99, 0xBC, 0xE8};
    TLXImageButton *FClose;
    QLabel *FTitle;
    QColor FColor{0xD9, 0xE7, 0xF8};
    TLXAccordionBorders FSides = abLeft | abRight | abTop | abBottom;
    QObject *FPressedOn = nullptr;
};
