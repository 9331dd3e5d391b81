#pragma once

#include <QPlainTextEdit>

// The debug pane's read-only view of a JSON request or answer, coloured by TJsonHighlighter.
// Unlike a plain QPlainTextEdit it keeps the whole text it is given (Json()) but shows at most
// MaxShownChars of it with a note of what was left out, and it stops wrapping when a line is
// longer than MaxWrappedLineChars: laying out one long wrapped line costs time that grows with
// the square of its length (a compact 256 KB answer held the window for seconds).
class TJsonView final : public QPlainTextEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TJsonView)

public:
    static constexpr qsizetype MaxShownChars = 256 * 1024;
    static constexpr qsizetype MaxWrappedLineChars = 16 * 1024;

    explicit TJsonView(QWidget *parent = nullptr);

    void SetJson(const QString &text);
    const QString &Json() const { return FJson; }

private:
    QString FJson;
};
