// Renders the program's SVG icon to a square PNG at build time:
//   pk_render_icon <icon.svg> <out.png> <size>
// so the PNG sizes the desktop and the window need never drift from the drawing.
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <icon.svg> <out.png> <size>\n", argv[0]);
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString target = QString::fromLocal8Bit(argv[2]);
    bool ok = false;
    const int size = QString::fromLocal8Bit(argv[3]).toInt(&ok);
    if (!ok || size < 8 || size > 1024) {
        std::fprintf(stderr, "%s: the size must be a number of pixels from 8 to 1024\n", argv[0]);
        return 2;
    }
    QSvgRenderer renderer(source);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "%s: %s is not an SVG drawing Qt can read\n", argv[0], argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        renderer.render(&painter, QRectF(0, 0, size, size));
    }
    if (!image.save(target, "PNG")) {
        std::fprintf(stderr, "%s: could not write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
