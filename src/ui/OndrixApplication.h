#pragma once

#include <QApplication>

namespace ondrix {

// The application object. Errors of the file system, the decoders and the platform travel
// as exceptions up to the event handler; here they are caught, shown in a message box and
// the program goes on. No exception ever leaves a Qt slot.
class OndrixApplication : public QApplication
{
public:
    OndrixApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Runs work outside the event dispatch (start-up, shutdown) with the same reporting.
    template <typename Work> static bool Guarded(Work&& work)
    {
        try {
            work();
            return true;
        } catch (const std::exception& error) {
            ReportError(error.what());
        }
        return false;
    }

    static void ReportError(const char* message);
};

} // namespace ondrix
