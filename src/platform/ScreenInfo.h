#pragma once

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace ondrix {

struct DesktopSize
{
    int width = 0;
    int height = 0;
    friend bool operator==(const DesktopSize&, const DesktopSize&) = default;
};

// A monitor's rectangle inside the virtual desktop, in device pixels; (0, 0) is the desktop's
// top left corner.
struct MonitorRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const MonitorRect&, const MonitorRect&) = default;
};

// The size in device pixels of the whole virtual desktop, all monitors together, and the
// monitors inside it, read live.
class ScreenInfo
{
public:
    virtual ~ScreenInfo() = default;
    virtual DesktopSize CurrentDesktopSize() const = 0;
    // By default one monitor that is the whole desktop.
    virtual std::vector<MonitorRect> CurrentMonitors() const;
};

// A desktop of fixed size: machines without a display, and tests. Without monitors of its
// own it is one monitor.
class FixedScreenInfo final : public ScreenInfo
{
public:
    explicit FixedScreenInfo(DesktopSize size) : m_size(size) {}
    DesktopSize CurrentDesktopSize() const override { return m_size; }
    std::vector<MonitorRect> CurrentMonitors() const override;
    void SetSize(DesktopSize size) { m_size = size; }
    void SetMonitors(std::vector<MonitorRect> monitors) { m_monitors = std::move(monitors); }

private:
    DesktopSize m_size;
    std::vector<MonitorRect> m_monitors;
};

// "WIDTHxHEIGHT" (as ONDRIX_SCREEN gives it), each side 1..65535; nothing when malformed.
std::optional<DesktopSize> ParseDesktopSize(std::string_view text);

// The monitors as a picture can be placed on them: each cut to the desktop, those left
// empty dropped, and so are those that lie wholly inside another (mirrored outputs, also at a
// smaller resolution: the larger monitor's picture is kept whole); in their order. When none is left, the
// whole desktop is the one monitor; an empty desktop has none.
std::vector<MonitorRect> UsableMonitors(const std::vector<MonitorRect>& monitors, DesktopSize desktop);

} // namespace ondrix
