#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;
class QWidget;
struct wl_display;
struct wl_registry;
struct wl_compositor;
struct wl_shm;
struct zwlr_layer_shell_v1;
struct zwlr_foreign_toplevel_manager_v1;
struct zxdg_output_manager_v1;

namespace ondrix {

// The live layer on the background layer of a Wayland compositor that announces
// zwlr_layer_shell_v1 (sway, Hyprland, river, labwc, Wayfire, niri, COSMIC, KWin). The web view
// is drawn offscreen, laid out over the union of the outputs as the X11 desktop window spans
// the virtual desktop, and each output's layer surface shows its part of it: one page and one
// movie for the whole desktop, at the cost of one. A surface is drawn only when the view has
// changed and the compositor has asked for a frame, into one of two shared-memory buffers; a
// compositor that stops asking (a covered output) stops the drawing with it.
//
// The surfaces take no keyboard and no pointer (clicks reach the desktop), reserve no space
// (exclusive zone -1) and use the namespace "desktop", which KWin takes for the desktop window.
// Where the compositor announces zwlr_foreign_toplevel_manager_v1 (sway, Hyprland, labwc,
// Wayfire), the full-screen and maximised windows are followed: Covered() holds while every
// output has one that is not minimised.
class WaylandLayerShell final : public QObject
{
    Q_OBJECT
public:
    explicit WaylandLayerShell(QObject* parent = nullptr);
    ~WaylandLayerShell() override;
    WaylandLayerShell(const WaylandLayerShell&) = delete;
    WaylandLayerShell& operator=(const WaylandLayerShell&) = delete;

    // Connects to the compositor at WAYLAND_DISPLAY and learns its outputs. False, with the
    // reason, where there is no compositor or it does not announce the layer shell.
    bool Connect(std::string& whyNot);

    // Shows view on every output from now on, outputs added later included: on the background
    // layer, or, overIcons, on the bottom layer above a desktop's icon surface on the
    // background layer. Another view (the theme's next page) keeps the surfaces.
    void Show(QWidget* view, bool overIcons);
    // Removes every surface: the compositor's own background is seen again.
    void Hide();
    // For compositors that draw the oldest surface of a layer on top (sway before 1.8): the
    // wallpaper program they started with the session would cover a background surface made
    // later, so the surfaces go on the bottom layer (still below every window, and below the
    // panels started before them). Counts from the next Show.
    void UseBottomLayer(bool on) { m_bottomLayer = on; }

    // The union of the outputs in the compositor's layout, in its logical pixels (empty before
    // an output is known).
    QRect Union() const;
    // Every output shows a full-screen or maximised window and the compositor has stopped
    // asking for its frames for a second (false where windows are not reported). Asked anew
    // at each call; coveredChanged tells the changes seen on events.
    bool Covered() const;
    // Frames drawn so far, over all outputs (for benchmarks and tests).
    std::uint64_t FramesDrawn() const { return m_framesDrawn; }

signals:
    // An output came, went or changed: Union() may differ.
    void outputsChanged();
    void coveredChanged(bool covered);
    // The connection to the compositor broke (it ended or refused a request).
    void lost(const QString& why);

public:
    // Protocol state, in the source file; public only for its listeners.
    struct Output;
    struct Toplevel;

private:
    bool eventFilter(QObject* watched, QEvent* event) override;

    void Watch(QObject* object);
    void ReadEvents();
    void Flush();
    void CheckConnection();
    void AddOutput(std::uint32_t name, std::uint32_t version);
    void RemoveOutput(std::uint32_t name);
    void LearnLayout(Output& output);
    void ReleaseOutput(Output& output);
    void MakeSurface(Output& output);
    void DropSurface(Output& output);
    void ViewChanged();
    void DrawWhereAsked();
    void Draw(Output& output);
    void UpdateCovered();

    friend struct WaylandLayerShellListeners;

    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    wl_compositor* m_compositor = nullptr;
    wl_shm* m_shm = nullptr;
    zwlr_layer_shell_v1* m_layerShell = nullptr;
    zwlr_foreign_toplevel_manager_v1* m_toplevels = nullptr;
    zxdg_output_manager_v1* m_xdgOutputs = nullptr;
    std::vector<std::unique_ptr<Output>> m_outputs;
    std::vector<std::unique_ptr<Toplevel>> m_windows;
    QSocketNotifier* m_notifier = nullptr;
    QSocketNotifier* m_writable = nullptr;
    QPointer<QWidget> m_view;
    bool m_overIcons = false;
    bool m_bottomLayer = false;
    bool m_surfacesBottom = false; // the layer of the surfaces shown now
    bool m_covered = false;        // as told last
    bool m_drawing = false;        // the view paints into a buffer: its paint events are ours
    bool m_drawQueued = false;     // a draw of the changed view is on its way
    bool m_lost = false;
    std::uint64_t m_framesDrawn = 0;
};

// Whether sway, by its answer to "swaymsg -t get_version" (JSON with "major" and "minor"), draws
// the oldest surface of a layer on top: versions before 1.8 do. False for anything unreadable.
bool SwayDrawsOldestLayerSurfaceOnTop(const std::string& versionReply);

} // namespace ondrix
