#include "ChangeScheduler.h"

#include "Dialogs.h"
#include "app/options.h"
#include "imagelists/Scheduler.h"
#include "themes/ThemeApplier.h"
#include "wallpaper/WallpaperSetter.h"

#include <QTreeWidget>
#include <QWidget>

#include <chrono>
#include <exception>
#include <stdexcept>

namespace ondrix {

namespace {

constexpr int kPathColumn = 2;
constexpr int kPackagePathRole = Qt::UserRole + 20;
// Page indexes of the main window: the themes page and the image lists page.
constexpr int kThemesPage = 0;
constexpr int kImageListsPage = 1;

std::mt19937 SeededGenerator()
{
    std::random_device device;
    const auto now = static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return std::mt19937(device() ^ now);
}

} // namespace

std::vector<std::string> ThemePackagePaths(const QTreeWidget& lvAdvanc)
{
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(lvAdvanc.topLevelItemCount()));
    for (int row = 0; row < lvAdvanc.topLevelItemCount(); ++row)
        paths.push_back(PackagePathOf(*lvAdvanc.topLevelItem(row)));
    return paths;
}

std::string PackagePathOf(const QTreeWidgetItem& item)
{
    const QVariant raw = item.data(kPathColumn, kPackagePathRole);
    if (raw.isValid())
        return raw.toByteArray().toStdString();
    return item.text(kPathColumn).toStdString();
}

void SetPackagePath(QTreeWidgetItem& item, const std::string& path)
{
    item.setText(kPathColumn, QString::fromStdString(path));
    item.setData(kPathColumn, kPackagePathRole, QByteArray::fromStdString(path));
}

ChangeScheduler::ChangeScheduler(TOptions& options, WallpaperSetter& wallpaper, ThemeApplier& activeDesktop,
                                 QWidget* errorParent, QObject* parent)
    : QObject(parent), m_options(options), m_wallpaper(wallpaper), m_activeDesktop(activeDesktop),
      m_errorParent(errorParent), m_rng(SeededGenerator())
{
}

template <typename Work> bool ChangeScheduler::Change(Work&& work)
{
    if (m_busy)
        return false;
    m_busy = true;
    bool done = false;
    try {
        work();
        done = true;
    } catch (const std::exception& error) {
        // Still busy while the box is open: what its event loop delivers is dropped.
        if (errorSink)
            errorSink(error.what());
        else
            Dialogs::ShowError(m_errorParent, QString::fromStdString(error.what()));
    }
    m_busy = false;
    emit changeFinished();
    return done;
}

void ChangeScheduler::NextTheme()
{
    const std::vector<std::string> paths = themePaths ? themePaths() : std::vector<std::string>{};
    if (auto next = ondrix::NextTheme(paths, m_options.cadvTheme, m_options.advRandOrOrder == 1, m_rng))
        m_options.cadvTheme = std::move(*next);
}

void ChangeScheduler::NextPicture()
{
    const std::vector<ImageList> rows = listRows ? listRows() : std::vector<ImageList>{};
    if (auto next =
            NextPictureOfLists(rows, m_options.cIList, m_options.cImg, m_options.ilRandOrOrder == 1, m_rng))
        m_options.cImg = std::move(*next);
}

// At start and on switching on, a mode without a current theme is picture mode.
bool ChangeScheduler::PictureModeAtStart() const
{
    return m_options.state != 0 || m_options.cadvTheme.empty();
}

// Without a current picture the desktop keeps what it shows: only the commands that switch
// the program off remove the picture.
void ChangeScheduler::ShowPicture()
{
    m_activeDesktop.DisableActiveDesktop();
    if (!m_options.cImg.empty())
        m_wallpaper.SetWallpaper(m_options.cImg);
}

void ChangeScheduler::SetEnabled(bool enabled)
{
    m_options.Enabled = enabled;
    emit enabledChanged(enabled);
}

void ChangeScheduler::StartupChange()
{
    Change([this] {
        if (!m_options.Enabled)
            return;
        if (PictureModeAtStart()) {
            m_activeDesktop.DisableActiveDesktop();
            if (m_options.ilChType == 1)
                NextPicture();
            // Without a current picture the desktop stays as the user had it.
            if (!m_options.cImg.empty())
                m_wallpaper.SetWallpaper(m_options.cImg);
        } else {
            if (m_options.advChType == 1)
                NextTheme();
            m_activeDesktop.ApplyTheme(m_options.cadvTheme);
        }
    });
}

