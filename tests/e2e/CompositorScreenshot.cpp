// A screenshot of a headless Wayland compositor, for the real-desktop tests; XWayland's root
// window cannot be read there.
//   ondrix-compositor-shot mutter <file.png>
//     mutter's monitor "Meta-0" recorded through its screen-cast service (its session lives as
//     long as this D-Bus connection); one frame of the PipeWire stream written by GStreamer
//   ondrix-compositor-shot kwin <file.png>
//     KWin's whole workspace through its screenshot service, read from a pipe
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>
#include <QImage>
#include <QProcess>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr const char* kService = "org.gnome.Mutter.ScreenCast";

class StreamWatch final : public QObject
{
    Q_OBJECT
public:
    uint node = 0;
    bool added = false;
public slots:
    void PipeWireStreamAdded(uint id)
    {
        node = id;
        added = true;
    }
};

} // namespace

int MutterShot(const QString& file)
{
    const QString monitor = QStringLiteral("Meta-0");
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusInterface cast(kService, QStringLiteral("/org/gnome/Mutter/ScreenCast"),
                        QStringLiteral("org.gnome.Mutter.ScreenCast"), bus);
    const QDBusReply<QDBusObjectPath> session = cast.call(QStringLiteral("CreateSession"), QVariantMap{});
    if (!session.isValid()) {
        std::fprintf(stderr, "no screen-cast session: %s\n", qPrintable(session.error().message()));
        return 1;
    }
    QDBusInterface control(kService, session.value().path(),
                           QStringLiteral("org.gnome.Mutter.ScreenCast.Session"), bus);
    const QDBusReply<QDBusObjectPath> stream =
        control.call(QStringLiteral("RecordMonitor"), monitor, QVariantMap{});
    if (!stream.isValid()) {
        std::fprintf(stderr, "the monitor %s cannot be recorded: %s\n", qPrintable(monitor),
                     qPrintable(stream.error().message()));
        return 1;
    }
    StreamWatch watch;
    bus.connect(kService, stream.value().path(), QStringLiteral("org.gnome.Mutter.ScreenCast.Stream"),
                QStringLiteral("PipeWireStreamAdded"), &watch, SLOT(PipeWireStreamAdded(uint)));
    const QDBusMessage started = control.call(QStringLiteral("Start"));
    if (started.type() == QDBusMessage::ErrorMessage) {
        std::fprintf(stderr, "the recording did not start: %s\n", qPrintable(started.errorMessage()));
        return 1;
    }
    QTimer wait;
    wait.setSingleShot(true);
    wait.start(10000);
    while (!watch.added && wait.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    int code = 1;
    if (watch.added) {
        QProcess gst;
        gst.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        gst.start(QStringLiteral("gst-launch-1.0"),
                  {QStringLiteral("-q"), QStringLiteral("pipewiresrc"),
                   QStringLiteral("path=%1").arg(watch.node), QStringLiteral("num-buffers=1"),
                   QStringLiteral("!"), QStringLiteral("videoconvert"), QStringLiteral("!"),
                   QStringLiteral("pngenc"), QStringLiteral("snapshot=true"), QStringLiteral("!"),
                   QStringLiteral("filesink"), QStringLiteral("location=%1").arg(file)});
        if (gst.waitForFinished(20000) && gst.exitStatus() == QProcess::NormalExit && gst.exitCode() == 0)
            code = 0;
        else
            std::fputs("GStreamer did not write the frame\n", stderr);
    } else {
        std::fputs("mutter announced no stream\n", stderr);
    }
    control.call(QStringLiteral("Stop"));
    return code;
}

int KWinShot(const QString& file)
{
    int ends[2];
    if (::pipe(ends) != 0) {
        std::fputs("no pipe\n", stderr);
        return 1;
    }
    QDBusInterface shots(QStringLiteral("org.kde.KWin"), QStringLiteral("/org/kde/KWin/ScreenShot2"),
                         QStringLiteral("org.kde.KWin.ScreenShot2"), QDBusConnection::sessionBus());
    const QDBusReply<QVariantMap> reply = shots.call(QStringLiteral("CaptureWorkspace"),
                                                     QVariantMap{{QStringLiteral("native-resolution"), true}},
                                                     QVariant::fromValue(QDBusUnixFileDescriptor(ends[1])));
    ::close(ends[1]);
    if (!reply.isValid()) {
        ::close(ends[0]);
        std::fprintf(stderr, "no screenshot: %s\n", qPrintable(reply.error().message()));
        return 1;
    }
    QByteArray bytes;
    char buffer[65536];
    for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<qsizetype>(got));
    ::close(ends[0]);
    const QVariantMap image = reply.value();
    const int width = image.value(QStringLiteral("width")).toInt();
    const int height = image.value(QStringLiteral("height")).toInt();
    const int stride = image.value(QStringLiteral("stride")).toInt();
    const auto format = static_cast<QImage::Format>(image.value(QStringLiteral("format")).toInt());
    if (width <= 0 || height <= 0 || bytes.size() < static_cast<qsizetype>(stride) * height) {
        std::fputs("the screenshot is incomplete\n", stderr);
        return 1;
    }
    const QImage shot(reinterpret_cast<const uchar*>(bytes.constData()), width, height, stride, format);
    return shot.save(file, "PNG") ? 0 : 1;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString compositor = argc == 3 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (compositor != QLatin1String("mutter") && compositor != QLatin1String("kwin")) {
        std::fputs("usage: ondrix-compositor-shot mutter|kwin <file.png>\n", stderr);
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[2]);
    return compositor == QLatin1String("mutter") ? MutterShot(file) : KWinShot(file);
}

#include "CompositorScreenshot.moc"
