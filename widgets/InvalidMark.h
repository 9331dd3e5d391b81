#pragma once

class QWidget;

// A control whose value the user must correct shows a red frame and carries the dynamic property
// "invalido" (true) until the mark is taken off. A style sheet of the control's own is left alone:
// such a control carries the property only.
void MarkInvalid(QWidget *control, bool invalid = true);
bool IsMarkedInvalid(const QWidget *control);
