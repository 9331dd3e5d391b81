#pragma once

#include <QDate>
#include <QDateEdit>
#include <QRegularExpression>
#include <QStringList>

class QAbstractItemView;
class QCalendarWidget;
class QKeyEvent;
class QMouseEvent;

// A date edit that can hold no date: its minimum, shown blank. Typing into the blank edit starts a
// plain entry in the locale's short format (dd/MM/yyyy under pt_BR), taken as soon as it is a whole
// valid date and dropped when the edit is left without one; Qt's own section typing applies to a
// date already there. The calendar opens on today while the edit is blank, and what is typed in it
// goes to the edit; Delete makes the edit blank. Owns its calendar (through Qt's pop-up), made when first opened.
class TLXDateEdit final : public QDateEdit
{
    Q_OBJECT

public:
    explicit TLXDateEdit(QWidget *parent = nullptr);
    ~TLXDateEdit() override;
    Q_DISABLE_COPY_MOVE(TLXDateEdit)

    // The date a blank edit holds (its minimum).
    static QDate EmptyDate() { return QDate(1899, 12, 30); }
    bool IsEmpty() const { return date() <= minimumDate(); }
    // Makes the edit blank.
    void clear() override;
    // Arrow keys and the wheel: a blank edit steps to today; an entry in progress waits.
    void stepBy(int steps) override;

protected:
    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool IsEntering(const QString &text) const;
    bool StartsEntry(const QKeyEvent &event) const;
    QValidator::State EntryState(const QString &text, QDate *date = nullptr) const;
    void InsertSeparatorFor(const QKeyEvent &event);
    void TypeFromCalendar(const QKeyEvent &event);
    void EnsureCalendar();

    QRegularExpression FEntry; // the short format as typed; empty when it has names (MMM, ddd)
    QStringList FSeparators;   // what stands between its numbers
    QCalendarWidget *FCalendar = nullptr;
    QAbstractItemView *FCalendarDays = nullptr;
};
