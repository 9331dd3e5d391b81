#include "widgets/TLXPanelForm.h"

#include "widgets/TLXDesignPanel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

namespace {

Qt::WindowFlags BorderFlags(const TFormConfig &config)
{
    using C = TFormConfig;
    const C::TFormBorderStyle style = config.BorderStyle();
    if (style == C::bsNone)
        return Qt::Window | Qt::FramelessWindowHint;
    const bool tool = style == C::bsToolWindow || style == C::bsSizeToolWin;
    Qt::WindowFlags flags = (tool ? Qt::Tool : style == C::bsDialog ? Qt::Dialog : Qt::Window)
        | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    const C::TBorderIcons icons = config.BorderIcons();
    // Without the system menu there are no title-bar buttons at all; dialogs and tool windows
    // have no minimise or maximise buttons.
    if (!icons.testFlag(C::biSystemMenu))
        return flags;
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    const bool canMinMax = style == C::bsSingle || style == C::bsSizeable;
    if (canMinMax && icons.testFlag(C::biMinimize))
        flags |= Qt::WindowMinimizeButtonHint;
    if (canMinMax && icons.testFlag(C::biMaximize))
        flags |= Qt::WindowMaximizeButtonHint;
    if (icons.testFlag(C::biHelp))
        flags |= Qt::WindowContextHelpButtonHint;
    return flags;
}

QWidget *MainWindow(const QWidget *except)
{
    if (QWidget *active = QApplication::activeWindow(); active && active != except)
        return active;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top != except && top->isVisible() && top->windowType() == Qt::Window)
            return top;
    return nullptr;
}

} // namespace

