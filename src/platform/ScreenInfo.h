#pragma once

namespace ondrix {

struct DesktopSize
{
    int width = 0;
    int height = 0;
    friend bool operator==(const DesktopSize&, const DesktopSize&) = default;
};

// The size in device pixels of the whole virtual desktop, all monitors together, read live.
class ScreenInfo
{
public:
    virtual ~ScreenInfo() = default;
    virtual DesktopSize CurrentDesktopSize() const = 0;
};

// A desktop of fixed size: machines without a display, and tests.
class FixedScreenInfo final : public ScreenInfo
{
public:
    explicit FixedScreenInfo(DesktopSize size) : m_size(size) {}
    DesktopSize CurrentDesktopSize() const override { return m_size; }
    void SetSize(DesktopSize size) { m_size = size; }

private:
    DesktopSize m_size;
};

} // namespace ondrix

#include <optional>
#include <string_view>

namespace ondrix {

// "WIDTHxHEIGHT" (as ONDRIX_SCREEN gives it), each side 1..65535; nothing when malformed.
std::optional<DesktopSize> ParseDesktopSize(std::string_view text);

} // namespace ondrix
