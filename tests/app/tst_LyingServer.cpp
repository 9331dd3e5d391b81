#include "app/TApplication.h"
#include "app/TfrmPrincipal.h"
#include "convert/TRecordTable.h"
#include "convert/TRecordTableModel.h"
#include "gui/TMessageBox.h"
#include "rest/TRequestPool.h"
#include "screens/TfrmCadastroPadrao.h"
#include "screens/TfrmPesquisaPadrao.h"
#include "screens/TfrmTabForm.h"
#include "tests/support/TLyingServer.h"
#include "widgets/TLXLinkList.h"
#include "widgets/TLXLinkListCollection.h"
#include "widgets/TLXLinkListItem.h"
#include "widgets/TLXSearchEdit.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>
#include <random>

namespace {

// The longest a step may take to settle: a save, the reload it triggers and the lookup text that
// reload fetches are three requests in a row, each delayed up to 2 s by the server, plus room for
// the sanitizers on a shared machine.
constexpr int kStepBoundMs = 10000;
// A search window is driven through at most this many actions before it is closed.
constexpr int kSearchActions = 4;
constexpr int kMaxTabs = 5;

// The offscreen platform warns about every window it shows; nothing to learn from that here.
QtMessageHandler gPreviousHandler = nullptr;
void QuietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.contains(QLatin1String("propagateSizeHints")))
        return;
    gPreviousHandler(type, context, message);
}

quint32 SeedFromEnvironment()
{
    bool ok = false;
    const quint32 seed = qEnvironmentVariable("QUOREL_LYING_SEED").toUInt(&ok);
    if (ok)
        return seed;
    return quint32(QDateTime::currentMSecsSinceEpoch()) ^ std::random_device()();
}

int StepsFromEnvironment()
{
    bool ok = false;
    const int steps = qEnvironmentVariableIntValue("QUOREL_LYING_STEPS", &ok);
    return ok && steps > 0 ? steps : 150;
}

// Texts a user might type, sane and not.
const QStringList kTexts{QString(), QStringLiteral("Ana"), QStringLiteral("12"), QStringLiteral("-3.5"),
                         QStringLiteral("0007"), QStringLiteral("ação & cia"), QString(300, QLatin1Char('x')),
                         QStringLiteral("\"}{[%"), QStringLiteral("99999999999999999999")};

// Types text into a widget key by key (QTest::keyClicks knows ASCII only).
void TypeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

bool Usable(const QWidget *widget)
{
    return widget && widget->isEnabled();
}

} // namespace

// Drives the real main window against a server that lies: seeded random steps (open screens,
// search and page, lookups, combo boxes, new/save/delete, detail lists, tabs), each followed by a
// wait until no request is in flight. A step fails when it does not settle within its bound, when
// one user action raises more than one message box, or when a dialog is left open; crashes,
// sanitizer reports and model faults (QAbstractItemModelTester, fatal) end the run.
class TestLyingServer final : public QObject
{
    Q_OBJECT

    std::unique_ptr<TLyingServer> FServer;
    std::unique_ptr<TfrmPrincipal> FWindow;
    quint32 FSeed = 0;
    std::mt19937 FSteps;   // choices of the steps
    std::mt19937 FAnswers; // answers to questions, apart so that box timing does not shift the steps
    int FStepIndex = 0;
    QString FAction;
    QStringList FBoxTexts;
    QStringList FFailures;
    QList<QPointer<QDialog>> FDriven;
    QTimer FWatchdog;
    QHash<QDialog *, int> FUndriven;
    qint64 FLongestSettleMs = 0;
    int FModelTesters = 0;

    // ---- bookkeeping

    int Random(int bound) { return bound > 0 ? int(FSteps() % unsigned(bound)) : 0; }
    template <typename T>
    T *Pick(const QList<T *> &list) { return list.isEmpty() ? nullptr : list.at(Random(int(list.size()))); }

