#pragma once

#include <QHash>
#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QSplitter;
class QStackedWidget;
class QTabBar;
class TLXAccordion;
class TLXImageList;
class TLXLinkList;
class TLXLinkListLabel;
class TfrmCadastroPadrao;

// The program's only top-level window: a side bar with the menu the server sends (filtered by a
// search box) and a tab bar whose tabs each show one record-editing screen. Unlike a plain QWidget
// it fetches the menu while it is being created; a failure shows its message and leaves the side
// bar empty until ReloadMenus succeeds. Owns its controls and, through panelForm, every open
// screen; closing a tab destroys its screen.
class TfrmPrincipal final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmPrincipal)

public:
    explicit TfrmPrincipal(QWidget *parent = nullptr);
    ~TfrmPrincipal() override;

    // Whether the last request for the menu got a successful answer.
    bool MenuLoaded() const { return FMenuLoaded; }
    // Asks the server (SystemConfig, as it is now) for the menu again; a failure shows its message.
    void ReloadMenus();

    // The screen of a tab, or null.
    TfrmCadastroPadrao *ScreenOf(int tabIndex) const;
    // The screen on front, or null when no tab is open.
    TfrmCadastroPadrao *CurrentScreen() const;
    // The link list of a section of Menus, or null.
    TLXLinkList *SectionLinks(int section) const;

    void OpenScreen(const QString &caption, const QString &resource);
    void ShowScreen(TfrmCadastroPadrao *screen);
    void abasTabSelected();
    // Closes a tab and its screen; a screen with unsaved changes asks first.
    void abasTabClosed(int index);
    void edtPesquisaMenuChange();
    // How many open screens hold changes not saved.
    int UnsavedScreens() const;

    // The side bar and the screens, the user dragging the handle between them.
    QSplitter *divisor = nullptr;
    QWidget *barraLateral = nullptr;
    QLineEdit *edtPesquisaMenu = nullptr;
    TLXAccordion *Menus = nullptr;
    QTabBar *abas = nullptr;
    QStackedWidget *panelForm = nullptr;
    TLXImageList *Imagens = nullptr;

protected:
    // Closing the window with unsaved changes on any screen asks once first.
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void LoadMenus();
    void FillMenu(TLXLinkList *links, const QString &text);
    TLXLinkList *AddMenuSection(const QString &title);
    void MenuItemClick(TLXLinkListLabel *sender);
    QWidget *BuildSplitter();
    QWidget *BuildSideBar();
    QWidget *BuildContent();
    void AddShortcuts();
    // Ctrl+Tab / Ctrl+PgDn to the next screen, Ctrl+Shift+Tab / Ctrl+PgUp to the previous one.
    void AddScreenSwitchKeys();
    // In the menu filter, Down goes into the menu and Enter opens the first entry that passes it.
    void AddMenuKeys();
    void OpenFirstMenuEntry();
    void AddCloseBox(int tabIndex);

    // Tab -> screen: each tab carries a key (its tab data) into this map.
    QHash<quint64, QPointer<TfrmCadastroPadrao>> FFormList;
    quint64 FNextTabKey = 1;
    bool FMenuLoaded = false;
};