TLXPanelForm::TLXPanelForm(QObject *aOwner)
    : TLXDesignPanelForm(aOwner),
      FOwner(aOwner),
      FFormConfig(new TFormConfig(this)),
      FForm(std::make_unique<QDialog>())
{
    auto *layout = new QVBoxLayout(FForm.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    FForm->installEventFilter(this);
    connect(this, &QObject::objectNameChanged, this, &TLXPanelForm::NameChanged);
    connect(qApp, &QApplication::focusChanged, this, &TLXPanelForm::FocusChanged);
}

TLXPanelForm::~TLXPanelForm()
{
    FIgnore = true;
    if (FPanel)
        disconnect(FPanel, nullptr, this, nullptr);
    WatchFocusWidget(false);
    // The window takes the panel and its controls with it.
    FForm.reset();
}

TLXDesignPanel *TLXPanelForm::Panel() const
{
    return FPanel;
}

void TLXPanelForm::setPanel(TLXDesignPanel *Value)
{
    if (FPanel)
        disconnect(FPanel, nullptr, this, nullptr);
    FPanel = Value;
    if (!Value)
        return;
    connect(Value, &QObject::destroyed, this, &TLXPanelForm::PanelDestroyed);
    Value->setObjectName(objectName() + QStringLiteral("_Panel"));
    if (Value->width() >= 1)
        FForm->resize(Value->width(), Value->height());
    else
        FForm->resize(FFormWidth, FFormHeight);
    FForm->layout()->addWidget(Value);
}

void TLXPanelForm::setKeyPreview(bool value)
{
    if (FWindow.KeyPreview == value)
        return;
    FWindow.KeyPreview = value;
    WatchFocusWidget(value);
}

void TLXPanelForm::WatchFocusWidget(bool watch)
{
    // Previewing needs the keys before the focused control of the window sees them.
    QWidget *focus = QApplication::focusWidget();
    if (!focus || focus == FForm.get() || focus->window() != FForm.get())
        return;
    if (watch)
        focus->installEventFilter(this);
    else
        focus->removeEventFilter(this);
}

void TLXPanelForm::FocusChanged(QWidget *old, QWidget *now)
{
    if (old && old != FForm.get())
        old->removeEventFilter(this);
    if (FWindow.KeyPreview && now && now != FForm.get() && now->window() == FForm.get())
        now->installEventFilter(this);
}

void TLXPanelForm::Show()
{
    ApplyFormConfig();
    FForm->show();
}

int TLXPanelForm::ShowModal()
{
    ApplyFormConfig();
    const QPointer<TLXPanelForm> alive(this);
    const int result = FForm->exec();
    if (!alive)
        return 2;
    return result == QDialog::Rejected ? 2 : result;
}

void TLXPanelForm::ApplyFormConfig()
{
    const TFormConfig &config = *FFormConfig;
    FForm->setWindowTitle(config.Caption());
    FForm->setWindowOpacity(config.AlphaBlend() ? config.AlphaBlendValue() / 255.0 : 1.0);
    ApplyWindowFlags();
    ApplyPosition();
    // OnCreate and OnDestroy are copied like the others but never raised: the window exists
    // before its first show and goes with the panel form, whose owner may already be gone.
    FWindow.OnActivate = FOnActivate;
    FWindow.OnClose = FOnClose;
    FWindow.OnCloseQuery = FOnCloseQuery;
    FWindow.OnCreate = FOnCreate;
    FWindow.OnDestroy = FOnDestroy;
    FWindow.OnDeactivate = FOnDeactivate;
    FWindow.OnHide = FOnHide;
    FWindow.OnShow = FOnShow;
    FWindow.OnResize = FOnResize;
}

void TLXPanelForm::ApplyWindowFlags()
{
    Qt::WindowFlags flags = BorderFlags(*FFormConfig);
    if (FFormConfig->FormStyle() == TFormConfig::fsStayOnTop)
        flags |= Qt::WindowStaysOnTopHint;
    // Changing the flags re-creates the window, so only when they differ.
    if (FForm->windowFlags() != flags) {
        const bool shown = FForm->isVisible();
        FForm->setWindowFlags(flags);
        if (shown)
            FForm->show();
    }
}

void TLXPanelForm::ApplyPosition()
{
    QRect area;
    switch (FFormConfig->Position()) {
    case TFormConfig::poScreenCenter: {
        QScreen *screen = FForm->screen() ? FForm->screen() : QGuiApplication::primaryScreen();
        area = screen ? screen->availableGeometry() : QRect();
        break;
    }
    case TFormConfig::poDesktopCenter:
        if (QScreen *screen = QGuiApplication::primaryScreen())
            area = screen->availableVirtualGeometry();
        break;
    case TFormConfig::poOwnerFormCenter:
        if (auto *owner = qobject_cast<QWidget *>(FOwner); owner && owner->window() != FForm.get()) {
            area = owner->window()->frameGeometry();
            break;
        }
        [[fallthrough]];
    case TFormConfig::poMainFormCenter:
        if (QWidget *main = MainWindow(FForm.get()))
            area = main->frameGeometry();
        else if (QScreen *screen = QGuiApplication::primaryScreen())
            area = screen->availableGeometry();
        break;
    default:
        return; // the window system or the stored position decides
    }
    // move() places the frame; its size is the client size until the window was first shown.
    const QSize frame = FForm->frameGeometry().size();
    if (area.isValid())
        FForm->move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

bool TLXPanelForm::eventFilter(QObject *watched, QEvent *event)
{
    const bool isKey = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (isKey) {
        // With KeyPreview the window sees a key before the control it goes to, otherwise only
        // a key that reaches the window itself; either way once.
        const bool handles = FWindow.KeyPreview ? IsFirstKeyReceiver(watched) : watched == FForm.get();
        return handles && KeyEvent(static_cast<QKeyEvent *>(event));
    }
    return watched == FForm.get() && WindowEvent(event);
}

bool TLXPanelForm::WindowEvent(QEvent *event)
{
    QDialog *form = FForm.get();
    const auto notify = [form](const TNotifyEvent &handler) {
        if (handler)
            handler(form);
        return false;
    };
    switch (event->type()) {
    case QEvent::Show: return notify(FWindow.OnShow);
    case QEvent::Hide: return notify(FWindow.OnHide);
    case QEvent::Resize: return notify(FWindow.OnResize);
    case QEvent::WindowActivate: return notify(FWindow.OnActivate);
    case QEvent::WindowDeactivate: return notify(FWindow.OnDeactivate);
    case QEvent::Close: return CloseEvent(event);
    default: return false;
    }
}

bool TLXPanelForm::CloseEvent(QEvent *event)
{
    bool canClose = true;
    if (FWindow.OnCloseQuery)
        FWindow.OnCloseQuery(FForm.get(), canClose);
    TCloseAction action = caHide;
    if (canClose && FWindow.OnClose)
        FWindow.OnClose(FForm.get(), action);
    if (!canClose || action == caNone) {
        event->ignore();
        return true;
    }
    if (action == caMinimize) {
        event->ignore();
        FForm->showMinimized();
        return true;
    }
    // caFree hides too: the window belongs to the panel form, which releases it.
    return false;
}

bool TLXPanelForm::KeyEvent(QKeyEvent *event)
{
    QDialog *form = FForm.get();
    int key = event->key();
    const TKeyEvent &handler = event->type() == QEvent::KeyPress ? FWindow.OnKeyDown : FWindow.OnKeyUp;
    if (handler) {
        handler(form, key, event->modifiers());
        if (key == 0)
            return true;
    }
    if (event->type() == QEvent::KeyPress && FWindow.OnKeyPress && !event->text().isEmpty()) {
        QChar character = event->text().at(0);
        FWindow.OnKeyPress(form, character);
        if (character.isNull())
            return true;
    }
    return false;
}

bool TLXPanelForm::IsFirstKeyReceiver(QObject *watched) const
{
    // A key goes first to the focused control of the window, or to the window itself.
    QWidget *focus = QApplication::focusWidget();
    if (focus && focus->window() == FForm.get())
        return watched == focus;
    return watched == FForm.get();
}

void TLXPanelForm::PanelDestroyed()
{
    if (FIgnore)
        return;
    FIgnore = true;
    FPanel = nullptr;
    deleteLater();
}

void TLXPanelForm::NameChanged()
{
    if (FPanel)
        FPanel->setObjectName(objectName() + QStringLiteral("_Panel"));
}
