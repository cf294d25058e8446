// A screenshot of a headless mutter's monitor, for the real-desktop tests: XWayland's root
// window cannot be read there, so the monitor is recorded through mutter's screen-cast service
// (its session lives as long as this D-Bus connection) and one frame of the PipeWire stream is
// written as a PNG by GStreamer.
//   ondrix-mutter-shot <file.png> [monitor]   (monitor: "Meta-0" by default)
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QProcess>
#include <QTimer>

#include <cstdio>

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

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("usage: ondrix-mutter-shot <file.png> [monitor]\n", stderr);
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    const QString monitor = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("Meta-0");
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

#include "MutterScreenshot.moc"
