#pragma once

#include "widgets/TFormConfig.h"
#include "widgets/TLXDesignPanelForm.h"

#include <QPointer>

#include <functional>
#include <memory>

class QDialog;
class QKeyEvent;
class TLXDesignPanel;

// Shows a TLXDesignPanel as its own window: assigning the panel moves it into a private dialog,
// and Show/ShowModal copy the configured window settings and the nine stored events into that
// dialog first. The key handlers and KeyPreview live on the dialog and act at once. Owns the
// dialog, which takes the panel with it; releasing the panel releases the panel form.
class TLXPanelForm final : public TLXDesignPanelForm
{
    Q_OBJECT
    Q_PROPERTY(int FormWidth READ FormWidth WRITE setFormWidth)
    Q_PROPERTY(int FormHeight READ FormHeight WRITE setFormHeight)
    Q_PROPERTY(TFormConfig *FormConfig READ FormConfig CONSTANT)
    Q_PROPERTY(bool KeyPreview READ KeyPreview WRITE setKeyPreview)

public:
    enum TCloseAction { caNone, caHide, caFree, caMinimize };
    Q_ENUM(TCloseAction)
    using TNotifyEvent = std::function<void(QObject *Sender)>;
    using TCloseEvent = std::function<void(QObject *Sender, TCloseAction &Action)>;
    using TCloseQueryEvent = std::function<void(QObject *Sender, bool &CanClose)>;
    // Setting Key to 0 (or the character to a null one) swallows the key.
    using TKeyEvent = std::function<void(QObject *Sender, int &Key, Qt::KeyboardModifiers Shift)>;
    using TKeyPressEvent = std::function<void(QObject *Sender, QChar &Key)>;

    explicit TLXPanelForm(QObject *aOwner = nullptr);
    ~TLXPanelForm() override;
    Q_DISABLE_COPY_MOVE(TLXPanelForm)

    int FormWidth() const { return FFormWidth; }
    void setFormWidth(int value) { FFormWidth = value; }
    int FormHeight() const { return FFormHeight; }
    void setFormHeight(int value) { FFormHeight = value; }
    TLXDesignPanel *Panel() const;
    void setPanel(TLXDesignPanel *Value);
    TFormConfig *FormConfig() const { return FFormConfig; }
    QDialog *Form() const { return FForm.get(); }
    void setName(const QString &Value) { setObjectName(Value); }

    void setOnActivate(TNotifyEvent handler) { FOnActivate = std::move(handler); }
    void setOnClose(TCloseEvent handler) { FOnClose = std::move(handler); }
    void setOnCloseQuery(TCloseQueryEvent handler) { FOnCloseQuery = std::move(handler); }
    void setOnCreate(TNotifyEvent handler) { FOnCreate = std::move(handler); }
    void setOnDestroy(TNotifyEvent handler) { FOnDestroy = std::move(handler); }
    void setOnDeactivate(TNotifyEvent handler) { FOnDeactivate = std::move(handler); }
    void setOnHide(TNotifyEvent handler) { FOnHide = std::move(handler); }
    void setOnShow(TNotifyEvent handler) { FOnShow = std::move(handler); }
    void setOnResize(TNotifyEvent handler) { FOnResize = std::move(handler); }

    void setOnKeyDown(TKeyEvent handler) { FWindow.OnKeyDown = std::move(handler); }
    void setOnKeyPress(TKeyPressEvent handler) { FWindow.OnKeyPress = std::move(handler); }
    void setOnKeyUp(TKeyEvent handler) { FWindow.OnKeyUp = std::move(handler); }
    bool KeyPreview() const { return FWindow.KeyPreview; }
    void setKeyPreview(bool value);

    // Applies the settings and events, then shows the window without waiting.
    void Show();
    // Applies the settings and events, then shows the window modally: 1 for OK, 2 for Cancel,
    // or the code the window was closed with.
    int ShowModal();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The handlers the window runs now: the nine notify events as of the last show, and the
    // key handlers, which are set on the window directly.
    struct TWindowHandlers
    {
        TNotifyEvent OnActivate, OnCreate, OnDestroy, OnDeactivate, OnHide, OnShow, OnResize;
        TCloseEvent OnClose;
        TCloseQueryEvent OnCloseQuery;
        TKeyEvent OnKeyDown, OnKeyUp;
        TKeyPressEvent OnKeyPress;
        bool KeyPreview = false;
    };

    void ApplyFormConfig();
    void ApplyWindowFlags();
    void ApplyPosition();
    bool WindowEvent(QEvent *event);
    bool CloseEvent(QEvent *event);
    bool KeyEvent(QKeyEvent *event);
    bool IsFirstKeyReceiver(QObject *watched) const;
    void WatchFocusWidget(bool watch);
    void FocusChanged(QWidget *old, QWidget *now);
    void PanelDestroyed();
    void NameChanged();

    QObject *FOwner;
    QPointer<TLXDesignPanel> FPanel;
    int FFormWidth = 0;
    int FFormHeight = 0;
    bool FIgnore = false;
    TFormConfig *FFormConfig;
    std::unique_ptr<QDialog> FForm;
    TNotifyEvent FOnShow, FOnResize, FOnDeactivate, FOnDestroy, FOnHide, FOnActivate, FOnCreate;
    TCloseQueryEvent FOnCloseQuery;
    TCloseEvent FOnClose;
    TWindowHandlers FWindow;
};
