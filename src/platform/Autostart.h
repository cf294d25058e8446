#pragma once

#include <string>

namespace ondrix {

// The entry that starts the program when the user logs on. Failures are thrown (FileError).
class Autostart
{
public:
    virtual ~Autostart() = default;

    // Makes the executable start at logon in workingFolder; an entry there is replaced.
    virtual void Create(const std::string& executable, const std::string& workingFolder) = 0;
    // Removes the entry; a missing one is no error.
    virtual void Remove() = 0;
};

} // namespace ondrix
