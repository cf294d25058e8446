#include "XdgAutostart.h"

#include "core/AtomicFile.h"
#include "core/Errors.h"

#include <filesystem>
#include <system_error>

namespace ondrix {

namespace {

void RefuseControlCharacters(std::string_view path)
{
    for (const char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            throw FileError("The path \"" + std::string(path) +
                            "\" holds a control character; the program cannot be started at logon from it.");
    }
}

// The escapes of every string value of an entry.
std::string EscapeString(std::string_view text)
{
    std::string escaped;
    for (const char c : text) {
        if (c == '\\')
            escaped += "\\\\";
        else
            escaped += c;
    }
    return escaped;
}

// One argument of Exec: quoted when it holds a reserved character; inside the quotes '"',
// '`', '$' and '\' take a backslash. The string escapes come on top of that.
std::string ExecArgument(std::string_view argument)
{
    constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string unescaped;
    for (const char c : argument) {
        if (c == '%')
            unescaped += "%%";
        else
            unescaped += c;
    }
    if (argument.find_first_of(kReserved) == std::string_view::npos)
        return EscapeString(unescaped);
    std::string quoted = "\"";
    for (const char c : unescaped) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    return EscapeString(quoted);
}

} // namespace

std::string XdgAutostart::DefaultEntryPath(const char* xdgConfigHome, const char* home)
{
    std::filesystem::path base;
    if (xdgConfigHome && xdgConfigHome[0] == '/')
        base = xdgConfigHome;
    else if (home && home[0] == '/')
        base = std::filesystem::path(home) / ".config";
    else
        return {}; // no home to keep an entry in: never a path relative to wherever we run
    return (base / "autostart" / "Ondrix.desktop").string();
}

std::string AutostartEntryText(std::string_view executable, std::string_view workingFolder)
{
    RefuseControlCharacters(executable);
    RefuseControlCharacters(workingFolder);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Ondrix\n"
           "Exec=" +
           ExecArgument(executable) +
           "\n"
           "Path=" +
           EscapeString(workingFolder) +
           "\n"
           "Terminal=false\n";
}

void XdgAutostart::Create(const std::string& executable, const std::string& workingFolder)
{
    if (m_entryPath.empty())
        throw FileError("There is no home folder to keep the autostart entry in.");
    WriteFileAtomically(m_entryPath, AutostartEntryText(executable, workingFolder), true);
}

void XdgAutostart::Remove()
{
    if (m_entryPath.empty())
        return;
    std::error_code error;
    std::filesystem::remove(m_entryPath, error);
    if (error)
        throw FileError("Cannot remove the autostart entry \"" + m_entryPath + "\": " + error.message());
}

} // namespace ondrix
