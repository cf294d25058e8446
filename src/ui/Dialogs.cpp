#include "Dialogs.h"

#include <QMessageBox>

namespace ondrix::Dialogs {

namespace {
bool g_recording = false;
} // namespace

QStringList& RecordedMessages()
{
    static QStringList messages;
    return messages;
}

void SetRecording(bool on)
{
    g_recording = on;
    RecordedMessages().clear();
}

void ShowError(QWidget* parent, const QString& text)
{
    if (g_recording) {
        RecordedMessages().append(text);
        return;
    }
    QMessageBox::critical(parent, QString::fromUtf8(kMessageCaption), text);
}

void ShowInformation(QWidget* parent, const QString& text)
{
    if (g_recording) {
        RecordedMessages().append(text);
        return;
    }
    QMessageBox::information(parent, QString::fromUtf8(kMessageCaption), text);
}

} // namespace ondrix::Dialogs
