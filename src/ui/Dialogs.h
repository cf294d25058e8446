#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace ondrix {

inline constexpr const char* kMessageCaption = "Ondrix 2.00";

// Message boxes of the program. Tests switch them to recording so that no modal box
// blocks: every message is then kept in RecordedMessages() instead of being shown.
namespace Dialogs {

// Over-long texts keep their two ends (ShortenForDisplay).
void ShowError(QWidget* parent, const QString& text);
void ShowError(QWidget* parent, const QString& text, const QString& caption);
void ShowInformation(QWidget* parent, const QString& text);

void SetRecording(bool on);

// The program is ending (a termination request): every open modal box and dialog is closed
// as if cancelled, and later messages go to the standard error stream instead of a box,
// so that nothing waits for a click on the way out.
void EndModalBoxes();
bool Ending();
QStringList& RecordedMessages();

// The shared file-open dialog: several existing files, resizable; an empty list when the user
// cancels. folder is where it opens (empty: the current folder). Tests set the files the next
// call returns instead of showing the dialog; the filter and folder it was given are kept.
// several false: one file only.
QStringList ChooseFiles(QWidget* parent, const QString& filter, const QString& folder, bool several = true);
void SetNextChosenFiles(const QStringList& files);
struct FileDialogCall
{
    QString filter;
    QString folder;
};
FileDialogCall LastFileDialogCall();

} // namespace Dialogs
} // namespace ondrix
