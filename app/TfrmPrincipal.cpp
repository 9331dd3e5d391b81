#include "app/TfrmPrincipal.h"

#include "app/TScreenTabBar.h"
#include "app/TdmGlobal.h"
#include "gui/TFonts.h"
#include "gui/TIcons.h"
#include "gui/TLayoutSettings.h"
#include "app/AppLog.h"

#include "rest/JsonUtils.h"
#include "rest/TApiPaths.h"
#include "rest/THttpClient.h"
#include "rest/THttpVerbs.h"
#include "gui/TMessageBox.h"
#include "screens/TfrmCadastroPadrao.h"
#include "widgets/TLXAccordion.h"
#include "widgets/TLXAccordionCollection.h"
#include "widgets/TLXAccordionItem.h"
#include "widgets/TLXAccordionTab.h"
#include "widgets/TLXImageList.h"
#include "widgets/TLXLinkList.h"
#include "widgets/TLXLinkListCollection.h"
#include "widgets/TLXLinkListItem.h"
#include "widgets/TLXLinkListLabel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <exception>
#include <memory>

namespace {

const QColor kSideBar(0x28, 0x2E, 0x3E); // 4075048
const QColor kSectionLine(0x5E, 0x65, 0x78); // 7890270
const QColor kCloseBox(0x9A, 0x98, 0x98); // 10000538
const QColor kCloseCross(0x3C, 0x36, 0x36); // 3552828

void FillBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QWidget *NewPanel(QWidget *parent, const QString &name, const QColor &colour)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName(name);
    FillBackground(panel, colour);
    return panel;
}

QPixmap CloseBoxPixmap(const QColor &box, const QColor &cross)
{
    QPixmap pixmap(14, 14);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(box);
    painter.drawRoundedRect(QRectF(0.5, 0.5, 13, 13), 2, 2);
    painter.setPen(QPen(cross, 1.6));
    painter.drawLine(QPointF(4, 4), QPointF(10, 10));
    painter.drawLine(QPointF(10, 4), QPointF(4, 10));
    return pixmap;
}

QIcon CloseBoxIcon()
{
    QIcon icon(CloseBoxPixmap(kCloseBox, kCloseCross));
    icon.addPixmap(CloseBoxPixmap(QColor(0x80, 0x80, 0x00), QColor(0x00, 0x80, 0x00)), QIcon::Disabled);
    return icon;
}

const QString kGeometryKey = QStringLiteral("principal/geometria");
const QString kSideBarKey = QStringLiteral("principal/barraLateral");
// The side bar's header is laid out for this width; the user may widen the bar for long entries.
constexpr int kSideBarWidth = 230;
constexpr int kSideBarWidest = 600;

} // namespace

TfrmPrincipal::TfrmPrincipal(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmPrincipal"));
    setWindowTitle(QStringLiteral("QuorelApi"));
    setFont(TFonts::Of(TFontFace::Window, 8));
    resize(931, 516);
    setWindowState(Qt::WindowMaximized);
    // Where the user last left the window, maximised or not; nothing kept keeps the above.
    const QByteArray kept = TLayoutSettings::Read(kGeometryKey);
    if (!kept.isEmpty() && !restoreGeometry(kept))
        qCWarning(lcApp) << "the kept window geometry does not apply";

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(BuildSplitter());
    AddShortcuts();
    AddScreenSwitchKeys();
    AddMenuKeys();
    FormCreate();
}

TfrmPrincipal::~TfrmPrincipal() = default;

// ---- layout