void ChangeScheduler::Timer3Timer()
{
    if (!m_options.Enabled || m_options.state != 0 || m_options.advChType != 2)
        return;
    Change([this] {
        NextTheme();
        m_activeDesktop.ApplyTheme(m_options.cadvTheme);
    });
}

void ChangeScheduler::Timer4Timer()
{
    if (!m_options.Enabled || m_options.state != 1 || m_options.ilChType != 2)
        return;
    Change([this] {
        NextPicture();
        if (!m_options.cImg.empty())
            m_wallpaper.SetWallpaper(m_options.cImg);
    });
}

void ChangeScheduler::tbbOnOffClick()
{
    m_activeDesktop.UserAskedForTheme();
    Change([this] {
        SetEnabled(!m_options.Enabled);
        if (!m_options.Enabled) {
            m_wallpaper.SetWallpaper(std::string());
            m_activeDesktop.DisableActiveDesktop();
        } else if (PictureModeAtStart()) {
            ShowPicture();
        } else {
            m_activeDesktop.ApplyTheme(m_options.cadvTheme);
        }
    });
}

void ChangeScheduler::tbbONOFFPM2Click()
{
    Change([this] {
        SetEnabled(false);
        m_activeDesktop.DisableActiveDesktop();
        m_wallpaper.SetWallpaper(std::string());
    });
}

void ChangeScheduler::tbbONOFFPM00Click()
{
    m_activeDesktop.UserAskedForTheme();
    Change([this] {
        if (m_options.state == 1) {
            m_options.state = 0;
            emit modeChanged(false);
        }
        SetEnabled(true);
        if (!m_options.cadvTheme.empty())
            m_activeDesktop.ApplyTheme(m_options.cadvTheme);
    });
}

void ChangeScheduler::ApplyThemeByHand(const std::string& previousTheme)
{
    m_activeDesktop.UserAskedForTheme();
    bool ran = false;
    Change([this, &previousTheme, &ran] {
        ran = true;
        const std::uint8_t state = m_options.state;
        const bool enabled = m_options.Enabled;
        if (m_options.state == 1) {
            m_options.state = 0;
            emit modeChanged(false);
        }
        SetEnabled(true);
        try {
            m_activeDesktop.ApplyTheme(m_options.cadvTheme);
        } catch (const std::exception& error) {
            // A theme that could not be shown does not become the current one; the program
            // stays as it was.
            m_options.cadvTheme = previousTheme;
            if (m_options.state != state) {
                m_options.state = state;
                emit modeChanged(state != 0);
            }
            if (!enabled)
                SetEnabled(false);
            throw std::runtime_error(std::string(error.what()) +
                                     "\n\nThe theme was not applied; the current theme stays as it was.");
        }
    });
    // Dropped while another change runs: the theme that was not applied is not current either.
    if (!ran)
        m_options.cadvTheme = previousTheme;
}

void ChangeScheduler::tbbONOFFPM01Click()
{
    Change([this] {
        if (m_options.state == 0) {
            m_options.state = 1;
            emit modeChanged(true);
        }
        SetEnabled(true);
        ShowPicture();
    });
}

void ChangeScheduler::tbbChStateClick()
{
    m_activeDesktop.UserAskedForTheme();
    Change([this] {
        m_options.state = m_options.state == 0 ? 1 : static_cast<std::uint8_t>(m_options.state - 1);
        emit modeSwitchedByButton(m_options.state);
        emit modeChanged(m_options.state != 0);
        if (!m_options.Enabled)
            return;
        if (m_options.state == 0 && !m_options.cadvTheme.empty()) {
            m_activeDesktop.ApplyTheme(m_options.cadvTheme);
            emit pageRequested(kThemesPage);
        } else {
            ShowPicture();
            emit pageRequested(kImageListsPage);
        }
    });
}

void ChangeScheduler::NextChange()
{
    Change([this] {
        if (!m_options.Enabled)
            throw std::runtime_error("Changing is off; switch it on first (ondrix --on).");
        if (m_options.state == 0) {
            // Said to the command line every time: the box of a missing component comes once.
            if (!m_activeDesktop.CanShowThemes())
                throw std::runtime_error("Themes cannot be shown here: a component they need is missing.");
            NextTheme();
            if (m_options.cadvTheme.empty())
                throw std::runtime_error("There is no theme to change to: the theme store is empty.");
            m_activeDesktop.ApplyTheme(m_options.cadvTheme);
        } else {
            NextPicture();
            if (m_options.cImg.empty())
                throw std::runtime_error(
                    "There is no picture to change to: the current image list is empty.");
            m_wallpaper.SetWallpaper(m_options.cImg);
        }
    });
}

} // namespace ondrix