    void Fail(const QString &what)
    {
        const QString line = QStringLiteral("seed %1, step %2 (%3): %4").arg(FSeed).arg(FStepIndex).arg(FAction, what);
        qWarning().noquote() << "FAIL" << line;
        FFailures << line;
    }

    // A new user action: message boxes are counted from here. Logged before it runs, so that a
    // crash or a freeze names it.
    void BeginAction(const QString &name)
    {
        FAction = name;
        FBoxTexts.clear();
        if (FStepIndex > 0)
            qInfo().noquote() << QStringLiteral("step %1: %2").arg(FStepIndex).arg(name.left(80));
    }

    TMessageResult OnMessageBox(const TMessageBoxCall &call)
    {
        if (call.Kind == TMessageKind::Question) {
            // Answering the question is the user's next action.
            const bool yes = FAnswers() % 5 != 0;
            BeginAction(FAction + (yes ? QStringLiteral(" / sim") : QStringLiteral(" / não")));
            return yes ? TMessageResult::Yes : TMessageResult::No;
        }
        FBoxTexts << call.Text.left(120);
        if (FBoxTexts.size() > 1)
            Fail(QStringLiteral("%1 message boxes for one action: %2").arg(FBoxTexts.size()).arg(FBoxTexts.join(QStringLiteral(" | "))));
        return TMessageResult::Ok;
    }

    // Runs the event loop until no request is in flight, or the bound has passed; a step that
    // does not settle in time fails. Returns the time it took.
    qint64 Settle()
    {
        QElapsedTimer clock;
        clock.start();
        int quiet = 0;
        while (clock.elapsed() < kStepBoundMs) {
            QTest::qWait(10);
            quiet = TRequestPool::Pool().activeThreadCount() == 0 ? quiet + 1 : 0;
            if (quiet >= 3)
                break;
        }
        const qint64 elapsed = clock.elapsed();
        FLongestSettleMs = qMax(FLongestSettleMs, elapsed);
        if (quiet < 3)
            Fail(QStringLiteral("still busy after %1 ms").arg(elapsed));
        AttachModelTesters();
        return elapsed;
    }