QWidget *TfrmPrincipal::BuildSplitter()
{
    divisor = new QSplitter(Qt::Horizontal, this);
    divisor->setObjectName(QStringLiteral("divisorBarraLateral"));
    divisor->setChildrenCollapsible(false);
    divisor->setHandleWidth(3);
    divisor->addWidget(BuildSideBar());
    divisor->addWidget(BuildContent());
    // The handle in the side bar's colour, as part of the bar.
    FillBackground(divisor->handle(1), kSideBar);
    divisor->setStretchFactor(0, 0);
    divisor->setStretchFactor(1, 1);
    divisor->setSizes({kSideBarWidth, width() - kSideBarWidth});
    TLayoutSettings::RestoreSplitter(divisor, kSideBarKey);
    TLayoutSettings::KeepSplitter(divisor, kSideBarKey);
    return divisor;
}

QWidget *TfrmPrincipal::BuildSideBar()
{
    barraLateral = NewPanel(this, QStringLiteral("Panel12"), kSideBar);
    barraLateral->setMinimumWidth(kSideBarWidth);
    barraLateral->setMaximumWidth(kSideBarWidest);
    auto *column = new QVBoxLayout(barraLateral);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    QWidget *cabecalhoMenu = NewPanel(barraLateral, QStringLiteral("Panel13"), kSideBar);
    cabecalhoMenu->setFixedHeight(93);
    auto *logotipo = new QLabel(cabecalhoMenu);
    logotipo->setObjectName(QStringLiteral("Image11"));
    logotipo->setGeometry(7, 9, 211, 41);
    // A bitmap rendered from resources/icons/logo.svg: drawing the SVG's text at start-up costs more
    // than the rest of the side bar. Read at the screen's pixel ratio.
    const bool sharp = logotipo->devicePixelRatioF() > 1;
    QPixmap logo = TIcons::ReadPng(sharp ? QStringLiteral(":/icons/logo@2x.png") : QStringLiteral(":/icons/logo.png"));
    logo.setDevicePixelRatio(sharp ? 2 : 1);
    logotipo->setPixmap(logo);

    auto *molduraPesquisa = new QFrame(cabecalhoMenu);
    molduraPesquisa->setObjectName(QStringLiteral("Shape4"));
    molduraPesquisa->setGeometry(3, 56, 221, 29);
    molduraPesquisa->setStyleSheet(QStringLiteral("QFrame#Shape4 { background: #282E3E; border: 1px solid #5E6578; }"));

    auto *lupa = new QLabel(cabecalhoMenu);
    lupa->setObjectName(QStringLiteral("Image10"));
    lupa->setGeometry(7, 59, 24, 24);
    lupa->setPixmap(TIcons::Of(TIcon::Magnifier).pixmap(QSize(24, 24)));

    edtPesquisaMenu = new QLineEdit(cabecalhoMenu);
    edtPesquisaMenu->setObjectName(QStringLiteral("edtPesquisaMenu"));
    edtPesquisaMenu->setGeometry(36, 62, 182, 19);
    edtPesquisaMenu->setFrame(false);
    edtPesquisaMenu->setFont(TFonts::Of(TFontFace::Content, 10));
    edtPesquisaMenu->setStyleSheet(QStringLiteral("QLineEdit { background: #282E3E; color: white; border: none; }"));
    connect(edtPesquisaMenu, &QLineEdit::textChanged, this, [this] { edtPesquisaMenuChange(); });
    column->addWidget(cabecalhoMenu);

    Imagens = new TLXImageList(16, 16, this);
    Imagens->setObjectName(QStringLiteral("Imagens"));
    Imagens->Add(TIcons::Of(TIcon::Expanded));
    Imagens->Add(TIcons::Of(TIcon::Collapsed));

    Menus = new TLXAccordion(barraLateral);
    Menus->setObjectName(QStringLiteral("Menus"));
    Menus->setButtonImageList(Imagens);
    Menus->setOpenImage(1);
    Menus->setOpenImageOver(1);
    Menus->setCloseImage(0);
    Menus->setCloseImageOver(0);
    column->addWidget(Menus, 1);
    return barraLateral;
}

