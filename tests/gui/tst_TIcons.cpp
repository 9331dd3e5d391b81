#include "gui/TIcons.h"

#include <QApplication>
#include <QtTest>

// Every icon name resolves to a drawable resource, and each icon is made once and shared.
class tst_TIcons final : public QObject
{
    Q_OBJECT

private slots:
    void everyIconIsDrawnAndShared()
    {
        for (int i = int(TIcon::Save); i <= int(TIcon::Magnifier); ++i) {
            const auto icon = TIcon(i);
            QVERIFY2(QFile::exists(TIcons::PathOf(icon)), qPrintable(TIcons::PathOf(icon)));
            QVERIFY2(!TIcons::Of(icon).pixmap(16, 16).isNull(), qPrintable(TIcons::PathOf(icon)));
            QCOMPARE(TIcons::Of(icon).cacheKey(), TIcons::Of(icon).cacheKey());
        }
    }
};

QTEST_MAIN(tst_TIcons)
#include "tst_TIcons.moc"