    // Every record-table model on screen gets one fatal model tester, which lives as long as it.
    void AttachModelTesters()
    {
        for (QWidget *top : QApplication::topLevelWidgets())
            for (QAbstractItemView *view : top->findChildren<QAbstractItemView *>()) {
                auto *model = qobject_cast<TRecordTableModel *>(view->model());
                if (!model || model->property("lyingTester").toBool())
                    continue;
                model->setProperty("lyingTester", true);
                new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::Fatal, model);
                ++FModelTesters;
            }
    }

    // ---- modal windows

    bool Driven(QDialog *dialog) const
    {
        for (const QPointer<QDialog> &driven : FDriven)
            if (driven == dialog)
                return true;
        return false;
    }

    // Waits (from inside the modal loop the next action starts) for a new modal dialog and runs
    // script on it; whatever the script leaves open is then cancelled. The caller deletes the
    // returned timer after the action, so a dialog that never came cannot be driven by a stale script.
    QTimer *ArmModalDriver(std::function<void(QDialog &)> script)
    {
        auto *timer = new QTimer(this);
        timer->setInterval(10);
        connect(timer, &QTimer::timeout, this, [this, timer, script = std::move(script)] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog || Driven(dialog))
                return;
            timer->stop();
            const QPointer<QDialog> guard(dialog);
            FDriven.append(guard);
            AttachModelTesters();
            script(*dialog);
            if (guard && guard->isVisible())
                guard->reject();
            FDriven.removeAll(guard);
            FDriven.removeAll(nullptr);
        });
        timer->start();
        return timer;
    }

    // Runs action with a driver armed for the modal dialog it may open.
    void WithModal(const std::function<void(QDialog &)> &script, const std::function<void()> &action)
    {
        const QPointer<QTimer> driver = ArmModalDriver(script);
        action();
        delete driver.data();
    }

    // A dialog nobody drives would block the run: after 3 s it is cancelled and the step fails.
    void Watch()
    {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || Driven(dialog)) {
            FUndriven.clear();
            return;
        }
        if (++FUndriven[dialog] < 30)
            return;
        Fail(QStringLiteral("dialog '%1' open with nobody driving it").arg(dialog->windowTitle()));
        FUndriven.remove(dialog);
        dialog->reject();
    }

    void CloseLeftoverDialogs()
    {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<QDialog *>(top); dialog && dialog->isVisible()) {
                Fail(QStringLiteral("dialog '%1' still open after the step").arg(dialog->windowTitle()));
                dialog->reject();
            }
    }

    // ---- what a user does to controls

    // Through keyboard and mouse events, as a user does, so that an error a handler raises takes
    // the program's own way (the application object shows it).
    void FillControl(QWidget *control)
    {
        if (auto *lookup = qobject_cast<TLXSearchEdit *>(control)) {
            QTest::keyClick(lookup, Qt::Key_A, Qt::ControlModifier);
            TypeText(lookup, Random(3) == 0 ? QStringLiteral("abc") : QString::number(Random(30)));
            QTest::keyClick(lookup, Qt::Key_Tab); // leaving the edit takes the typed key
        } else if (auto *edit = qobject_cast<QLineEdit *>(control)) {
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(edit, Qt::Key_Delete);
            TypeText(edit, kTexts.at(Random(int(kTexts.size()))));
        } else if (auto *check = qobject_cast<QCheckBox *>(control)) {
            QTest::keyClick(check, Qt::Key_Space);
        } else if (auto *date = qobject_cast<QDateEdit *>(control)) {
            date->setDate(Random(4) == 0 ? date->minimumDate() : QDate(1950 + Random(80), 1 + Random(12), 1 + Random(28)));
        } else if (auto *combo = qobject_cast<QComboBox *>(control)) {
            for (int i = 0, moves = 1 + Random(3); i < moves; ++i)
                QTest::keyClick(combo, Random(3) == 0 ? Qt::Key_Up : Qt::Key_Down);
        }
    }

    // The enabled input controls of a list of controls.
    static QList<QWidget *> Inputs(const QList<QPointer<QWidget>> &controls)
    {
        QList<QWidget *> inputs;
        for (const QPointer<QWidget> &control : controls)
            if (Usable(control) && !qobject_cast<TfrmTabForm *>(control))
                inputs << control.data();
        return inputs;
    }

    QList<QWidget *> ScreenInputs(const TfrmCadastroPadrao &screen) const
    {
        QList<QWidget *> inputs = Inputs(screen.FieldMap());
        for (const auto &group : screen.Objects())
            inputs << Inputs(group);
        return inputs;
    }

    template <typename T>
    static T *Child(const QWidget &parent, const char *name)
    {
        return parent.findChild<T *>(QLatin1String(name));
    }

    void Click(QAbstractButton *button)
    {
        if (Usable(button))
            QTest::mouseClick(button, Qt::LeftButton);
    }

    // ---- scripts for the modal windows

    // A search window: searches, pages, types filters, opens a lookup filter (one level deep),
    // picks a row, then chooses or cancels.
    void DriveSearch(QDialog &dialog, int depth)
    {
        auto *search = qobject_cast<TfrmPesquisaPadrao *>(&dialog);
        if (!search)
            return;
        const QPointer<TfrmPesquisaPadrao> window(search);
        Settle(); // filters and columns
        for (int i = 0, actions = Random(kSearchActions + 1); window && i < actions; ++i) {
            switch (Random(7)) {
            case 0:
            case 1:
                BeginAction(QStringLiteral("pesquisa: Pesquisar"));
                Click(Child<QPushButton>(*window, "btPesquisar"));
                break;
            case 2: {
                static const char *const pagers[] = {"Button1", "Button2", "Button3", "Button4"};
                const char *pager = pagers[Random(4)];
                BeginAction(QStringLiteral("pesquisa: %1").arg(QLatin1String(pager)));
                Click(Child<QPushButton>(*window, pager));
                break;
            }
            case 3: {
                auto *page = Child<QLineEdit>(*window, "edtPagina");
                BeginAction(QStringLiteral("pesquisa: página digitada"));
                page->setText(QString::number(Random(5) - 1));
                QTest::keyClick(page, Qt::Key_Return);
                break;
            }
            case 4: {
                QList<QLineEdit *> filters;
                for (QLineEdit *edit : window->findChildren<QLineEdit *>())
                    if (!edit->objectName().isEmpty() && edit->objectName() != QLatin1String("edtPagina"))
                        filters << edit;
                if (QLineEdit *filter = Pick(filters)) {
                    BeginAction(QStringLiteral("pesquisa: filtro %1").arg(filter->objectName()));
                    FillControl(filter);
                }
                break;
            }
            case 5: {
                TLXSearchEdit *lookup = depth == 0 ? Pick(window->findChildren<TLXSearchEdit *>()) : nullptr;
                if (!lookup)
                    break;
                BeginAction(QStringLiteral("pesquisa: busca do filtro %1").arg(lookup->objectName()));
                WithModal([this](QDialog &inner) { DriveSearch(inner, 1); }, [lookup] { QTest::keyClick(lookup, Qt::Key_F8); });
                break;
            }
            case 6: {
                auto *grid = Child<QTableView>(*window, "gridPesquisa");
                if (grid->model()->rowCount() > 0) {
                    BeginAction(QStringLiteral("pesquisa: linha"));
                    grid->selectRow(Random(grid->model()->rowCount()));
                }
                break;
            }
            }
            Settle();
        }
        if (window && Random(2) == 0) {
            BeginAction(QStringLiteral("pesquisa: Selecionar"));
            Click(Child<QPushButton>(*window, "btSelecionar")); // may refuse without a row, with a box
        }
        if (window && window->isVisible()) {
            BeginAction(QStringLiteral("pesquisa: Cancelar"));
            Click(Child<QPushButton>(*window, "btCancelar"));
        }
    }

    // The pop-up of a detail list: fills a few of its controls, then saves or cancels.
    void DriveDetailPopup(QDialog &dialog, TfrmTabForm *editor)
    {
        const QPointer<QDialog> window(&dialog);
        Settle(); // options of its combo boxes
        if (!editor || !window)
            return;
        const QList<QWidget *> inputs = Inputs(editor->FieldMap());
        for (int i = 0, fills = Random(4); i < fills && !inputs.isEmpty() && window; ++i)
            FillControl(Pick(inputs));
        if (!window)
            return;
        BeginAction(QStringLiteral("detalhe: Gravar"));
        Click(Child<QPushButton>(*window, Random(4) == 0 ? "Button1" : "Button2"));
        Settle();
    }

    // ---- the steps

    TfrmCadastroPadrao *Screen() const { return FWindow ? FWindow->CurrentScreen() : nullptr; }

    QString NewWindow()
    {
        BeginAction(QStringLiteral("fechar a janela"));
        FWindow.reset();
        Settle();
        BeginAction(QStringLiteral("janela nova"));
        FWindow = std::make_unique<TfrmPrincipal>();
        FWindow->show();
        return FAction;
    }

    QString OpenScreen()
    {
        TLXLinkList *links = FWindow ? FWindow->SectionLinks(0) : nullptr;
        QList<TLXLinkListItem *> shown;
        for (int i = 0; links && i < links->Items()->Count(); ++i)
            if (links->Items()->Items(i)->IsShown())
                shown << links->Items()->Items(i);
        if (shown.isEmpty()) {
            if (links && links->VisibleCount() < links->Items()->Count()) {
                BeginAction(QStringLiteral("limpar o filtro do menu"));
                FWindow->edtPesquisaMenu->clear();
                return FAction;
            }
            return NewWindow();
        }
        if (FWindow->abas->count() >= kMaxTabs)
            return CloseTab();
        TLXLinkListItem *link = Pick(shown);
        BeginAction(QStringLiteral("abrir %1").arg(link->Text().left(40)));
        QTest::mouseClick(link->Label(), Qt::LeftButton);
        if (TfrmCadastroPadrao *screen = Screen())
            connect(screen, &TfrmCadastroPadrao::fieldsLoaded, this, [this] { AttachModelTesters(); });
        return FAction;
    }

    QString FilterMenu()
    {
        if (!FWindow)
            return NewWindow();
        static const QStringList filters{QString(), QStringLiteral("cli"), QStringLiteral("PRO"), QStringLiteral("zzz")};
        BeginAction(QStringLiteral("filtrar o menu"));
        FWindow->edtPesquisaMenu->setText(filters.at(Random(int(filters.size()))));
        return FAction;
    }

    QString SelectTab()
    {
        if (!FWindow || FWindow->abas->count() == 0)
            return OpenScreen();
        BeginAction(QStringLiteral("selecionar aba"));
        QTabBar *tabs = FWindow->abas;
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(Random(tabs->count())).center());
        return FAction;
    }

    QString CloseTab()
    {
        if (!FWindow || FWindow->abas->count() == 0)
            return OpenScreen();
        const int index = Random(FWindow->abas->count());
        BeginAction(QStringLiteral("fechar aba %1").arg(index));
        Click(qobject_cast<QToolButton *>(FWindow->abas->tabButton(index, QTabBar::RightSide)));
        return FAction;
    }

    // Presses a tool-bar button of the screen on front. A disabled one sends the user to what the
    // tool bar offers instead: "Gravar" or "Desistir" while editing, "Novo" otherwise.
    QString Press(QToolButton *TfrmCadastroPadrao::*button, const QString &caption)
    {
        TfrmCadastroPadrao *screen = Screen();
        if (!screen)
            return OpenScreen();
        if (Usable(screen->*button)) {
            BeginAction(caption);
        } else if (screen->Estado() != ceEdicao) {
            BeginAction(QStringLiteral("Novo"));
            button = &TfrmCadastroPadrao::btNovo;
        } else if (Usable(screen->btGravar) && Random(3) > 0) {
            BeginAction(QStringLiteral("Gravar"));
            button = &TfrmCadastroPadrao::btGravar;
        } else {
            BeginAction(QStringLiteral("Desistir"));
            button = &TfrmCadastroPadrao::btDesistir;
        }
        Click(screen->*button);
        return FAction;
    }

    QString FillField()
    {
        TfrmCadastroPadrao *screen = Screen();
        if (!screen)
            return OpenScreen();
        QWidget *control = Pick(ScreenInputs(*screen));
        if (!control)
            return Press(&TfrmCadastroPadrao::btNovo, QStringLiteral("Novo"));
        BeginAction(QStringLiteral("preencher %1").arg(control->objectName()));
        FillControl(control);
        return FAction;
    }

    QString Pesquisar()
    {
        TfrmCadastroPadrao *screen = Screen();
        if (!screen || !Usable(screen->btPesquisar))
            return Press(&TfrmCadastroPadrao::btPesquisar, QStringLiteral("Pesquisar"));
        BeginAction(QStringLiteral("Pesquisar"));
        WithModal([this](QDialog &dialog) { DriveSearch(dialog, 0); }, [this, screen] { Click(screen->btPesquisar); });
        return QStringLiteral("Pesquisar");
    }

    QString OpenCombo()
    {
        TfrmCadastroPadrao *screen = Screen();
        QList<QComboBox *> combos;
        for (QComboBox *combo : screen ? screen->findChildren<QComboBox *>() : QList<QComboBox *>())
            if (combo->isVisible() && combo->isEnabled())
                combos << combo;
        QComboBox *combo = Pick(combos);
        if (!combo)
            return FillField();
        BeginAction(QStringLiteral("lista de %1").arg(combo->objectName()));
        const QPointer<QComboBox> guard(combo);
        combo->showPopup();
        QTest::qWait(20);
        if (guard && guard->view()->isVisible()) {
            // Down the list, then Enter picks the option, as with the keyboard in the open list.
            for (int i = 0, moves = Random(guard->count() + 1); guard && i < moves; ++i)
                QTest::keyClick(guard->view(), Qt::Key_Down);
            if (guard)
                QTest::keyClick(guard->view(), Qt::Key_Return);
        }
        if (guard)
            guard->hidePopup();
        return FAction;
    }

    QString Lookup()
    {
        TfrmCadastroPadrao *screen = Screen();
        QList<TLXSearchEdit *> edits;
        for (TLXSearchEdit *edit : screen ? screen->findChildren<TLXSearchEdit *>() : QList<TLXSearchEdit *>())
            if (edit->isEnabled())
                edits << edit;
        TLXSearchEdit *edit = Pick(edits);
        if (!edit)
            return FillField();
        BeginAction(QStringLiteral("busca de %1").arg(edit->objectName()));
        WithModal([this](QDialog &dialog) { DriveSearch(dialog, 0); }, [edit] { QTest::keyClick(edit, Qt::Key_F8); });
        return QStringLiteral("busca de %1").arg(edit->objectName());
    }

    TfrmTabForm *DetailEditor()
    {
        TfrmCadastroPadrao *screen = Screen();
        TfrmTabForm *editor = screen ? Pick(screen->findChildren<TfrmTabForm *>()) : nullptr;
        if (editor)
            screen->Tabs->setCurrentWidget(editor->parentWidget()); // the user goes to its page first
        return editor;
    }

    QString DetailNew()
    {
        TfrmTabForm *editor = DetailEditor();
        if (!editor)
            return FillField();
        BeginAction(QStringLiteral("detalhe %1: novo").arg(editor->FieldName()));
        const QPointer<TfrmTabForm> guard(editor);
        WithModal([this, guard](QDialog &dialog) { DriveDetailPopup(dialog, guard); }, [this, editor] { Click(editor->btNovo); });
        return QStringLiteral("detalhe %1: novo").arg(editor->FieldName());
    }

    // Picks a row of the detail grid; false when it has none.
    bool SelectDetailRow(TfrmTabForm &editor)
    {
        const int rows = editor.gridRegistros->model()->rowCount();
        if (rows == 0)
            return false;
        editor.gridRegistros->selectRow(Random(rows));
        return true;
    }

    QString DetailEdit()
    {
        TfrmTabForm *editor = DetailEditor();
        if (!editor || !SelectDetailRow(*editor))
            return DetailNew();
        BeginAction(QStringLiteral("detalhe %1: editar").arg(editor->FieldName()));
        const QPointer<TfrmTabForm> guard(editor);
        QTableView *grid = editor->gridRegistros;
        const QPoint at = grid->visualRect(grid->currentIndex()).center();
        WithModal([this, guard](QDialog &dialog) { DriveDetailPopup(dialog, guard); },
                  [grid, at] { QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at); });
        return QStringLiteral("detalhe: editar");
    }

    QString DetailDelete()
    {
        TfrmTabForm *editor = DetailEditor();
        if (!editor || !SelectDetailRow(*editor))
            return DetailNew();
        BeginAction(QStringLiteral("detalhe %1: excluir").arg(editor->FieldName()));
        Click(editor->btExcluir);
        return FAction;
    }

    QString RunStep()
    {
        if (!FWindow)
            return NewWindow();
        struct TStep
        {
            int Weight;
            std::function<QString()> Run;
        };
        const std::vector<TStep> steps{
            {3, [this] { return NewWindow(); }},
            {3, [this] { return FilterMenu(); }},
            {12, [this] { return OpenScreen(); }},
            {5, [this] { return SelectTab(); }},
            {5, [this] { return CloseTab(); }},
            {5, [this] { return Press(&TfrmCadastroPadrao::btNovo, QStringLiteral("Novo")); }},
            {14, [this] { return FillField(); }},
            {8, [this] { return Press(&TfrmCadastroPadrao::btGravar, QStringLiteral("Gravar")); }},
            {4, [this] { return Press(&TfrmCadastroPadrao::btAlterar, QStringLiteral("Alterar")); }},
            {3, [this] { return Press(&TfrmCadastroPadrao::btDesistir, QStringLiteral("Desistir")); }},
            {5, [this] { return Press(&TfrmCadastroPadrao::btExcluir, QStringLiteral("Excluir")); }},
            {2, [this] { return Press(&TfrmCadastroPadrao::btDebug, QStringLiteral("Debug")); }},
            {10, [this] { return Pesquisar(); }},
            {8, [this] { return OpenCombo(); }},
            {6, [this] { return Lookup(); }},
            {6, [this] { return DetailNew(); }},
            {4, [this] { return DetailEdit(); }},
            {3, [this] { return DetailDelete(); }},
        };
        int total = 0;
        for (const TStep &step : steps)
            total += step.Weight;
        int roll = Random(total);
        for (const TStep &step : steps) {
            if (roll < step.Weight)
                return step.Run();
            roll -= step.Weight;
        }
        return {};
    }

