#include "screens/TJsonView.h"

#include "screens/TJsonHighlighter.h"

namespace {

qsizetype LongestLine(QStringView text)
{
    qsizetype longest = 0;
    for (QStringView line : text.tokenize(u'\n'))
        longest = std::max(longest, line.size());
    return longest;
}

} // namespace

TJsonView::TJsonView(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    new TJsonHighlighter(document());
}

void TJsonView::SetJson(const QString &text)
{
    FJson = text;
    const QStringView shown = QStringView(text).left(MaxShownChars);
    // Emptied first: changing the wrap mode lays out again whatever the view holds.
    clear();
    setLineWrapMode(LongestLine(shown) > MaxWrappedLineChars ? NoWrap : WidgetWidth);
    if (shown.size() == text.size()) {
        setPlainText(text);
        return;
    }
    setPlainText(shown.toString() + QStringLiteral("\n… (mais %1 caracteres não exibidos)").arg(text.size() - shown.size()));
}
