// ondrix-render-icon <picture.svg> <out.png> <size>: the icon drawn at size x size pixels, for
// the icon theme's fixed sizes.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fputs("usage: ondrix-render-icon <picture.svg> <out.png> <size>\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int size = std::stoi(argv[3]);
    QSvgRenderer picture(QString::fromLocal8Bit(argv[1]));
    if (!picture.isValid() || size <= 0 || size > 4096) {
        std::fprintf(stderr, "ondrix-render-icon: cannot draw %s at %s\n", argv[1], argv[3]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    picture.render(&painter);
    painter.end();
    return image.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
}
