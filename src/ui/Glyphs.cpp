#include "Glyphs.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPixmap>

// The pictures are compiled into a static library, which registers nothing by itself.
static void InitIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace ondrix {

void EnsureIconResources()
{
    static const bool registered = [] {
        InitIconResources();
        return true;
    }();
    (void)registered;
}

QString GlyphPath(const char* resourceName)
{
    return QStringLiteral(":/icons/") + QString::fromLatin1(resourceName) + QStringLiteral(".svg");
}

QIcon Glyph(const char* resourceName)
{
    EnsureIconResources();
    return QIcon(GlyphPath(resourceName));
}

QIcon LoadIconFile(const std::string& path)
{
    const QString file = ToQ(path);
    if (path.empty() || !QFileInfo(file).isFile())
        return {};
    // QIcon takes any file lazily, even one that is not a picture; decode once to know.
    QImageReader reader(file);
    const QImage image = reader.read();
    if (image.isNull())
        return {};
    return QIcon(QPixmap::fromImage(image));
}

} // namespace ondrix
