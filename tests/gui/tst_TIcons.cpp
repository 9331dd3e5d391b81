#include "gui/TIcons.h"

#include <QApplication>
#include <QtTest>

namespace {

// The icons' resource names, in the order of TIcon.
const QStringList Sources = {"save", "cancel", "new", "edit", "delete", "search", "select", "debug", "app", "expanded",
    "collapsed", "magnifier-light"};

QImage Pixels(const QIcon &icon, int size)
{
    return icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

// Every icon name resolves to a drawable resource, each icon is made once and shared, and its
// pictures are those the SVG icon engine draws from the source at the sizes the program shows.
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

    void picturesMatchTheirSvgSource_data()
    {
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("size");
        for (int i = int(TIcon::Save); i <= int(TIcon::Magnifier); ++i)
            for (int size : {16, 24, 32, 48})
                QTest::addRow("%s %d", qPrintable(Sources.at(i)), size) << i << size;
        QTest::newRow("app 128") << int(TIcon::App) << 128;
    }

    void picturesMatchTheirSvgSource()
    {
        QFETCH(int, icon);
        QFETCH(int, size);
        const QIcon source(QStringLiteral(QUOREL_ICON_SOURCES "/%1.svg").arg(Sources.at(icon)));
        QVERIFY(!source.isNull());
        QCOMPARE(Pixels(TIcons::Of(TIcon(icon)), size), Pixels(source, size));
    }
};

QTEST_MAIN(tst_TIcons)
#include "tst_TIcons.moc"
