#include "DroppedPaths.h"

#include <QFile>
#include <QMimeData>
#include <QUrl>

namespace ondrix {

std::vector<std::string> DroppedPaths(const QMimeData* mime)
{
    std::vector<std::string> paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile())
            paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    return paths;
}

} // namespace ondrix
