#pragma once

#include <QObject>
#include <QPalette>
#include <QString>

class QWidget;

// Marks an input control that a message is about: a light red background and the message as its
// tool tip, until the control's value changes (the notify signal of its user property) or the mark
// is cleared. The mark is a child of the control and owns what it replaced, to put it back.
class TFieldMark final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFieldMark)

public:
    // The background of a marked control.
    static inline const QColor MarkColor = QColor(0xFF, 0xDD, 0xDD);

    // Marks the control with the reason (a second mark replaces the reason). Null is ignored.
    static void Mark(QWidget *control, const QString &why);
    // Takes the mark away, if there is one.
    static void Clear(QWidget *control);
    static bool IsMarked(const QWidget *control);

private:
    TFieldMark(QWidget *control, const QString &why);
    static TFieldMark *Of(const QWidget *control);
    QWidget *Control() const;
    Q_INVOKABLE void Remove();

    QPalette FPalette;
    QString FToolTip;
    bool FAutoFill = false;
};
