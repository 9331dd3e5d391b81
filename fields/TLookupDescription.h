#pragma once

#include "rest/TLatestRequest.h"
#include "rest/TRestResult.h"

#include <QObject>
#include <QString>

class TLXSearchEdit;

// Fetches the description of a lookup edit's key without blocking the GUI thread and writes it
// into the edit when it comes. One lives as a child of each edit that ever asked or follows its
// typed keys, and is the context of the edit's requests, so an answer that comes after the edit
// is gone does nothing. It owns the serial of the edit's newest request: the answer to an older
// one (an earlier record, a key cleared since) is dropped, and so is an answer for a key the edit
// no longer holds. A key the server does not know marks the edit invalid until the key changes.
class TLookupDescription final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TLookupDescription)

public:
    // Requests "<resource>/<id>" for the key the edit holds now (id: that key as a number).
    static void Fetch(TLXSearchEdit *edit, int id);
    // Drops the answer of any request still in flight for the edit.
    static void Forget(TLXSearchEdit *edit);
    // From now on a key the user types empties the description at once and fetches the new one.
    static void Follow(TLXSearchEdit *edit);

private:
    explicit TLookupDescription(TLXSearchEdit *edit);
    static TLookupDescription *Find(TLXSearchEdit *edit);
    static TLookupDescription *Of(TLXSearchEdit *edit);

    TLXSearchEdit *Edit() const;
    void KeyTyped();
    void Show(const QString &path, const QString &key, const TRestResult &answer);

    TLatestRequest FLatest;
};
