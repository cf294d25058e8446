#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace ondrix {

inline constexpr const char* kMessageCaption = "Ondrix 2.00";

// Message boxes of the program. Tests switch them to recording so that no modal box
// blocks: every message is then kept in RecordedMessages() instead of being shown.
namespace Dialogs {

void ShowError(QWidget* parent, const QString& text);
void ShowInformation(QWidget* parent, const QString& text);

void SetRecording(bool on);
QStringList& RecordedMessages();

} // namespace Dialogs
} // namespace ondrix
