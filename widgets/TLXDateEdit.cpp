#include "widgets/TLXDateEdit.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

namespace {

// The locale's short date format with the whole year: a two-digit year would come back as 19xx.
QString ShortDateFormat(const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

// Calls visit with each run of equal characters of a date format ("dd", "/", "MM", ...).
template <typename Visit>
void ForEachRun(const QString &format, Visit visit)
{
    for (qsizetype start = 0; start < format.size();) {
        qsizetype end = start + 1;
        while (end < format.size() && format.at(end) == format.at(start))
            ++end;
        visit(format.mid(start, end - start));
        start = end;
    }
}

// The short format as a user types it: d and M take one or two digits, yyyy four, the rest stands
// for itself. A format with names or other fields gives no pattern.
QRegularExpression EntryPattern(const QString &format)
{
    QString pattern;
    bool typeable = true;
    ForEachRun(format, [&](const QString &run) {
        if (run == QLatin1String("d") || run == QLatin1String("dd"))
            pattern += QLatin1String("(?<day>\\d{1,2})");
        else if (run == QLatin1String("M") || run == QLatin1String("MM"))
            pattern += QLatin1String("(?<month>\\d{1,2})");
        else if (run == QLatin1String("yyyy"))
            pattern += QLatin1String("(?<year>\\d{4})");
        else if (run.front().isLetter() || run.front() == QLatin1Char('\''))
            typeable = false;
        else
            pattern += QRegularExpression::escape(run);
    });
    return typeable ? QRegularExpression(QRegularExpression::anchoredPattern(pattern)) : QRegularExpression();
}

QStringList Separators(const QString &format)
{
    QStringList separators;
    ForEachRun(format, [&separators](const QString &run) {
        if (!run.front().isLetter() && !separators.contains(run))
            separators << run;
    });
    return separators;
}

// A character typed as text: not a shortcut, not a control key.
bool IsTyped(const QKeyEvent &event)
{
    return !event.text().isEmpty() && event.text().front().isPrint()
        && !(event.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier));
}

} // namespace

TLXDateEdit::TLXDateEdit(QWidget *parent) : QDateEdit(parent)
{
    setDisplayFormat(ShortDateFormat(QLocale())); // the regional settings, as QDateEdit reads them
    FEntry = EntryPattern(displayFormat());
    FSeparators = Separators(displayFormat());
    setMinimumDate(EmptyDate());
    setSpecialValueText(QStringLiteral(" "));
    setDate(EmptyDate());
    setCalendarPopup(true);
}

// The calendar is made when it is first opened: a screen holds many date edits, and a calendar is
// a whole month table with its buttons and menus.
void TLXDateEdit::EnsureCalendar()
{
    if (FCalendar)
        return;
    FCalendar = new QCalendarWidget(this);
    // Qt's own typing inside the calendar shows nonsense such as "05/-2147483648/0" and can pick
    // an invalid date; what is typed there goes to the edit instead.
    FCalendar->setDateEditEnabled(false);
    FCalendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    FCalendar->installEventFilter(this);
    FCalendarDays = FCalendar->findChild<QAbstractItemView *>();
    if (FCalendarDays)
        FCalendarDays->installEventFilter(this);
    setCalendarWidget(FCalendar);
}

// The drop-down arrow is the one way Qt opens the calendar.
void TLXDateEdit::mousePressEvent(QMouseEvent *event)
{
    EnsureCalendar();
    QDateEdit::mousePressEvent(event);
}

TLXDateEdit::~TLXDateEdit() = default;

void TLXDateEdit::clear()
{
    setDate(minimumDate());
}

void TLXDateEdit::stepBy(int steps)
{
    if (IsEntering(text()))
        return;
    if (IsEmpty()) {
        setDate(QDate::currentDate());
        return;
    }
    QDateEdit::stepBy(steps);
}

// An entry is what the user types over the blank text; once a whole date, it becomes the edit's
// date and Qt's own rules take over.
bool TLXDateEdit::IsEntering(const QString &text) const
{
    return IsEmpty() && text != specialValueText() && !FEntry.pattern().isEmpty();
}

