// Commands from the command line, carried out by the running copy through the handlers of
// the tool bar and the pages.
#include "ChangeScheduler.h"
#include "ThemesPage.h"
#include "app/CommandLine.h"
#include "app/options.h"
#include "core/Errors.h"
#include "themes/ThemeStore.h"
#include "uMainForm.h"
#include "wallpaper/BmpCodec.h"
#include "wallpaper/JpegCodec.h"
#include "wallpaper/Picture.h"

#include <filesystem>
#include <stdexcept>

namespace ondrix {

namespace {

// Commands beyond this many waiting are refused: a running change never makes the queue grow
// without end.
constexpr std::size_t kMaxWaitingRequests = 32;
// The style image of a row whose themes cannot be shown for want of a component.
constexpr int kMissingComponentImage = 5;

// The file a command names must be there and be a plain file: reading anything else (a pipe,
// a device) could keep the window waiting.
void RequireRegularFile(const std::string& path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        throw FileError("The file \"" + path + "\" does not exist.");
    if (!std::filesystem::is_regular_file(status))
        throw FileError("\"" + path + "\" is not a regular file.");
}

// Decodes the picture as the wallpaper setter will (a JPEG at its smallest scale), so that a
// file that is no picture is refused before anything changes.
void RequirePicture(const std::string& path)
{
    const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    if (PictureKindOf(path) == PictureKind::Jpeg)
        DecodeJpeg(bytes, path, 1, 1);
    else
        DecodeBmp(bytes, path);
}

} // namespace

void TfMain::RemoteRequest(const std::string& line, std::function<void(const std::string&)> answer)
{
    if (m_requests.size() >= kMaxWaitingRequests) {
        answer(EncodeAnswer(Answer{false, "Too many commands are waiting; try again later.", {}}));
        return;
    }
    m_requests.push_back(WaitingRequest{line, std::move(answer)});
    RunWaitingRequests();
}

void TfMain::RunWaitingRequests()
{
    // Never inside a change: a command that comes while one is being made (from the event
    // loop of its error box, say) waits for the scheduler's changeFinished.
    while (!m_carryingOut && !m_scheduler->Busy() && !m_requests.empty()) {
        WaitingRequest request = std::move(m_requests.front());
        m_requests.pop_front();
        m_carryingOut = true;
        const std::string answer = CarryOutRequest(request.line);
        m_carryingOut = false;
        request.answer(answer);
    }
}

std::string TfMain::CarryOutRequest(const std::string& line)
{
    const DecodedRequest request = DecodeRequest(line);
    if (!request.command)
        return EncodeAnswer(Answer{false, "The request was refused: " + request.error + ".", {}});
    const Command& command = *request.command;
    if (command.verb == Verb::Status)
        return EncodeAnswer(Answer{true,
                                   {},
                                   StatusFieldsOf(m_options.state != 0, m_options.Enabled, m_options.cIList,
                                                  m_options.cImg, m_options.cadvTheme)});

    // The error of a change is answered instead of shown in a box on the desktop.
    std::string error;
    m_scheduler->errorSink = [&error](const std::string& text) {
        if (error.empty())
            error = text;
    };
    try {
        switch (command.verb) {
        case Verb::Next:
            m_scheduler->NextChange();
            break;
        case Verb::On:
            if (!m_options.Enabled)
                tbbOnOffClick();
            break;
        case Verb::Off:
            tbbONOFFPM2Click();
            break;
        case Verb::Mode:
            if ((command.argument == "pictures") != (m_options.state != 0)) {
                // A stored state above 1 is picture mode; the mode button counts it down.
                if (m_options.state > 1)
                    m_options.state = 1;
                tbbChStateClick();
            }
            break;
        case Verb::ApplyTheme:
            ApplyThemeFile(command.argument);
            break;
        case Verb::SetPicture:
            SetPictureFile(command.argument);
            break;
        default:
            error = "The command is not carried out by the running copy.";
            break;
        }
    } catch (const std::exception& refusal) {
        error = refusal.what();
    }
    m_scheduler->errorSink = nullptr;
    return EncodeAnswer(error.empty() ? Answer{true, {}, {}} : Answer{false, error, {}});
}

// As the themes page's open and apply: the package is taken into the store (a package from
// elsewhere is copied in, a legacy one converted there), listed, and shown in theme mode.
void TfMain::ApplyThemeFile(const std::string& path)
{
    RequireRegularFile(path);
    if (!m_themeStore)
        throw std::runtime_error("There is no theme store to take the package into.");
    const std::optional<ThemeRow> row = m_themeStore->ImportThemePackage(path);
    if (!row)
        throw FileError("\"" + path + "\" is not a theme package.");
    m_themesPage->ListPackage(*row);
    if (row->Image == kMissingComponentImage)
        throw std::runtime_error("The theme \"" + row->Caption +
                                 "\" was taken into the store, but themes cannot be shown here: a component "
                                 "they need is missing.");
    const std::string previous = m_options.cadvTheme;
    m_options.cadvTheme = row->Path;
    m_scheduler->ApplyThemeByHand(previous);
}

// As showing an entry of a list: the picture becomes the current one and is shown in picture
// mode by the display mode of the options. A file that is no picture changes nothing.
void TfMain::SetPictureFile(const std::string& path)
{
    RequireRegularFile(path);
    RequirePicture(path);
    const std::string previous = m_options.cImg;
    m_options.cImg = path;
    bool failed = false;
    const auto sink = m_scheduler->errorSink;
    m_scheduler->errorSink = [&](const std::string& text) {
        failed = true;
        sink(text);
    };
    tbbONOFFPM01Click();
    m_scheduler->errorSink = sink;
    if (failed)
        m_options.cImg = previous;
}

} // namespace ondrix
