#pragma once

#include "rest/JsonUtils.h"

#include <QDate>
#include <QString>

class QWidget;

// Everything the field engine knows about one kind of input control: how to recognise it, empty
// it, read its value into JSON, write a JSON member into it and judge it empty. The kinds form one
// table that FillFields' callers, GetRecord, LoadRecord, LimparCampos and ValidarRequeridos share.
class TControlKind final
{
public:
    enum TKind { ckEditBox, ckCheckBox, ckLookupEdit, ckDateEdit, ckComboBox, ckDetailList };

    // The kind of a control, tried in the order of TKind; null for a control the engine does not
    // bind. A lookup edit is not an edit box although it is a QLineEdit.
    static const TControlKind *Of(const QWidget *control);

    // The date an empty date edit holds (the edit's minimum, shown blank).
    static QDate ZeroDate();

    TKind Kind() const { return FKind; }
    // The record member the control's value belongs to: its object name, or the detail-list
    // editor's FieldName.
    QString MemberName(const QWidget *control) const;
    // Makes the control empty; a detail-list editor is left without rows.
    void Clear(QWidget *control) const;
    // The control's value as saved in the record.
    TJson Read(const QWidget *control) const;
    // Shows a record member in the control; raises EJsonException when the member cannot be taken.
    // A lookup edit shows its key at once and its description when the server answers.
    void Write(QWidget *control, const TJson &member) const;
    // True when a required control holds nothing; check boxes and detail lists never do.
    bool IsEmpty(const QWidget *control) const;
    // Locks or unlocks the control for a stored record. Edit boxes become read-only, so their
    // text stays selectable; the other kinds are disabled with their text kept as readable as
    // when enabled (lookups too: F8 would otherwise still choose another key).
    void Lock(QWidget *control, bool locked) const;
    // True while the control refuses edits (read-only or disabled).
    static bool IsLocked(const QWidget *control);

    using TMatch = bool (*)(const QWidget *);
    using TClear = void (*)(QWidget *);
    using TRead = TJson (*)(const QWidget *);
    using TWrite = void (*)(QWidget *, const TJson &);
    using TIsEmpty = bool (*)(const QWidget *);
    using TLock = void (*)(QWidget *, bool);

    constexpr TControlKind(
        TKind kind, TMatch match, TClear clear, TRead read, TWrite write, TIsEmpty isEmpty, TLock lock)
        : FKind(kind), FMatch(match), FClear(clear), FRead(read), FWrite(write), FIsEmpty(isEmpty), FLock(lock)
    { }

private:
    TKind FKind;
    TMatch FMatch;
    TClear FClear;
    TRead FRead;
    TWrite FWrite;
    TIsEmpty FIsEmpty;
    TLock FLock;
};
