#include "ui/OndrixApplication.h"

#include "core/Errors.h"
#include "ui/Dialogs.h"

#include <QEvent>
#include <QTest>

#include <string>

namespace ondrix {
namespace {

// Throws the error it is given from its event handler, as a slot of the program may.
class Thrower : public QObject
{
public:
    explicit Thrower(std::string message) : m_message(std::move(message)) {}

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            throw FileError(m_message);
        return QObject::event(event);
    }

private:
    std::string m_message;
};

} // namespace

class OndrixApplicationTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { Dialogs::SetRecording(true); }
    void cleanup() { Dialogs::SetRecording(false); }

    void errorsOfAHandlerAreShownAndTheProgramGoesOn()
    {
        Thrower thrower("Cannot read the list file \"/x/a.lst\": No such file or directory.");
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&thrower, &event);
        QCOMPARE(Dialogs::RecordedMessages(),
                 QStringList{
                     QStringLiteral("Cannot read the list file \"/x/a.lst\": No such file or directory.")});
    }

    void anOverLongPathIsShownByItsTwoEnds()
    {
        const std::string path = "/home/u/" + std::string(5'000'000, 'd') + "/holiday.lst";
        Thrower thrower("Cannot read the list file \"" + path + "\": No such file or directory.");
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&thrower, &event);
        QCOMPARE(Dialogs::RecordedMessages().size(), 1);
        const QString shown = Dialogs::RecordedMessages().front();
        QCOMPARE(shown.size(), 241);
        QVERIFY(shown.startsWith(QStringLiteral("Cannot read the list file \"/home/u/ddd")));
        QVERIFY(shown.endsWith(QStringLiteral("ddd/holiday.lst\": No such file or directory.")));
        QCOMPARE(shown.at(120), QChar(0x2026));

        // The same for errors of work done outside the event dispatch.
        Dialogs::RecordedMessages().clear();
        QVERIFY(!OndrixApplication::Guarded([&] { throw PlatformError(std::string(100'000, 'p') + "end"); }));
        QCOMPARE(Dialogs::RecordedMessages().front().size(), 241);
        QVERIFY(Dialogs::RecordedMessages().front().endsWith(QStringLiteral("pend")));
    }
};

} // namespace ondrix

int main(int argc, char** argv)
{
    ondrix::OndrixApplication app(argc, argv);
    ondrix::OndrixApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "OndrixApplicationTest.moc"