private slots:
    void initTestCase()
    {
        gPreviousHandler = qInstallMessageHandler(QuietHandler);
        FSeed = SeedFromEnvironment();
        qInfo("lying server seed %u (QUOREL_LYING_SEED=%u replays it)", FSeed, FSeed);
        FSteps.seed(FSeed);
        FAnswers.seed(FSeed ^ 0x9E3779B9u);
        FServer = std::make_unique<TLyingServer>(FSeed);
        FServer->InstallAsSystemConfig();
        TMessageBox::SetHandler([this](const TMessageBoxCall &call) { return OnMessageBox(call); });
        FWatchdog.setInterval(100);
        connect(&FWatchdog, &QTimer::timeout, this, [this] { Watch(); });
        FWatchdog.start();
    }

    void cleanupTestCase()
    {
        FWatchdog.stop();
        FWindow.reset();
        // Answers still on their way find their screens gone; the server goes once the pool is idle.
        QTRY_VERIFY_WITH_TIMEOUT(TRequestPool::Pool().activeThreadCount() == 0, 15000);
        TMessageBox::SetHandler({});
        qInfo().noquote() << "lying server:" << FServer->Summary();
        FServer.reset();
    }

    void stepsAgainstTheMainWindow()
    {
        FServer->InstallAsSystemConfig();
        const int steps = StepsFromEnvironment();
        for (FStepIndex = 1; FStepIndex <= steps; ++FStepIndex) {
            QElapsedTimer clock;
            clock.start();
            const QString step = RunStep();
            Settle();
            CloseLeftoverDialogs();
            qInfo().noquote() << QStringLiteral("step %1 done: %2 (%3 ms)").arg(FStepIndex).arg(step).arg(clock.elapsed());
        }
        qInfo("seed %u: %d steps, longest settle %lld ms, %d models under test, %lld failures", FSeed, steps,
              FLongestSettleMs, FModelTesters, qint64(FFailures.size()));
        QVERIFY2(FFailures.isEmpty(), qPrintable(FFailures.join(QLatin1Char('\n'))));
        FStepIndex = 0;
    }
};

// Runs under the program's own application object, which shows an error that a user-interface
// event raises in a box and goes on, as the program does.
int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestLyingServer test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_LyingServer.moc"
