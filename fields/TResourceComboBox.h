#pragma once

#include "fields/TComboValue.h"
#include "fields/TResourceParam.h"
#include "fields/TResourceType.h"
#include "rest/JsonUtils.h"
#include "rest/TLatestRequest.h"

#include <QComboBox>
#include <QPointer>

#include <memory>
#include <vector>

// A drop-down list whose options are records: fixed values, the first page of a resource (remote),
// an array of the record being edited (local) or the nested array of another combo box's choice.
// Options stay sorted by display text. A key asked for before the options exist is remembered and
// selected when they arrive, so a record loaded early is saved with its references intact.
class TResourceComboBox final : public QComboBox
{
    Q_OBJECT
public:
    explicit TResourceComboBox(QWidget *parent = nullptr);
    ~TResourceComboBox() override;
    Q_DISABLE_COPY_MOVE(TResourceComboBox)

    QString Resource() const { return FResource; }
    void SetResource(const QString &value) { FResource = value; }
    QString KeyField() const { return FKeyField; }
    void SetKeyField(const QString &value) { FKeyField = value; }
    QString DisplayField() const { return FDisplayField; }
    void SetDisplayField(const QString &value) { FDisplayField = value; }
    TResourceType ResourceType() const { return FResourceType; }
    // Local and remote combo boxes wait for their options (keys asked for meanwhile are
    // remembered); fixed-value ones have theirs at once.
    void SetResourceType(TResourceType value);
    std::vector<TResourceParam> &Params() { return FParams; }
    const std::vector<TResourceParam> &Params() const { return FParams; }
    TResourceComboBox *SubObject() const { return FSubObject; }
    void SetSubObject(TResourceComboBox *value) { FSubObject = value; }
    // The array the current options were made from (null before any load).
    const TJson *Values() const { return FValues.get(); }

    // Requests the options of a remote combo box: "<Resource>?size=50&page=0&<name>=<value>...".
    void Load();
    // Replaces the options by those made from a JSON array and selects none, or the remembered
    // key's. Raises EJsonException on an element without the key or display member; the options
    // made before it stay, none selected, the key still remembered.
    void Load(const TJson &Values);

    // Adds one option at its sorted place, leaving the selection as it was (none stays none). The
    // owner's copy of value.ObjctValue must outlive it.
    void AddOption(const TComboValue &value);
    const TComboValue *SelectedValue() const;
    const TComboValue *ValueAt(int index) const;
    // Selects the first option with that key; none when no option matches. Before the options
    // exist the key is remembered instead.
    void SelectKey(const QString &key);
    // The selected option's key; the remembered key while options are pending; "" otherwise.
    QString SelectedKey() const;
    // Empties the selection and forgets any remembered key.
    void ClearSelection();
    // True once options were supplied (fixed options count as supplied).
    bool OptionsLoaded() const { return FOptionsLoaded; }

signals:
    // Emitted after a remote load has filled the options on the GUI thread.
    void OptionsArrived();

private:
    void Change();
    void ClearOptions();
    void ApplyAnswer(const TRestResult &answer);

    TResourceType FResourceType = rtNone;
    QString FResource;
    QString FDisplayField;
    QString FKeyField;
    std::vector<TResourceParam> FParams;
    QPointer<TResourceComboBox> FSubObject;
    std::shared_ptr<const TJson> FValues;
    std::vector<std::unique_ptr<TComboValue>> FOptions; // item data holds the index into this
    QString FPendingKey;
    bool FOptionsLoaded = true;
    TLatestRequest FOptionsRequest;
};
