// A stand-in for the Plasma shell's scripting service on a test's session bus, for KWin without
// plasmashell (which needs a whole Plasma session): it takes the wallpaper scripts Ondrix sends
// to org.kde.PlasmaShell.evaluateScript for one desktop, keeps what they write and prints what
// they read, so that Ondrix's KDE picture backend finds a desktop to save and restore.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QObject>
#include <QRegularExpression>
#include <QUrl>

#include <cstdio>

namespace {

class PlasmaShell final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")
public slots:
    QString evaluateScript(const QString& script)
    {
        if (script.contains(QLatin1String("print("))) {
            return m_plugin + QLatin1Char('\t') + m_fillMode + QLatin1Char('\t') +
                   QString::fromLatin1(QUrl::toPercentEncoding(m_image)) + QLatin1Char('\n');
        }
        static const QRegularExpression image(
            QStringLiteral(R"re(writeConfig\("Image", "((?:[^"\\]|\\.)*)"\))re"));
        static const QRegularExpression fill(
            QStringLiteral(R"re(writeConfig\("FillMode", "?([0-9]+)"?\))re"));
        static const QRegularExpression plugin(QStringLiteral(R"re(wallpaperPlugin = "([^"]*)")re"));
        if (const auto found = image.match(script); found.hasMatch())
            m_image = found.captured(1)
                          .replace(QLatin1String("\\\""), QLatin1String("\""))
                          .replace(QLatin1String("\\\\"), QLatin1String("\\"));
        if (const auto found = fill.match(script); found.hasMatch())
            m_fillMode = found.captured(1);
        if (const auto found = plugin.match(script); found.hasMatch())
            m_plugin = found.captured(1);
        return {};
    }

private:
    QString m_plugin = QStringLiteral("org.kde.image");
    QString m_fillMode = QStringLiteral("2");
    QString m_image;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    PlasmaShell shell;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/PlasmaShell"), &shell, QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.kde.plasmashell"))) {
        std::fprintf(stderr, "the stand-in cannot take its name: %s\n",
                     qPrintable(bus.lastError().message()));
        return 1;
    }
    return QCoreApplication::exec();
}

#include "FakePlasmaShell.moc"
