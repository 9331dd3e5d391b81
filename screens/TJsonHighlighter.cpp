#include "screens/TJsonHighlighter.h"

#include <QColor>
#include <QTextDocument>

TJsonHighlighter::TJsonHighlighter(QTextDocument *parent) : QSyntaxHighlighter(parent)
{
    // Later rules win where they overlap: strings after numbers and literals, names last.
    AddRule(QStringLiteral(R"([{}\[\]:,])"), QColor(0x60, 0x60, 0x60));
    AddRule(QStringLiteral(R"(-?\b\d+(?:\.\d+)?(?:[eE][+-]?\d+)?\b)"), QColor(0x09, 0x86, 0x58));
    AddRule(QStringLiteral(R"(\b(?:true|false|null)\b)"), QColor(0x00, 0x00, 0xC0), true);
    AddRule(QStringLiteral(R"("(?:[^"\\]|\\.)*")"), QColor(0xA3, 0x15, 0x15));
    AddRule(QStringLiteral(R"("(?:[^"\\]|\\.)*"(?=\s*:))"), QColor(0x04, 0x51, 0xA5), true);
}

void TJsonHighlighter::AddRule(const QString &pattern, const QColor &colour, bool bold)
{
    TRule rule {QRegularExpression(pattern), QTextCharFormat()};
    rule.Format.setForeground(colour);
    if (bold)
        rule.Format.setFontWeight(QFont::Bold);
    FRules.append(rule);
}

void TJsonHighlighter::highlightBlock(const QString &text)
{
    for (const TRule &rule : std::as_const(FRules)) {
        auto matches = rule.Pattern.globalMatch(text);
        while (matches.hasNext()) {
            const QRegularExpressionMatch match = matches.next();
            setFormat(static_cast<int>(match.capturedStart()), static_cast<int>(match.capturedLength()), rule.Format);
        }
    }
}