bool TLXDateEdit::StartsEntry(const QKeyEvent &event) const
{
    return IsEmpty() && text() == specialValueText() && !FEntry.pattern().isEmpty() && IsTyped(event);
}

// A prefix of the format is Intermediate; a whole date of the edit's range Acceptable (the date
// goes to date); a whole form that is no such date, like 31/02/2024, Intermediate too: it stays on
// screen and is dropped when the edit is left.
QValidator::State TLXDateEdit::EntryState(const QString &text, QDate *date) const
{
    if (text.isEmpty())
        return QValidator::Intermediate;
    const QRegularExpressionMatch match = FEntry.match(text, 0, QRegularExpression::PartialPreferCompleteMatch);
    if (match.hasPartialMatch())
        return QValidator::Intermediate;
    if (!match.hasMatch())
        return QValidator::Invalid;
    const QDate typed(
        match.captured(u"year").toInt(), match.captured(u"month").toInt(), match.captured(u"day").toInt());
    if (!typed.isValid() || typed <= minimumDate() || typed > maximumDate())
        return QValidator::Intermediate;
    if (date)
        *date = typed;
    return QValidator::Acceptable;
}

QValidator::State TLXDateEdit::validate(QString &input, int &pos) const
{
    if (!IsEntering(input))
        return QDateEdit::validate(input, pos);
    QDate typed;
    const QValidator::State state = EntryState(input, &typed);
    if (state == QValidator::Acceptable) { // in the edit's own form, which Qt reads the date from
        input = textFromDateTime(typed.startOfDay());
        pos = int(input.size());
    }
    return state;
}

// An entry that is no whole date is not mended into one (Qt would make 31/02 into 29/02): leaving
// the edit drops it.
void TLXDateEdit::fixup(QString &input) const
{
    if (!IsEntering(input))
        QDateEdit::fixup(input);
}

// "0503" goes on as "05/03": a digit that no longer fits the day or the month brings the separator.
void TLXDateEdit::InsertSeparatorFor(const QKeyEvent &event)
{
    const QString typed = lineEdit()->text();
    const bool atTheEnd = !lineEdit()->hasSelectedText() && lineEdit()->cursorPosition() == typed.size();
    if (!atTheEnd || !event.text().front().isDigit() || EntryState(typed + event.text()) != QValidator::Invalid)
        return;
    for (const QString &separator : std::as_const(FSeparators)) {
        if (EntryState(typed + separator + event.text()) != QValidator::Invalid) {
            lineEdit()->insert(separator);
            return;
        }
    }
}

void TLXDateEdit::keyPressEvent(QKeyEvent *event)
{
    // Delete empties a date in one key (an entry being typed is plain text, edited as such).
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier && !IsEntering(text())) {
        clear();
        return;
    }
    if (StartsEntry(*event)) {
        lineEdit()->selectAll(); // the first character replaces the blank
    } else if (!IsEntering(text())) {
        QDateEdit::keyPressEvent(event);
        return;
    }
    if (IsTyped(*event))
        InsertSeparatorFor(*event);
    // Qt's date typing works section by section on a whole date; an entry is plain text.
    QAbstractSpinBox::keyPressEvent(event);
}

void TLXDateEdit::TypeFromCalendar(const QKeyEvent &event)
{
    FCalendar->window()->hide(); // the pop-up; nothing was chosen in it
    setFocus(Qt::PopupFocusReason);
    QKeyEvent typed(event.type(), event.key(), event.modifiers(), event.text());
    QCoreApplication::sendEvent(this, &typed);
}

bool TLXDateEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FCalendar && event->type() == QEvent::Show && IsEmpty()) {
        const QSignalBlocker quiet(FCalendar); // showing today chooses nothing
        FCalendar->setSelectedDate(QDate::currentDate());
    } else if (watched == FCalendarDays && event->type() == QEvent::KeyPress
        && IsTyped(*static_cast<QKeyEvent *>(event))) {
        TypeFromCalendar(*static_cast<QKeyEvent *>(event));
        return true;
    }
    return QDateEdit::eventFilter(watched, event);
}
