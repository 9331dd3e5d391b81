#pragma once

#include "fields/IDetailListEditor.h"
#include "fields/TFieldMap.h"
#include "rest/JsonUtils.h"
#include "widgets/TLXDataGrid.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QPushButton;
class QScrollArea;
class QToolBar;
class QToolButton;
class TKeyDescriptions;
class TLXColumnPanel;
class TLXDesignPanel;
class TLXPanelForm;
class TRecordTable;
class TRecordTableModel;

// The editor of one "list" field of a record: a grid with one line per sub-record and an
// "Editar registro" pop-up holding the sub-fields' generated controls. Unlike a plain QWidget it
// keeps the rows as a JSON array that the field engine reads and writes through
// IDetailListEditor; nothing is sent to the server from here. Owns its controls, the record
// table behind the grid and the panel form (whose window takes the pop-up panel with it); the
// field, group and required maps only point at controls of the pop-up. The grid shows the keys of
// combo and lookup columns as the names the pop-up shows; the rows keep the keys.
class TfrmTabForm final : public QWidget, public IDetailListEditor
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmTabForm)

public:
    explicit TfrmTabForm(QWidget *parent = nullptr);
    ~TfrmTabForm() override;

    // Builds the grid's columns and the pop-up's controls from the sub-field descriptors. Raises
    // EJsonException on a descriptor it cannot read; the table is then not created.
    const TJson &Fields() const { return FFields; }
    void SetFields(const TJson &Value);
    // The rows, one object per sub-record in grid order. Writing shows them; an argument that is
    // not an array empties the rows and raises the converter's error. The second form takes the
    // caller's array over instead of copying it.
    const TJson &Values() const override { return FValues; }
    void SetValues(const TJson &Value) override;
    void SetValues(TJson &&Value) override;
    QString FieldName() const override { return FFieldName; }
    void SetFieldName(const QString &value) { FFieldName = value; }
    // The current values of the record the rows belong to; they feed the pop-up's combo boxes.
    using TParentRecord = std::function<TJson()>;
    void setParentRecord(TParentRecord parentRecord) { FParentRecord = std::move(parentRecord); }
    // What the function given returns; an empty object without one.
    TJson ParentRecord() const;

    const TFieldMap &FieldMap() const { return FFieldMap; }
    const TGroupMap &Objects() const { return FObjects; }
    const TRequiredMap &Requeridos() const { return FRequeridos; }
    // Index in Values of the row being edited; -1 while a new row is entered.
    int ID() const { return FID; }

    // Makes the editor of a "list" descriptor on page and hands it to screen: columns and
    // controls from "fields", FieldName and object name from "nome"; the parent record from parentRecord.
    static TfrmTabForm *CreateFor(const TJson &descriptor, QWidget *page, TParentRecord parentRecord);

    // Handlers, public so that tests drive the editor as a user does.
    void btNovoClick();
    void btExcluirClick();
    void gridRegistrosDblClick();
    void btGravarClick();
    void btCancelarClick();

    QToolBar *barraRegistros = nullptr;
    QToolButton *btNovo = nullptr;
    QToolButton *btExcluir = nullptr;
    TLXDataGrid *gridRegistros = nullptr;
    TRecordTable *cdsRegistros = nullptr;
    TRecordTableModel *dsRegistros = nullptr;
    TLXDesignPanel *panelEdit_Panel = nullptr;
    QWidget *panelButtons = nullptr;
    QPushButton *btGravar = nullptr;
    QPushButton *btCancelar = nullptr;
    QScrollArea *scrollFields = nullptr;
    TLXColumnPanel *panelCadastro = nullptr;
    TLXPanelForm *panelEdit = nullptr;

private:
    void BuildToolBar();
    void BuildGrid();
    void BuildPopup();
    void FormCreate();
    void panelEditShow();
    // The pop-up's controls that take the focus with Tab, in tab order.
    QList<QWidget *> PopupFields() const;
    // Fields first in the tab order, then "Gravar" and "Cancelar"; the first field focused.
    void PrepareKeys();

    void AddGroup(const TJson &descriptor);
    // The control of one sub-field (and its dependent combo box) into controls and the required map.
    void AddControl(const TJson &descriptor, TFieldMap &controls);
    // Shows FValues in the grid; the cursor goes to recNo when it names a line.
    void ShowRows(int recNo = 0);
    // The grid's table after one change of FValues, without loading the other rows again: the
    // last element appended, the element at index replaced, or the row at index deleted. While
    // the table does not hold FValues row for row (a load that failed), all rows are shown again.
    void ShowAppendedRow();
    void ShowChangedRow(int index);
    void ShowDeletedRow(int index);
    // The table holds that many rows, one per element of FValues as last shown.
    bool TableHolds(int rows) const;
    // The grid's current line as an index into FValues, or -1 without one.
    int CurrentIndex() const;
    // Options of the pop-up's combo boxes from the parent screen's current values.
    void LoadCombos();
    // Options of the local combo boxes only: what the grid's key columns need to show names.
    void LoadLocalCombos();
    // The grid shows a combo or lookup column's keys as the names the pop-up shows for them.
    void ShowNamesInKeyColumns();
    QWidget *KeyControlNamed(const QString &name) const;
    QString NameOfKey(const QWidget *control, const QString &key);
    TKeyDescriptions *DescriptionsOf(const QString &resource, const QString &displayField);
    void RefreshKeyNames();
    void ClearGroups();
    void LoadGroups(const TJson &element);

    TJson FFields = TJson::array();
    TFieldMap FFieldMap;
    TRequiredMap FRequeridos;
    TJson FValues = TJson::array();
    bool FRowsShown = false; // the last ShowRows loaded every element of FValues
    QString FFieldName;
    int FID = -1;
    TParentRecord FParentRecord;
    TGroupMap FObjects;
    QHash<QString, TKeyDescriptions *> FKeyDescriptions; // children, by resource and display field
};
