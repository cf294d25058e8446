#include "FileActiveDesktop.h"

#include "Registry.h"

namespace ondrix {

void FileActiveDesktop::ShowStartPage(const std::string& startPage)
{
    m_registry.WriteString(Hive::CurrentUser, kGeneralKey, "Wallpaper", startPage);
    m_registry.WriteDword(Hive::CurrentUser, kGeneralKey, "ActiveDesktop", 1);
}

void FileActiveDesktop::SwitchOff()
{
    m_registry.WriteDword(Hive::CurrentUser, kGeneralKey, "ActiveDesktop", 0);
}

} // namespace ondrix
