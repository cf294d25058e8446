#include "QtShell.h"

#include "platform/DisplaySettings.h"
#include "core/Errors.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

#include <cstdlib>

namespace ondrix {

namespace {

bool HasScheme(const QString& target)
{
    static const QStringList schemes{"http:", "https:", "mailto:", "file:", "ftp:"};
    for (const QString& scheme : schemes) {
        if (target.startsWith(scheme, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

ShellResult QtShell::Open(const std::string& target)
{
    const QString text = QString::fromStdString(target);
    if (text.isEmpty())
        return ShellResult::Failed;
    QUrl url;
    if (HasScheme(text)) {
        url = QUrl(text);
    } else {
        if (!QFileInfo::exists(text))
            return ShellResult::FileNotFound;
        url = QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
    }
    return QDesktopServices::openUrl(url) ? ShellResult::Ok : ShellResult::Failed;
}

void QtShell::OpenDisplaySettings()
{
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    const std::vector<std::string> command =
        DisplaySettingsCommand(desktop ? desktop : "", [](const std::string& program) {
            return !QStandardPaths::findExecutable(QString::fromStdString(program)).isEmpty();
        });
    if (command.empty()) {
        throw PlatformError("No display settings program is known for this desktop (XDG_CURRENT_DESKTOP=\"" +
                            std::string(desktop ? desktop : "") +
                            "\"). Please open the display settings from your desktop's own menu.");
    }
    QStringList arguments;
    for (std::size_t i = 1; i < command.size(); ++i)
        arguments << QString::fromStdString(command[i]);
    if (!QProcess::startDetached(QString::fromStdString(command.front()), arguments))
        throw PlatformError("Could not start \"" + command.front() + "\" to open the display settings.");
}

} // namespace ondrix
