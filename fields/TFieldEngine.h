#pragma once

#include "fields/TFieldMap.h"
#include "rest/JsonUtils.h"

class QWidget;
class TLXColumnPanel;
class TLXSearchEdit;

// The metadata-driven field engine: builds one labelled row per field descriptor, moves a record
// between those controls and JSON, and finds required fields left empty. It keeps no state; the
// screens own the controls and the lists that point at them. Per-kind knowledge lives in
// TControlKind.
class TFieldEngine final
{
public:
    TFieldEngine() = delete;

    // Descriptors with more records than this become lookup edits instead of combo boxes.
    static constexpr int MaxComboRecords = 50;

    // A full-width row (spans 24) owned by and placed in Owner.
    static TLXColumnPanel *GetItemLayout(QWidget *Owner);
    // Adds the row of one field descriptor to Container and returns its input control (the main
    // combo box of a field with "subObject"), or null for a "tipo" without a control. A lookup edit's
    // button is left for the screen to connect; a key typed into it fetches its description. Raises
    // EJsonException for a missing or mistyped key; the rows made before stay.
    static QWidget *FillFields(QWidget *Container, const TJson &Item);
    // Adds what FillFields returned to a field map: the control, and the dependent combo box of a
    // field with "subObject" right after it, so that both choices are saved and loaded.
    static void AppendToFieldMap(TFieldMap &FieldMap, QWidget *Control);

    // Rows of descriptors with "idField" are kept out of the container (hidden, still owned by it):
    // the row of a control, whether it is kept out, and putting it back as the container's last cell.
    static TLXColumnPanel *RowOf(const QWidget *control);
    static bool IsRowDetached(const QWidget *control);
    static void AttachRow(QWidget *control);

    // The record the controls hold: one member per bound control, then each non-empty group.
    static TJson GetRecord(const TFieldMap &FieldMap, const TGroupMap *Objects = nullptr);
    // Same, refilling Data in place (all its members replaced); returns Data.
    static TJson &GetRecord(const TFieldMap &FieldMap, const TGroupMap *Objects, TJson &Data);
    // Writes the members of a record object into the controls named after them; controls without a
    // member keep their value. Null or absent Json loads nothing. Raises on a member that cannot be
    // shown, leaving the controls before it filled. Lookup edits show their keys at once; their
    // descriptions are requested and written when the answers come, without blocking.
    static void LoadRecord(const TJson *Json, const TFieldMap &FieldMap);
    static void LoadRecord(const TJson &Json, const TFieldMap &FieldMap) { LoadRecord(&Json, FieldMap); }
    // Empties every control but the detail-list editors.
    static void LimparCampos(const TFieldMap &FieldMap);
    // True when no member has a non-empty text form (objects and arrays count as empty).
    static bool isObjectEmpty(const TJson &Value);
    // The first required control that holds nothing, or null.
    static QWidget *ValidarRequeridos(const TRequiredMap &Values);
};
