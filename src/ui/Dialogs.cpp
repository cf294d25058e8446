#include "Dialogs.h"

#include "core/DisplayText.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

#include <cstdio>
#include <optional>

namespace ondrix::Dialogs {

namespace {
bool g_recording = false;
bool g_ending = false;

// While the program ends, a message is printed rather than shown; true when it was.
bool PrintedInstead(const QString& text)
{
    if (!g_ending)
        return false;
    std::fprintf(stderr, "%s: %s\n", kMessageCaption, text.toLocal8Bit().constData());
    return true;
}
std::optional<QStringList> g_nextFiles;
FileDialogCall g_lastCall;
} // namespace

QStringList ChooseFiles(QWidget* parent, const QString& filter, const QString& folder, bool several)
{
    g_lastCall = {filter, folder};
    if (g_ending)
        return {};
    if (g_nextFiles) {
        const QStringList files = *g_nextFiles;
        g_nextFiles.reset();
        return files;
    }
    if (!several) {
        const QString file = QFileDialog::getOpenFileName(parent, QString(), folder, filter);
        return file.isEmpty() ? QStringList() : QStringList{file};
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
    ShowError(parent, text, QString::fromUtf8(kMessageCaption));
}

void ShowError(QWidget* parent, const QString& text, const QString& caption)
{
    // An error built around a path of megabytes would take the box seconds to lay out.
    const QString shown = QString::fromStdString(ShortenForDisplay(text.toStdString()));
    if (g_recording) {
        RecordedMessages().append(shown);
        return;
    }
    if (PrintedInstead(shown))
        return;
    QMessageBox::critical(parent, caption, shown);
}

void ShowInformation(QWidget* parent, const QString& text)
{
    const QString shown = QString::fromStdString(ShortenForDisplay(text.toStdString()));
    if (g_recording) {
        RecordedMessages().append(shown);
        return;
    }
    if (PrintedInstead(shown))
        return;
    QMessageBox::information(parent, QString::fromUtf8(kMessageCaption), shown);
}

void EndModalBoxes()
{
    g_ending = true;
    // Innermost first: a box opened from another box's loop returns before its owner.
    QWidget* modal = nullptr;
    while ((modal = QApplication::activeModalWidget()) != nullptr) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (dialog == nullptr) {
            modal->close();
            break;
        }
        dialog->done(QDialog::Rejected);
        if (QApplication::activeModalWidget() == modal)
            break;
    }
}

bool Ending()
{
    return g_ending;
}

} // namespace ondrix::Dialogs