QWidget *TfrmPrincipal::BuildContent()
{
    QWidget *conteudo = NewPanel(this, QStringLiteral("Panel2"), Qt::white);
    auto *column = new QVBoxLayout(conteudo);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // The tab bar sits on a strip of its own colour so the area right of the last tab matches.
    QWidget *strip = NewPanel(conteudo, QStringLiteral("abasFundo"), kSideBar);
    strip->setFixedHeight(25);
    auto *stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(0, 0, 0, 0);
    abas = new TScreenTabBar(strip);
    abas->setObjectName(QStringLiteral("abas"));
    abas->setFixedHeight(25);
    stripLayout->addWidget(abas);
    stripLayout->addStretch(1);
    connect(abas, &QTabBar::currentChanged, this, [this] { abasTabSelected(); });
    column->addWidget(strip);

    QWidget *areaTela = NewPanel(conteudo, QStringLiteral("Panel11"), Qt::white);
    auto *inner = new QVBoxLayout(areaTela);
    inner->setContentsMargins(10, 10, 10, 10);
    panelForm = new QStackedWidget(areaTela);
    panelForm->setObjectName(QStringLiteral("panelForm"));
    inner->addWidget(panelForm);
    column->addWidget(areaTela, 1);
    return conteudo;
}

void TfrmPrincipal::AddShortcuts()
{
    auto *closeTab = new QAction(QStringLiteral("Fechar aba"), this);
    closeTab->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    connect(closeTab, &QAction::triggered, this, [this] {
        if (abas->currentIndex() >= 0)
            abasTabClosed(abas->currentIndex());
    });
    addAction(closeTab);

    auto *findMenu = new QAction(QStringLiteral("Pesquisar menu"), this);
    findMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(findMenu, &QAction::triggered, this, [this] {
        edtPesquisaMenu->setFocus(Qt::ShortcutFocusReason);
        edtPesquisaMenu->selectAll();
    });
    addAction(findMenu);
}

void TfrmPrincipal::AddScreenSwitchKeys()
{
    const auto addKeys = [this](const QString &caption, const QList<QKeySequence> &keys, int step) {
        auto *action = new QAction(caption, this);
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this,
            [this, step] { static_cast<TScreenTabBar *>(abas)->SelectNeighbour(step); });
        addAction(action);
    };
    addKeys(QStringLiteral("Próxima tela"),
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)}, 1);
    addKeys(QStringLiteral("Tela anterior"),
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
         QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
        -1);
}

void TfrmPrincipal::AddMenuKeys()
{
    auto *intoMenu = new QAction(QStringLiteral("Ir para o menu"), edtPesquisaMenu);
    intoMenu->setShortcut(QKeySequence(Qt::Key_Down));
    intoMenu->setShortcutContext(Qt::WidgetShortcut);
    connect(intoMenu, &QAction::triggered, this, [this] {
        if (TLXLinkList *links = SectionLinks(Menus->SelectedIndex()))
            links->setFocus(Qt::TabFocusReason);
    });
    edtPesquisaMenu->addAction(intoMenu);
    connect(edtPesquisaMenu, &QLineEdit::returnPressed, this,
        [this] { ShowErrorsOf([this] { OpenFirstMenuEntry(); }); });
}

void TfrmPrincipal::OpenFirstMenuEntry()
{
    const TLXLinkList *links = SectionLinks(Menus->SelectedIndex());
    if (TLXLinkListLabel *first = links ? links->ShownLink(0) : nullptr)
        first->click();
}

// ---- the menu

void TfrmPrincipal::FormCreate()
{
    FFormList.clear();
    ReloadMenus();
}

void TfrmPrincipal::ReloadMenus()
{
    LoadMenus();
    Menus->setSelectedIndex(0);
}

