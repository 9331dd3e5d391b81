#pragma once

class QWidget;
class TLXSearchEdit;

// Opens the search window over a lookup edit's resource and, when a record is chosen, takes its key,
// then its description. Raises EDatabaseError, key already taken, when the result lacks the display
// column. The edit may be destroyed while the window is open; it is then left alone.
void ChooseLookupRecord(TLXSearchEdit *edit);

// When control is a lookup edit, makes its button open the search window (errors shown in a box).
// Returns control.
QWidget *ConnectLookupButton(QWidget *control);
