#pragma once

#include <QLineEdit>
#include <QString>

class QAction;
class QIcon;
#include "widgets/TLXSearchEditConfig.h"

// A line edit with a trailing search button that holds a record key and its description:
// it shows the key while focused and the description otherwise. The button and F8 raise
// rightButtonClicked(); typing a new key and leaving the edit changes KeyValue and raises keyTyped(),
// where an owner refreshes the description. Owns its config.
class TLXSearchEdit final : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(bool SearchOnly READ SearchOnly WRITE setSearchOnly)
    Q_PROPERTY(QString KeyValue READ KeyValue WRITE setKeyValue NOTIFY keyChanged USER true)
    Q_PROPERTY(QString DisplayValue READ DisplayValue WRITE setDisplayValue)
    Q_PROPERTY(TLXSearchEditConfig *Config READ Config CONSTANT)

public:
    explicit TLXSearchEdit(QWidget *parent = nullptr);
    ~TLXSearchEdit() override;
    Q_DISABLE_COPY_MOVE(TLXSearchEdit)

    bool SearchOnly() const { return FSearchOnly; }
    void setSearchOnly(bool value) { FSearchOnly = value; }
    QString KeyValue() const { return FKeyValue; }
    void setKeyValue(const QString &Value);
    QString DisplayValue() const { return FDisplayValue; }
    void setDisplayValue(const QString &Value);
    TLXSearchEditConfig *Config() const { return FConfig; }

    // The key as a number, -1 when empty; throws std::invalid_argument when it is not one.
    int KeyInteger() const;

    // The search button; owners set its icon.
    QAction *RightButton() const { return FRightButton; }
    void setButtonIcon(const QIcon &icon);

    // Marks the edit as read from a stored description: text changes then become the description.
    void Loaded();

signals:
    // KeyValue was written (also with the value it held).
    void keyChanged();
    // The user typed a key other than the one held and left the edit; KeyValue holds it.
    void keyTyped();
    // The search button was clicked, or F8 pressed while something listens.
    void rightButtonClicked();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Change();
    bool HasRightButtonHandler() const;

    QString FKeyValue;
    QString FDisplayValue;
    bool FLoaded = false;
    bool FSearchOnly = false;
    TLXSearchEditConfig *FConfig;
    QAction *FRightButton;
};