void TfrmPrincipal::LoadMenus()
{
    const TRestResult response = THttpVerbs::GetSync(TApiPaths::Menu());
    FMenuLoaded = response.Answered() && response.Status >= 200 && response.Status < 300;
    if (!FMenuLoaded) {
        const QString failure = !response.Error.isEmpty()
            ? response.Error
            : QStringLiteral("O servidor respondeu %1 ao pedir o menu.").arg(response.Status);
        TMessageBox::Show(failure, TMessageKind::Error, QApplication::applicationName());
        return;
    }
    Menus->Items()->Clear();
    TLXLinkList *links = AddMenuSection(QStringLiteral("Cadastros"));
    // Like every GET of the program, the menu is read as UTF-8 whatever the answer declares.
    FillMenu(links, response.Text);
}

TLXLinkList *TfrmPrincipal::AddMenuSection(const QString &title)
{
    TLXAccordionItem *section = Menus->Items()->Add();
    TLXAccordionTab *tab = section->Panel();
    auto *links = new TLXLinkList(tab);
    links->setObjectName(QStringLiteral("lnkCadastros"));
    links->setColor(kSideBar);
    tab->setContent(links);
    section->setTitle(title);
    section->setBorderColor(kSectionLine);
    section->setTitleBorderColor(kSectionLine);
    section->setTitleColor(kSectionLine);
    QFont titleFont = TFonts::Of(TFontFace::Content);
    titleFont.setBold(true);
    section->setFont(titleFont);
    section->setFontColor(Qt::white);
    return links;
}

void TfrmPrincipal::FillMenu(TLXLinkList *links, const QString &text)
{
    const std::optional<TJson> menu = ParseJson(text);
    if (!menu || !menu->is_array())
        return;
    try {
        for (const TJson &entry : *menu) {
            const QString caption = GetValueText(entry, QStringLiteral("descricao"));
            const QString resource = GetValueText(entry, QStringLiteral("resource"));
            TLXLinkListItem *link = links->Items()->Add();
            link->setText(caption);
            link->setResource(resource);
            TLXLinkListLabel *label = link->Label();
            connect(label, &TLXLinkListLabel::clicked, this, [this, label] { ShowErrorsOf([&] { MenuItemClick(label); }); });
        }
    } catch (const std::exception &error) {
        // An entry without its members stops the filling; the links before it stay.
        TMessageBox::Show(QString::fromUtf8(error.what()), TMessageKind::Error, QApplication::applicationName());
    }
}

TLXLinkList *TfrmPrincipal::SectionLinks(int section) const
{
    const TLXAccordionItem *item = Menus->Items()->Items(section);
    return item ? qobject_cast<TLXLinkList *>(item->Panel()->Content()) : nullptr;
}

void TfrmPrincipal::MenuItemClick(TLXLinkListLabel *sender)
{
    if (sender)
        OpenScreen(sender->text(), sender->Resource());
}

void TfrmPrincipal::edtPesquisaMenuChange()
{
    const int count = Menus->Items()->Count();
    for (int i = 0; i < count; ++i)
        if (TLXLinkList *links = SectionLinks(i))
            links->Filter(edtPesquisaMenu->text());
    const TLXLinkList *selected = SectionLinks(Menus->SelectedIndex());
    if (!selected || selected->VisibleCount() > 0)
        return;
    for (int i = 0; i < count; ++i) {
        const TLXLinkList *links = SectionLinks(i);
        if (links && links->VisibleCount() > 0) {
            Menus->setSelectedIndex(i);
            return;
        }
    }
}

// ---- screens and tabs

void TfrmPrincipal::OpenScreen(const QString &caption, const QString &resource)
{
    auto *screen = new TfrmCadastroPadrao(panelForm);
    if (dmGlobal)
        screen->SetJsonFormatter([](const QString &json) { return dmGlobal->FormatJson(json); });
    screen->SetPath(resource);
    screen->setWindowTitle(caption);

    const quint64 key = FNextTabKey++;
    const QSignalBlocker blocker(abas); // selection is made by ShowScreen once the entry exists
    const int index = abas->addTab(TScreenTabBar::TabCaption(caption));
    abas->setTabData(index, key);
    abas->setTabToolTip(index, caption);
    AddCloseBox(index);
    FFormList.insert(key, screen);
    panelForm->addWidget(screen);
    ShowScreen(screen);
}

