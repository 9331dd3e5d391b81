#pragma once

#include "fields/TFieldMap.h"
#include "rest/JsonUtils.h"
#include "rest/TLatestRequest.h"
#include "rest/THttpVerbs.h"
#include "screens/TCadastroEstado.h"
#include "screens/TJsonView.h"
#include "screens/TfrmPadrao.h"

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QSplitter;
class QTabWidget;
class QToolBar;
class QToolButton;
class TLXColumnPanel;
class TRecordTable;
enum class TIcon;

// The generic record-editing screen of one back-end resource. Writing Path fetches the resource's
// field descriptors and builds the controls from them; records are loaded by id, edited, and sent
// back with POST or PUT, or deleted. Unlike a plain QWidget it owns a tool bar of actions whose
// shortcuts follow the buttons, and a debug pane with the last request and answer. Every control,
// including the generated rows, belongs to the screen through Qt parents; the field and group maps
// only point at them.
class TfrmCadastroPadrao : public TfrmPadrao
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmCadastroPadrao)

public:
    explicit TfrmCadastroPadrao(QWidget *parent = nullptr);
    ~TfrmCadastroPadrao() override;

    TCadastroEstado Estado() const { return FEstado; }
    virtual void SetEstado(TCadastroEstado value);
    // The record last loaded from the server; nothing until one has been loaded.
    const std::optional<TJson> &Registro() const { return FRegistro; }
    // Stores the record together with its version, the ETag its answer named (empty: unknown).
    void SetRegistro(std::optional<TJson> value, QByteArray versao = {});
    QString Path() const { return FPath; }
    // Stores the path and starts building the screen from "<path>/campos".
    void SetPath(const QString &value);
    bool Debug() const { return FDebug; }
    // How "Formatar JSON" of the debug pane formats; locally unless the program gives another way.
    using TJsonFormatter = std::function<QString(const QString &json)>;
    void SetJsonFormatter(TJsonFormatter formatter) { FJsonFormatter = std::move(formatter); }
    void SetDebug(bool value);
    QWidget *DefaultFocus() const { return FDefaultFocus; }
    void SetDefaultFocus(QWidget *value) { FDefaultFocus = value; }
    // Id of the record on the screen as text; empty for a new record.
    QString IDValue() const { return FIDValue; }
    const TFieldMap &FieldMap() const { return FFieldMap; }
    const TGroupMap &Objects() const { return FObjects; }
    // True while any request of this screen awaits its answer.
    bool Busy() const { return FPendingRequests > 0; }
    // The screen is editing and the record it would save differs from the one it started editing
    // (a value changed and changed back counts as unchanged).
    bool HasUnsavedChanges() const;
    // True when nothing unsaved would be lost, or the user agreed to discard it.
    bool ConfirmDiscard();
    static inline const QString DiscardQuestion
        = QStringLiteral("Existem alterações não gravadas. Deseja descartá-las?");

    void LoadFields();
    // Requests the record "<path>/<id>" and shows it.
    virtual void Load(int id);
    // The screen's current values as a record object.
    TJson getRecord() const;
    void AddFieldControl(QWidget *control);
    void EnableFields(bool value);
    void UpdateButtons();
    // Empties the in-memory record table and makes it anew (nothing in the program calls it).
    virtual void ResetDataSet();

    // Button handlers, public so the main window and tests can drive the screen as a user does.
    void btGravarClick();
    void btDesistirClick();
    void btNovoClick();
    void btAlterarClick();
    void btExcluirClick();
    void btPesquisarClick();
    void btDebugClick();
    // Formats the text of the view the debug popup was last opened on.
    void FormatarJson1Click();

    // Controls tests and the main window look at.
    QToolButton *btGravar = nullptr;
    QToolButton *btDesistir = nullptr;
    QToolButton *btNovo = nullptr;
    QToolButton *btAlterar = nullptr;
    QToolButton *btExcluir = nullptr;
    QToolButton *btPesquisar = nullptr;
    QToolButton *btDebug = nullptr;
    QTabWidget *Tabs = nullptr;
    TLXColumnPanel *panelCadastro = nullptr;
    QSplitter *Splitter = nullptr;
    QWidget *panelDebug = nullptr;
    QLabel *lblRequest = nullptr;
    TJsonView *edtRequest = nullptr;
    QLabel *lblResponse = nullptr;
    TJsonView *edtResponse = nullptr;
    QMenu *popDebug = nullptr;
    QProgressBar *pbOcupado = nullptr;
    // The status line under the page: what the last action achieved; emptied by the next action.
    QLabel *lblStatus = nullptr;
    TRecordTable *cdsCadastro = nullptr;

signals:
    // After the controls were built from the descriptors (also when the build stopped early).
    void fieldsLoaded();
    // After an answer of this screen was handled; status as the request gave it.
    void answerHandled(int status);

