#pragma once

#include <QObject>

class QSocketNotifier;

namespace ondrix {

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the user-interface thread, so that
// the program can close its main window and save its options as at a normal exit.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested();

private:
    void onReadable();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace ondrix
