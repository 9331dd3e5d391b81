#pragma once

class QLineEdit;
class QString;
class QWidget;

// Appends "&name=value" (both percent-encoded) to text for every named input below container
// whose value is not empty, in child order. Unnamed containers (filter cells) are searched
// recursively; unnamed leaves (captions) are skipped.
void CollectFilterParams(const QWidget *container, QString &text);

// Digits-only line edits: the input rule and the mark that CollectFilterParams reads.
void SetNumbersOnly(QLineEdit *edit);
bool IsNumbersOnly(const QLineEdit *edit);
