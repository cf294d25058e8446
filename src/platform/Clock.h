#pragma once

#include <cstdint>

namespace ondrix {

// Milliseconds of a monotonic clock, wrapping as a 32-bit tick count does.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual std::uint32_t TickCount() const = 0;
};

class SteadyClock final : public Clock
{
public:
    std::uint32_t TickCount() const override;
};

} // namespace ondrix
