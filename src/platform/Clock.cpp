#include "Clock.h"

#include <chrono>

namespace ondrix {

std::uint32_t SteadyClock::TickCount() const
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<std::uint32_t>(ms);
}

} // namespace ondrix
