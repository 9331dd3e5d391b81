#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// The program's typefaces, by role: the screens' and windows' text, and the text of fields, links
// and section titles.
enum class TFontFace { Window, Content };

// Names the program's font families once. Each face comes with a fallback list that ends in the
// platform's own font, so a desktop without the first family still gets a deliberate choice. Owns
// nothing; sizes and weights stay with the callers.
class TFonts final
{
public:
    TFonts() = delete;

    // The families of face, first choice first; the last is the platform's general font.
    static QStringList Families(TFontFace face);
    // A font of face at pointSize points; -1 leaves the size to the widget it is given to.
    static QFont Of(TFontFace face, int pointSize = -1);
    // Gives font the families of face, keeping its size, weight and style.
    static void SetFace(QFont &font, TFontFace face);
    // The families as a style-sheet font-family list: 'Tahoma', 'Verdana', ...
    static QString StyleSheetFamilies(TFontFace face);
};
