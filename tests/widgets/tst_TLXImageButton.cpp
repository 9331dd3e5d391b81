#include "widgets/TLXImageButton.h"
#include "widgets/TLXImageList.h"
#include "tests/support/SaveToGallery.h"

#include <QDir>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

namespace {

const QList<QColor> Colours = {Qt::red, Qt::green, Qt::blue, Qt::yellow};

QPixmap solid(const QColor &colour)
{
    QPixmap picture(16, 16);
    picture.fill(colour);
    return picture;
}


// Colour at the centre of the picture the button draws now.
QColor pictureColour(TLXImageButton &button)
{
    const QPoint at = button.ComputePlacement().Picture + QPoint(8, 8);
    return button.grab().toImage().pixelColor(at);
}

void hover(TLXImageButton &button, bool inside)
{
    if (inside) {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), button.mapToGlobal(QPointF(5, 5)));
        QCoreApplication::sendEvent(&button, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&button, &leave);
    }
}

} // namespace

class tst_TLXImageButton final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void defaults();
    void placement_data();
    void placement();
    void pictureByState_data();
    void pictureByState();
    void drawsNothingWithoutValidPicture_data();
    void drawsNothingWithoutValidPicture();
    void hoverFiresOnceAndRepaints();
    void disabledIgnoresClicks();
    void releasedImageListIsForgotten();

private:
    std::unique_ptr<QWidget> host;
    TLXImageList *images = nullptr;
    TLXImageButton *button = nullptr;
};

void tst_TLXImageButton::init()
{
    host = std::make_unique<QWidget>();
    images = new TLXImageList(16, 16, host.get());
    for (const QColor &colour : Colours)
        images->Add(solid(colour));
    button = new TLXImageButton(host.get());
    button->setImageList(images);
    button->setGeometry(0, 0, 100, 60);
    host->resize(100, 60);
    host->show();
}

void tst_TLXImageButton::cleanup()
{
    host.reset();
}

void tst_TLXImageButton::defaults()
{
    TLXImageButton fresh(host.get());
    QCOMPARE(fresh.ImageNormal(), -1);
    QCOMPARE(fresh.ImageOver(), -1);
    QCOMPARE(fresh.ImageDisable(), -1);
    QCOMPARE(fresh.State(), 0);
    QCOMPARE(fresh.TextAlign(), TLXImageButton::anBottom);
    QVERIFY(fresh.ShowCaption());
    QCOMPARE(fresh.cursor().shape(), Qt::PointingHandCursor);
}

void tst_TLXImageButton::placement_data()
{
    QTest::addColumn<TLXImageButton::TLayout>("align");
    QTest::addColumn<bool>("showCaption");

    QTest::newRow("bottom") << TLXImageButton::anBottom << true;
    QTest::newRow("top") << TLXImageButton::anTop << true;
    QTest::newRow("left") << TLXImageButton::anLeft << true;
    QTest::newRow("right") << TLXImageButton::anRight << true;
    QTest::newRow("bottom, caption hidden") << TLXImageButton::anBottom << false;
}

// 100 x 60 button, 16 x 16 pictures, caption "Gravar" of width tw and height th.
void tst_TLXImageButton::placement()
{
    QFETCH(TLXImageButton::TLayout, align);
    QFETCH(bool, showCaption);
    button->setText("Gravar");
    button->setTextAlign(align);
    button->setShowCaption(showCaption);
    const QFontMetrics metrics(button->font());
    const int tw = showCaption ? metrics.horizontalAdvance("Gravar") : 0;
    const int th = metrics.height();

    QPoint picture, caption;
    switch (align) {
    case TLXImageButton::anBottom:
        picture = {42, (60 - 16 - th - 4) / 2};
        caption = {(100 - tw) / 2, picture.y() + 20};
        break;
    case TLXImageButton::anTop:
        picture = {42, (60 - 16 - th - 4) / 2 + th + 4};
        caption = {(100 - tw) / 2, (60 - 16 - th - 4) / 2};
        break;
    case TLXImageButton::anLeft:
        picture = {80, 22};
        caption = {80 - tw, (60 - th) / 2};
        break;
    case TLXImageButton::anRight:
        picture = {4, 22};
        caption = {24, (60 - th) / 2};
        break;
    }
    const TLXImageButton::Placement at = button->ComputePlacement();
    QCOMPARE(at.Picture, picture);
    QCOMPARE(at.Caption, caption);

    // The picture really lands there.
    button->setImageNormal(2);
    const QImage shot = button->grab().toImage();
    QCOMPARE(shot.pixelColor(picture), QColor(Qt::blue));
    QCOMPARE(shot.pixelColor(picture + QPoint(15, 15)), QColor(Qt::blue));
    SaveToGallery(*button, QString("TLXImageButton_%1").arg(QTest::currentDataTag()).replace(", ", "_").replace(' ', '_'));
}

