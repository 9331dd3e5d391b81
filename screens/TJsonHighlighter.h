#pragma once

#include <QList>
#include <QRegularExpression>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

class QTextDocument;

// Colours JSON text: member names, string values, numbers, literals and punctuation. Works line by
// line, so a string that spans lines is only coloured on its first line. Parent: the document.
class TJsonHighlighter final : public QSyntaxHighlighter
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TJsonHighlighter)

public:
    explicit TJsonHighlighter(QTextDocument *parent);

protected:
    void highlightBlock(const QString &text) override;

private:
    struct TRule
    {
        QRegularExpression Pattern;
        QTextCharFormat Format;
    };
    void AddRule(const QString &pattern, const QColor &colour, bool bold = false);

    QList<TRule> FRules;
};
