#pragma once

class QString;
class QWidget;

// Saves a picture of the widget as <name>.png in the folder named by QUOREL_GALLERY (created when
// missing), after pending layout requests, so a person can look at what the tests built. Does
// nothing when the variable is unset; a failed save fails the calling test.
void SaveToGallery(QWidget &widget, const QString &name);
