#include "tests/support/SaveToGallery.h"

#include <QCoreApplication>
#include <QDir>
#include <QWidget>
#include <QtTest>

void SaveToGallery(QWidget &widget, const QString &name)
{
    const QString folder = qEnvironmentVariable("QUOREL_GALLERY");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    // Pending layout passes only: input and hover events stay queued for the test to deliver.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QVERIFY(widget.grab().save(QDir(folder).filePath(name + QStringLiteral(".png"))));
}