protected:
    // Hooks for screens of one resource. Messages returned by ValidarRegistro stop a save silently.
    virtual QStringList ValidarRegistro();
    virtual void AntesGravar(bool &Cancel, QString &Message);
    virtual void AntesExcluir(bool &Cancel, QString &Message);
    // Makes the editor of a "list" field on its page and returns it (null: the page stays empty);
    // the base makes a TfrmTabForm.
    virtual QWidget *CreateDetailListEditor(const TJson &descriptor, QWidget *page);

private:
    using TAnswer = std::function<void(const TRestResult &answer)>;

    void BuildToolBar();
    QWidget *BuildDadosPage();
    QWidget *BuildDebugPane();
    TJsonView *NewJsonView(const QString &name);
    QAction *AddToolAction(const char *name, const QString &caption, TIcon image, const QKeySequence &key,
        void (TfrmCadastroPadrao::*handler)());

    // Request bookkeeping: every answer runs on the GUI thread while the screen still exists; an
    // error it raises is shown, one that only stops its handling is logged with the path.
    enum class TRequestKind { Read, Write };
    THttpVerbs::THandler Answer(TRequestKind kind, const QString &path, TAnswer handler);
    void RequestStarted(TRequestKind kind);
    void RequestFinished(TRequestKind kind);

    void BuildFields(const TJson &descriptors);
    void AddDescriptor(const TJson &descriptor);
    void AddListPage(const TJson &descriptor);
    void AddObjectGroup(const TJson &descriptor);
    void AddSingleField(const TJson &descriptor);

    void ShowRecord(const TRestResult &answer);
    // Asks the server again for the stored record on the screen; the answer is shown only while
    // the screen still shows that record, locked.
    void Reload();
    void SaveResponse(const TRestResult &answer);
    void DeleteResponse(const QString &deletedId, const TRestResult &answer);
    // Says why no answer came (the request layer's text); false when one came.
    bool ShowNoAnswer(const TRestResult &answer);
    // Shows every "mensagemUsuario" of the answer in one box and marks the fields they name;
    // false when the answer carries none.
    bool ShowUserMessages(const TRestResult &answer);
    // Marks each control a message of the answer names: by its member name in
    // "mensagemDesenvolvedor", or by its caption in "mensagemUsuario".
    void MarkNamedFields(const TJson &error);
    void ClearMarks();
    // Every control of the field map and of the groups, in that order.
    QList<QWidget *> AllControls() const;
    // The top-level control of the record's "id": shown and sent, never typed into.
    QWidget *IdControl() const;
    // The DefaultFocus, else the first control the user can type into; null when there is none.
    QWidget *FirstEditableControl() const;
    void FocusFirstField();
    bool HasFocusInside() const;
    // Gives the focus to the tool bar when locking took it off the screen.
    void KeepFocusOnScreen();
    void ShowStatus(const QString &text);
    // The id of the stored record as text; empty without one.
    QString StoredId() const;
    // What a PUT or DELETE of the record on the screen is conditional on: the stored record's
    // version while that record is the one on the screen; empty (unconditional) otherwise.
    QByteArray VersionOfShownRecord() const;
    // "<path>/<id>" with the id percent-encoded, so an id cannot reach another path.
    QString RecordPath() const;
    // Writes a record's values into the field map and the groups (a group missing from it is emptied).
    void WriteRecordToControls(const TJson &record);
    // getRecord, or nothing (with a warning) when the controls cannot give it.
    std::optional<TJson> RecordOrNothing() const;
    void ClearControls();
    void ShowDebugSizes();

    QAction *actGravar = nullptr;
    QAction *actDesistir = nullptr;
    QAction *actNovo = nullptr;
    QAction *actAlterar = nullptr;
    QAction *actExcluir = nullptr;
    QAction *actPesquisar = nullptr;
    QAction *actDebug = nullptr;
    QToolBar *ToolBar = nullptr;
    QPointer<TJsonView> FPopupView;
    TJsonFormatter FJsonFormatter;

    TCadastroEstado FEstado = ceBloqueado;
    std::optional<TJson> FEditStart; // the record as editing began, to tell what changed
    std::optional<TJson> FRegistro;
    // The version of FRegistro as the server named it, so a write cannot silently overwrite
    // someone else's save; written with FRegistro, and by the answer to a save of that record.
    QByteArray FVersao;
    QString FPath;
    QPointer<QWidget> FDefaultFocus;
    TFieldMap FFieldMap;
    QString FIDValue;
    TGroupMap FObjects;
    bool FDebug = false;
    int FPendingRequests = 0;
    int FPendingWrites = 0;
    TLatestRequest FRecordRequest;
};
