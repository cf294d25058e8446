#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace ondrix {

// One running copy per settings file: a second start asks the running copy to show its
// window and ends.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // key: anything that tells apart the users and settings files sharing this machine.
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);

    // True when this process is now the running copy; false when another copy answered
    // (it has been asked to show its window).
    bool BecomePrimary();

signals:
    void activationRequested();

private:
    QString m_name;
    QLocalServer* m_server = nullptr;
};

} // namespace ondrix
