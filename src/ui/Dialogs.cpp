#include "Dialogs.h"

#include "core/DisplayText.h"

#include <QFileDialog>
#include <QMessageBox>

#include <optional>

namespace ondrix::Dialogs {

namespace {
bool g_recording = false;
std::optional<QStringList> g_nextFiles;
FileDialogCall g_lastCall;
} // namespace

QStringList ChooseFiles(QWidget* parent, const QString& filter, const QString& folder)
{
    g_lastCall = {filter, folder};
    if (g_nextFiles) {
        const QStringList files = *g_nextFiles;
        g_nextFiles.reset();
        return files;
    }
    return QFileDialog::getOpenFileNames(parent, QString(), folder, filter);
}

void SetNextChosenFiles(const QStringList& files)
{
    g_nextFiles = files;
}

FileDialogCall LastFileDialogCall()
{
    return g_lastCall;
}

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
    // An error built around a path of megabytes would take the box seconds to lay out.
    const QString shown = QString::fromStdString(ShortenForDisplay(text.toStdString()));
    if (g_recording) {
        RecordedMessages().append(shown);
        return;
    }
    QMessageBox::critical(parent, QString::fromUtf8(kMessageCaption), shown);
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