void tst_TLXImageButton::pictureByState_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("over");
    QTest::addColumn<int>("imageDisable");
    QTest::addColumn<int>("expected");

    // ImageNormal 0, ImageOver 1.
    QTest::newRow("enabled, normal") << true << false << 3 << 0;
    QTest::newRow("enabled, over") << true << true << 3 << 1;
    QTest::newRow("disabled without own picture, normal") << false << false << -1 << 0;
    QTest::newRow("disabled without own picture, over") << false << true << -1 << 1;
    QTest::newRow("disabled with own picture, normal") << false << false << 3 << 3;
    QTest::newRow("disabled with own picture, over") << false << true << 3 << 3;
}

void tst_TLXImageButton::pictureByState()
{
    QFETCH(bool, enabled);
    QFETCH(bool, over);
    QFETCH(int, imageDisable);
    QFETCH(int, expected);
    button->setImageNormal(0);
    button->setImageOver(1);
    button->setImageDisable(imageDisable);
    button->setEnabled(enabled);
    hover(*button, over);

    QCOMPARE(button->CurrentImage(), expected);
    QCOMPARE(pictureColour(*button), Colours.at(expected));
}

void tst_TLXImageButton::drawsNothingWithoutValidPicture_data()
{
    QTest::addColumn<int>("listSize");
    QTest::addColumn<int>("index");

    QTest::newRow("index -1 after construction") << 4 << -1;
    QTest::newRow("index past the list") << 4 << 4;
    QTest::newRow("index 256 in a list of 300") << 300 << 256;
}

// Neither picture nor caption: the grab equals one of a button with no list at all.
void tst_TLXImageButton::drawsNothingWithoutValidPicture()
{
    QFETCH(int, listSize);
    QFETCH(int, index);
    while (images->Count() < listSize)
        images->Add(solid(Qt::magenta));
    button->setText("Gravar");
    button->setImageNormal(index);

    TLXImageButton blank(host.get());
    blank.setGeometry(button->geometry());
    QCOMPARE(button->grab().toImage(), blank.grab().toImage());

    button->setImageNormal(255 < listSize ? 255 : 0);
    QVERIFY(button->grab().toImage() != blank.grab().toImage());
}

void tst_TLXImageButton::hoverFiresOnceAndRepaints()
{
    button->setImageNormal(0);
    button->setImageOver(1);
    QSignalSpy entered(button, &TLXImageButton::mouseEntered);
    QSignalSpy left(button, &TLXImageButton::mouseLeft);

    hover(*button, true);
    QCOMPARE(entered.count(), 1);
    QCOMPARE(left.count(), 0);
    QCOMPARE(button->State(), 1);
    QCOMPARE(pictureColour(*button), QColor(Qt::green));
    SaveToGallery(*button, "TLXImageButton_over");

    hover(*button, false);
    QCOMPARE(entered.count(), 1);
    QCOMPARE(left.count(), 1);
    QCOMPARE(button->State(), 0);
    QCOMPARE(pictureColour(*button), QColor(Qt::red));
}

void tst_TLXImageButton::disabledIgnoresClicks()
{
    button->setImageNormal(0);
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(50, 30));
    QCOMPARE(clicked.count(), 1);

    button->setEnabled(false);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(50, 30));
    QCOMPARE(clicked.count(), 1);
}

void tst_TLXImageButton::releasedImageListIsForgotten()
{
    button->setImageNormal(0);
    delete images;
    QCOMPARE(button->ImageList(), nullptr);
    button->grab(); // paints without the list
}

QTEST_MAIN(tst_TLXImageButton)
#include "tst_TLXImageButton.moc"
