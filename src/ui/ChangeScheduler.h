#pragma once

#include "imagelists/ImageListStore.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace ondrix {

struct TOptions;
class ThemeApplier;
class WallpaperSetter;

// The package paths of the themes list rows in their displayed order (the path column).
std::vector<std::string> ThemePackagePaths(const QTreeWidget& lvAdvanc);
// The package path of a row of the themes list, byte for byte: the path column shows it as
// text, which cannot carry file names that are not UTF-8.
std::string PackagePathOf(const QTreeWidgetItem& item);
void SetPackagePath(QTreeWidgetItem& item, const std::string& path);

// The change scheduler: the on/off switch, the mode, the start-up change and the change
// timers' work. It changes the options and the desktop; the window shows the new state when
// told by the signals.
//
// One change at a time: a request that arrives while a change is being made (a timer tick
// or a command run from the event loop of an error box, for instance) is dropped, so that
// two changes never interleave. Errors of a change are shown in a message box; the options
// already changed stay changed.
class ChangeScheduler : public QObject
{
    Q_OBJECT
public:
    // errorParent owns the error boxes; it may be null.
    ChangeScheduler(TOptions& options, WallpaperSetter& wallpaper, ThemeApplier& activeDesktop,
                    QWidget* errorParent, QObject* parent = nullptr);

    // Where the next items come from: the rows of the image lists view and the package paths
    // of the themes list, both in displayed order. Unset, there is nothing to choose from.
    std::function<std::vector<ImageList>()> listRows;
    std::function<std::vector<std::string>()> themePaths;

    // The next theme into cadvTheme, the next picture of the current list into cImg; with
    // nothing to choose from, the current item stays.
    void NextTheme();
    void NextPicture();

    void StartupChange();
    void Timer3Timer(); // theme change tick
    void Timer4Timer(); // picture change tick

    void tbbOnOffClick();     // toggle
    void tbbONOFFPM2Click();  // off
    void tbbONOFFPM00Click(); // on, theme mode
    void tbbONOFFPM01Click(); // on, picture mode
    // The user chose cadvTheme by hand (the themes page's apply, a package opened from the
    // command line): on in theme mode, as tbbONOFFPM00Click. When the theme cannot be shown
    // (a package whose unpacking is refused, say) cadvTheme goes back to previousTheme, the
    // mode and the switch stay as they were, and the error says that it was not applied.
    void ApplyThemeByHand(const std::string& previousTheme);
    void tbbChStateClick(); // other mode

    // A change now, asked for from outside (the command line): the work of the change
    // timer of the mode, whatever the change type. Refused while changing is off and when
    // there is nothing to change to.
    void NextChange();

    bool Busy() const { return m_busy; }

    // While set, a change's error goes here instead of into a message box: the caller
    // answers with it (a command from the command line).
    std::function<void(const std::string& error)> errorSink;

signals:
    void enabledChanged(bool enabled);
    // pictureMode is the mode button's picture: picture mode when true.
    void modeChanged(bool pictureMode);
    // Only the mode button announces the new mode on the status bar at once.
    void modeSwitchedByButton(std::uint8_t state);
    // The mode button shows the page of the new mode: TfMain's page index.
    void pageRequested(int page);
    // A change has ended, done or failed; the scheduler takes the next one now.
    void changeFinished();

private:
    // Runs one change unless one is running already; false when dropped or failed.
    template <typename Work> bool Change(Work&& work);
    bool PictureModeAtStart() const;
    void ShowPicture();
    void SetEnabled(bool enabled);

    TOptions& m_options;
    WallpaperSetter& m_wallpaper;
    ThemeApplier& m_activeDesktop;
    QWidget* m_errorParent;
    std::mt19937 m_rng;
    bool m_busy = false;
};

} // namespace ondrix