void TfrmPrincipal::AddCloseBox(int tabIndex)
{
    auto *button = new QToolButton(abas);
    button->setObjectName(QStringLiteral("btFecharAba"));
    button->setAutoRaise(true);
    button->setIcon(CloseBoxIcon());
    button->setIconSize(QSize(14, 14));
    button->setFixedSize(16, 16);
    button->setCursor(Qt::ArrowCursor);
    button->setToolTip(QStringLiteral("Fechar"));
    button->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"));
    connect(button, &QToolButton::clicked, this, [this, button] {
        for (int i = 0; i < abas->count(); ++i)
            if (abas->tabButton(i, QTabBar::RightSide) == button) {
                abasTabClosed(i);
                return;
            }
    });
    abas->setTabButton(tabIndex, QTabBar::RightSide, button);
}

int TfrmPrincipal::UnsavedScreens() const
{
    int count = 0;
    for (const QPointer<TfrmCadastroPadrao> &screen : FFormList)
        count += screen && screen->HasUnsavedChanges();
    return count;
}

void TfrmPrincipal::closeEvent(QCloseEvent *event)
{
    const int unsaved = UnsavedScreens();
    if (unsaved > 0) {
        const QString question = unsaved == 1
            ? TfrmCadastroPadrao::DiscardQuestion
            : QStringLiteral("Existem alterações não gravadas em %1 telas. Deseja descartá-las?").arg(unsaved);
        if (ShowMessageBox(question, TMessageKind::Question) != TMessageResult::Yes) {
            event->ignore();
            return;
        }
    }
    TLayoutSettings::Write(kGeometryKey, saveGeometry());
    QWidget::closeEvent(event);
}

TfrmCadastroPadrao *TfrmPrincipal::ScreenOf(int tabIndex) const
{
    if (tabIndex < 0 || tabIndex >= abas->count())
        return nullptr;
    return FFormList.value(abas->tabData(tabIndex).toULongLong());
}

TfrmCadastroPadrao *TfrmPrincipal::CurrentScreen() const
{
    return qobject_cast<TfrmCadastroPadrao *>(panelForm->currentWidget());
}

void TfrmPrincipal::ShowScreen(TfrmCadastroPadrao *screen)
{
    for (int i = 0; i < abas->count(); ++i) {
        if (ScreenOf(i) != screen)
            continue;
        panelForm->setCurrentWidget(screen);
        if (abas->currentIndex() != i) {
            const QSignalBlocker blocker(abas);
            abas->setCurrentIndex(i);
        }
        return;
    }
}

void TfrmPrincipal::abasTabSelected()
{
    if (TfrmCadastroPadrao *screen = ScreenOf(abas->currentIndex()))
        ShowScreen(screen);
}

void TfrmPrincipal::abasTabClosed(int index)
{
    if (index < 0 || index >= abas->count())
        return;
    const quint64 key = abas->tabData(index).toULongLong();
    if (TfrmCadastroPadrao *asking = FFormList.value(key)) {
        const QPointer<TfrmPrincipal> self(this); // the question runs an event loop
        if (!asking->ConfirmDiscard() || !self)
            return;
        // Meanwhile other tabs may have closed: find this one again.
        index = -1;
        for (int i = 0; i < abas->count() && index < 0; ++i)
            if (abas->tabData(i).toULongLong() == key)
                index = i;
        if (index < 0)
            return;
    }
    {
        // The screen goes now: answers still on their way find it gone and do nothing.
        const std::unique_ptr<TfrmCadastroPadrao> screen(FFormList.take(key).data());
        if (screen) {
            screen->close();
            panelForm->removeWidget(screen.get());
        }
    }
    abas->removeTab(index); // the tab bar selects another tab, whose screen comes to front
    if (abas->count() == 0)
        return;
    abasTabSelected();
}
