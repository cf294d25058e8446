#pragma once

#include <stdexcept>
#include <string>

namespace ondrix {

// Failures of the platform and the file system; the message names the file and says
// what went wrong, in words a user can act on.
class PlatformError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class FileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace ondrix
