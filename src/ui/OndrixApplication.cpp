#include "OndrixApplication.h"

#include "Dialogs.h"

#include <exception>

namespace ondrix {

OndrixApplication::OndrixApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool OndrixApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ReportError(error.what());
    } catch (...) {
        ReportError("An unknown error occurred.");
    }
    return false;
}

void OndrixApplication::ReportError(const char* message)
{
    Dialogs::ShowError(QApplication::activeWindow(), QString::fromUtf8(message));
}

} // namespace ondrix
