#include "gui/TFonts.h"

#include <QFontDatabase>

namespace {

// First choices by role, in the order of TFontFace; the platform's font is appended to each.
QStringList Preferred(TFontFace face)
{
    switch (face) {
    case TFontFace::Window:
        return {QStringLiteral("Tahoma"), QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")};
    case TFontFace::Content:
        return {QStringLiteral("Segoe UI"), QStringLiteral("Noto Sans"), QStringLiteral("DejaVu Sans")};
    }
    return {};
}

QStringList FamiliesWithPlatformFont(TFontFace face)
{
    QStringList families = Preferred(face);
    const QString platform = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    families.removeAll(platform);
    families << platform;
    return families;
}

} // namespace

QStringList TFonts::Families(TFontFace face)
{
    // Asked for by every label a screen makes: the font database is read once per face.
    static const QStringList window = FamiliesWithPlatformFont(TFontFace::Window);
    static const QStringList content = FamiliesWithPlatformFont(TFontFace::Content);
    return face == TFontFace::Window ? window : content;
}

QFont TFonts::Of(TFontFace face, int pointSize)
{
    return QFont(Families(face), pointSize);
}

void TFonts::SetFace(QFont &font, TFontFace face)
{
    font.setFamilies(Families(face));
}

QString TFonts::StyleSheetFamilies(TFontFace face)
{
    QStringList quoted;
    for (const QString &family : Families(face))
        quoted << QLatin1Char('\'') + family + QLatin1Char('\'');
    return quoted.join(QStringLiteral(", "));
}
