// Build-time tool: draws each of the program's SVG icons as PNG files at the pixel sizes it is
// shown at, so the program reads bitmaps and never loads the SVG engine. Each picture is drawn as
// the SVG icon engine would draw it: the drawing's own size scaled to fit the square, on a
// transparent background.
//
//   quorel_render_icons SVG-FOLDER OUT-FOLDER NAME:SIZE,SIZE... ...
//
// writes OUT-FOLDER/icons/NAME-SIZE.png for every name and size.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

namespace {

bool Render(const QString &svg, int size, const QString &png)
{
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return false;
    QSize drawn = renderer.defaultSize();
    drawn.scale(size, size, Qt::KeepAspectRatio);
    QImage image(drawn, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return image.save(png, "PNG");
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: quorel_render_icons SVG-FOLDER OUT-FOLDER NAME:SIZE,SIZE...\n");
        return 2;
    }
    const QDir sources(arguments.at(1));
    const QDir output(arguments.at(2) + QStringLiteral("/icons"));
    if (!output.mkpath(QStringLiteral(".")))
        return 1;
    for (const QString &entry : arguments.mid(3)) {
        const QString name = entry.section(QLatin1Char(':'), 0, 0);
        for (const QString &size : entry.section(QLatin1Char(':'), 1).split(QLatin1Char(','))) {
            const QString png = output.filePath(QStringLiteral("%1-%2.png").arg(name, size));
            if (!Render(sources.filePath(name + QStringLiteral(".svg")), size.toInt(), png)) {
                std::fprintf(
                    stderr, "quorel_render_icons: cannot draw %s at %s px\n", qPrintable(name), qPrintable(size));
                return 1;
            }
        }
    }
    return 0;
}
