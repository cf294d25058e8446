#include "WaylandLayerShell.h"

#include "WaylandGlobals.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

#include <QAbstractEventDispatcher>
#include <QChildEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <set>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace ondrix {

namespace {

constexpr int kConnectTimeoutMs = 3000;
// How long an output's frame may go unasked for, under a full-screen window, before it counts
// as covered.
constexpr qint64 kCoveredAfterMs = 1000;

// A shared-memory buffer the size of a surface; busy from its commit to its release.
struct Buffer
{
    wl_buffer* buffer = nullptr;
    void* data = nullptr;
    std::size_t bytes = 0;
    int width = 0;
    int height = 0;
    bool busy = false;

    ~Buffer()
    {
        if (buffer != nullptr)
            wl_buffer_destroy(buffer);
        if (data != nullptr)
            ::munmap(data, bytes);
    }
};

} // namespace

struct WaylandLayerShell::Output
{
    WaylandLayerShell* owner = nullptr;
    std::uint32_t name = 0; // the registry's
    wl_output* output = nullptr;
    std::uint32_t version = 0;
    zxdg_output_v1* logical = nullptr; // where the compositor tells the layout in logical pixels
    QPoint position;                   // in the compositor's layout (wl_output's, which some leave at 0,0)
    std::optional<QPoint> logicalPosition;
    QSize logicalSize;
    QSize mode; // the current mode, in the output's pixels
    int scale = 1;
    int transform = 0;
    // Its layer surface while the view is shown.
    wl_surface* surface = nullptr;
    zwlr_layer_surface_v1* layer = nullptr;
    QSize configured; // the surface's size as the compositor gave it, logical pixels
    bool mapped = false;
    wl_callback* frame = nullptr; // a frame asked for and not yet granted
    QElapsedTimer frameAsked;     // since when
    int closures = 0;             // surfaces the compositor closed while the output stayed
    bool remake = false;          // make the surface again at the output's next "done"
    bool dirty = false;           // the view changed since this surface was drawn
    std::array<std::unique_ptr<Buffer>, 2> buffers;

    // The output's rectangle in the layout, logical pixels.
    QRect Rect() const
    {
        const QPoint at = logicalPosition.value_or(position);
        if (configured.isValid() && !configured.isEmpty())
            return {at, configured};
        if (logicalSize.isValid() && !logicalSize.isEmpty())
            return {at, logicalSize};
        QSize size = mode / std::max(scale, 1);
        if (transform % 2 == 1) // turned a quarter: width and height swap
            size.transpose();
        return {at, size};
    }
};

struct WaylandLayerShell::Toplevel
{
    WaylandLayerShell* owner = nullptr;
    zwlr_foreign_toplevel_handle_v1* handle = nullptr;
    std::set<wl_output*> outputs;
    bool covering = false; // full-screen or maximised and not minimised, as of the last "done"
    bool pendingCovering = false;
};

// The C callbacks of the protocol objects, each handing on to the shell.
struct WaylandLayerShellListeners
{
    using Shell = WaylandLayerShell;

    static void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version)
    {
        auto* shell = static_cast<Shell*>(data);
        const std::string kind = interface != nullptr ? interface : "";
        if (kind == wl_compositor_interface.name && shell->m_compositor == nullptr) {
            shell->m_compositor = static_cast<wl_compositor*>(
                wl_registry_bind(registry, name, &wl_compositor_interface, std::min(version, 4U)));
        } else if (kind == wl_shm_interface.name && shell->m_shm == nullptr) {
            shell->m_shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
        } else if (kind == zwlr_layer_shell_v1_interface.name && shell->m_layerShell == nullptr) {
            shell->m_layerShell = static_cast<zwlr_layer_shell_v1*>(
                wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, 1));
        } else if (kind == zwlr_foreign_toplevel_manager_v1_interface.name && shell->m_toplevels == nullptr) {
            shell->m_toplevels = static_cast<zwlr_foreign_toplevel_manager_v1*>(wl_registry_bind(
                registry, name, &zwlr_foreign_toplevel_manager_v1_interface, std::min(version, 2U)));
            zwlr_foreign_toplevel_manager_v1_add_listener(shell->m_toplevels, &kManager, shell);
        } else if (kind == zxdg_output_manager_v1_interface.name && shell->m_xdgOutputs == nullptr) {
            shell->m_xdgOutputs = static_cast<zxdg_output_manager_v1*>(
                wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, std::min(version, 3U)));
            for (auto& output : shell->m_outputs)
                shell->LearnLayout(*output);
        } else if (kind == wl_output_interface.name) {
            shell->AddOutput(name, version);
        }
    }

    static void GlobalRemove(void* data, wl_registry* /*registry*/, std::uint32_t name)
    {
        static_cast<Shell*>(data)->RemoveOutput(name);
    }

    // wl_output
    static void Geometry(void* data, wl_output* /*output*/, std::int32_t x, std::int32_t y,
                         std::int32_t /*mmWidth*/, std::int32_t /*mmHeight*/, std::int32_t /*subpixel*/,
                         const char* /*make*/, const char* /*model*/, std::int32_t transform)
    {
        auto* output = static_cast<Shell::Output*>(data);
        output->position = QPoint(x, y);
        output->transform = transform;
    }
    static void Mode(void* data, wl_output* /*output*/, std::uint32_t flags, std::int32_t width,
                     std::int32_t height, std::int32_t /*refresh*/)
    {
        if ((flags & WL_OUTPUT_MODE_CURRENT) != 0)
            static_cast<Shell::Output*>(data)->mode = QSize(width, height);
    }
    static void Done(void* data, wl_output* /*output*/)
    {
        auto* output = static_cast<Shell::Output*>(data);
        if (std::exchange(output->remake, false) && output->owner->m_view && output->surface == nullptr)
            output->owner->MakeSurface(*output);
        emit output->owner->outputsChanged();
    }
    static void Scale(void* data, wl_output* /*output*/, std::int32_t factor)
    {
        static_cast<Shell::Output*>(data)->scale = std::max(factor, 1);
    }
    static void Name(void* /*data*/, wl_output* /*output*/, const char* /*name*/) {}
    static void Description(void* /*data*/, wl_output* /*output*/, const char* /*description*/) {}

    // zxdg_output_v1
    static void LogicalPosition(void* data, zxdg_output_v1* /*logical*/, std::int32_t x, std::int32_t y)
    {
        static_cast<Shell::Output*>(data)->logicalPosition = QPoint(x, y);
    }
    static void LogicalSize(void* data, zxdg_output_v1* /*logical*/, std::int32_t width, std::int32_t height)
    {
        static_cast<Shell::Output*>(data)->logicalSize = QSize(width, height);
    }
    static void LogicalDone(void* data, zxdg_output_v1* /*logical*/)
    {
        emit static_cast<Shell::Output*>(data)->owner->outputsChanged();
    }
    static void LogicalName(void*, zxdg_output_v1*, const char*) {}
    static void LogicalDescription(void*, zxdg_output_v1*, const char*) {}

    // zwlr_layer_surface_v1
    static void Configure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
                          std::uint32_t height)
    {
        auto* output = static_cast<Shell::Output*>(data);
        zwlr_layer_surface_v1_ack_configure(layer, serial);
        // An anchored surface of size 0 gets the output's size; a compositor that answers 0
        // (or an absurd size) leaves nothing to draw.
        if (width == 0 || height == 0 || width > 32768 || height > 32768)
            return;
        const QSize size(static_cast<int>(width), static_cast<int>(height));
        const bool resized = size != output->configured;
        output->configured = size;
        output->dirty = true;
        if (resized) {
            output->buffers = {};
            emit output->owner->outputsChanged();
        }
        output->owner->Draw(*output);
    }
    static void Closed(void* data, zwlr_layer_surface_v1* /*layer*/)
    {
        // The compositor took the surface away (its output goes, or is switched off): where the
        // output stays, a new surface comes when the output next changes, a few times at most
        // (a compositor that keeps closing it gets no loop).
        auto* output = static_cast<Shell::Output*>(data);
        output->owner->DropSurface(*output);
        output->remake = ++output->closures <= 3;
        output->owner->UpdateCovered();
    }

    // wl_callback of a frame
    static void FrameDone(void* data, wl_callback* callback, std::uint32_t /*time*/)
    {
        auto* output = static_cast<Shell::Output*>(data);
        wl_callback_destroy(callback);
        output->frame = nullptr;
        output->owner->UpdateCovered(); // a surface drawn again is seen again
        if (output->dirty)
            output->owner->Draw(*output);
    }

    // wl_buffer
    static void Release(void* data, wl_buffer* buffer)
    {
        auto* output = static_cast<Shell::Output*>(data);
        for (auto& held : output->buffers)
            if (held && held->buffer == buffer)
                held->busy = false;
        if (output->dirty && output->frame == nullptr)
            output->owner->Draw(*output);
    }

    // zwlr_foreign_toplevel_manager_v1
    static void NewToplevel(void* data, zwlr_foreign_toplevel_manager_v1* /*manager*/,
                            zwlr_foreign_toplevel_handle_v1* handle)
    {
        auto* shell = static_cast<Shell*>(data);
        auto window = std::make_unique<Shell::Toplevel>();
        window->owner = shell;
        window->handle = handle;
        zwlr_foreign_toplevel_handle_v1_add_listener(handle, &kToplevel, window.get());
        shell->m_windows.push_back(std::move(window));
    }
    static void Finished(void* data, zwlr_foreign_toplevel_manager_v1* manager)
    {
        auto* shell = static_cast<Shell*>(data);
        zwlr_foreign_toplevel_manager_v1_destroy(manager);
        shell->m_toplevels = nullptr;
    }

    // zwlr_foreign_toplevel_handle_v1
    static void Title(void*, zwlr_foreign_toplevel_handle_v1*, const char*) {}
    static void AppId(void*, zwlr_foreign_toplevel_handle_v1*, const char*) {}
    static void OutputEnter(void* data, zwlr_foreign_toplevel_handle_v1* /*handle*/, wl_output* output)
    {
        static_cast<Shell::Toplevel*>(data)->outputs.insert(output);
    }
    static void OutputLeave(void* data, zwlr_foreign_toplevel_handle_v1* /*handle*/, wl_output* output)
    {
        static_cast<Shell::Toplevel*>(data)->outputs.erase(output);
    }
    static void State(void* data, zwlr_foreign_toplevel_handle_v1* /*handle*/, wl_array* states)
    {
        bool large = false;
        bool minimised = false;
        const std::size_t count = states->size / sizeof(std::uint32_t);
        for (std::size_t i = 0; i < count; ++i) {
            std::uint32_t state = 0;
            std::memcpy(&state, static_cast<const char*>(states->data) + i * sizeof state, sizeof state);
            if (state == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_FULLSCREEN ||
                state == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MAXIMIZED)
                large = true;
            else if (state == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MINIMIZED)
                minimised = true;
        }
        static_cast<Shell::Toplevel*>(data)->pendingCovering = large && !minimised;
    }
    static void ToplevelDone(void* data, zwlr_foreign_toplevel_handle_v1* /*handle*/)
    {
        auto* window = static_cast<Shell::Toplevel*>(data);
        window->covering = window->pendingCovering;
        window->owner->UpdateCovered();
    }
    static void ToplevelClosed(void* data, zwlr_foreign_toplevel_handle_v1* handle)
    {
        auto* window = static_cast<Shell::Toplevel*>(data);
        Shell* shell = window->owner;
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
        std::erase_if(shell->m_windows, [window](const auto& held) { return held.get() == window; });
        shell->UpdateCovered();
    }
    static void Parent(void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {}

    static constexpr wl_registry_listener kRegistry{Global, GlobalRemove};
    static constexpr wl_output_listener kOutput{Geometry, Mode, Done, Scale, Name, Description};
    static constexpr zxdg_output_v1_listener kLogical{LogicalPosition, LogicalSize, LogicalDone, LogicalName,
                                                      LogicalDescription};
    static constexpr zwlr_layer_surface_v1_listener kLayer{Configure, Closed};
    static constexpr wl_callback_listener kFrame{FrameDone};
    static constexpr wl_buffer_listener kBuffer{Release};
    static constexpr zwlr_foreign_toplevel_manager_v1_listener kManager{NewToplevel, Finished};
    static constexpr zwlr_foreign_toplevel_handle_v1_listener kToplevel{
        Title, AppId, OutputEnter, OutputLeave, State, ToplevelDone, ToplevelClosed, Parent};
};

WaylandLayerShell::WaylandLayerShell(QObject* parent) : QObject(parent) {}

WaylandLayerShell::~WaylandLayerShell()
{
    if (m_display == nullptr)
        return;
    Hide();
    for (auto& window : m_windows)
        zwlr_foreign_toplevel_handle_v1_destroy(window->handle);
    m_windows.clear();
    for (auto& output : m_outputs)
        ReleaseOutput(*output);
    m_outputs.clear();
    if (m_toplevels != nullptr)
        zwlr_foreign_toplevel_manager_v1_destroy(m_toplevels);
    if (m_xdgOutputs != nullptr)
        zxdg_output_manager_v1_destroy(m_xdgOutputs);
    if (m_layerShell != nullptr)
        zwlr_layer_shell_v1_destroy(m_layerShell);
    if (m_shm != nullptr)
        wl_shm_destroy(m_shm);
    if (m_compositor != nullptr)
        wl_compositor_destroy(m_compositor);
    if (m_registry != nullptr)
        wl_registry_destroy(m_registry);
    delete m_notifier;
    delete m_writable;
    wl_display_flush(m_display);
    wl_display_disconnect(m_display);
}

bool WaylandLayerShell::Connect(std::string& whyNot)
{
    m_display = wl_display_connect(nullptr);
    if (m_display == nullptr) {
        whyNot = "no Wayland compositor answers at WAYLAND_DISPLAY";
        return false;
    }
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &WaylandLayerShellListeners::kRegistry, this);
    // The globals, then the outputs' and the windows' first states.
    if (!WaylandRoundTrip(m_display, kConnectTimeoutMs) || !WaylandRoundTrip(m_display, kConnectTimeoutMs)) {
        whyNot = "the Wayland compositor does not answer";
        return false;
    }
    if (m_compositor == nullptr || m_shm == nullptr || m_layerShell == nullptr) {
        whyNot = "the Wayland compositor announces no layer shell (zwlr_layer_shell_v1)";
        return false;
    }
    m_notifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WaylandLayerShell::ReadEvents);
    // A full socket: the rest of the requests leave once the compositor reads again.
    m_writable = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Write, this);
    m_writable->setEnabled(false);
    connect(m_writable, &QSocketNotifier::activated, this, &WaylandLayerShell::Flush);
    // Requests made while Qt's events were handled leave before the program waits.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &WaylandLayerShell::Flush);
    UpdateCovered();
    return true;
}

void WaylandLayerShell::ReadEvents()
{
    if (m_lost)
        return;
    if (wl_display_prepare_read(m_display) == 0) {
        if (wl_display_read_events(m_display) < 0) {
            CheckConnection();
            return;
        }
    }
    wl_display_dispatch_pending(m_display);
    CheckConnection();
    Flush();
}

// Sends the requests made so far; events are handled in ReadEvents only, never inside a caller.
void WaylandLayerShell::Flush()
{
    if (m_lost || m_notifier == nullptr)
        return;
    const bool sent = wl_display_flush(m_display) >= 0;
    m_writable->setEnabled(!sent && errno == EAGAIN);
    if (!sent && errno != EAGAIN)
        CheckConnection();
}

void WaylandLayerShell::CheckConnection()
{
    const int error = m_display != nullptr ? wl_display_get_error(m_display) : 0;
    if (error == 0 || std::exchange(m_lost, true))
        return;
    if (m_notifier != nullptr)
        m_notifier->setEnabled(false);
    if (m_writable != nullptr)
        m_writable->setEnabled(false);
    emit lost(QStringLiteral("The connection to the Wayland compositor ended (%1).")
                  .arg(QString::fromLocal8Bit(std::strerror(error))));
}

void WaylandLayerShell::AddOutput(std::uint32_t name, std::uint32_t version)
{
    auto output = std::make_unique<Output>();
    output->owner = this;
    output->name = name;
    output->version = std::min(version, 4U);
    output->output =
        static_cast<wl_output*>(wl_registry_bind(m_registry, name, &wl_output_interface, output->version));
    wl_output_add_listener(output->output, &WaylandLayerShellListeners::kOutput, output.get());
    Output& added = *output;
    m_outputs.push_back(std::move(output));
    LearnLayout(added);
    if (m_view)
        MakeSurface(added);
}

void WaylandLayerShell::LearnLayout(Output& output)
{
    if (m_xdgOutputs == nullptr || output.logical != nullptr)
        return;
    output.logical = zxdg_output_manager_v1_get_xdg_output(m_xdgOutputs, output.output);
    zxdg_output_v1_add_listener(output.logical, &WaylandLayerShellListeners::kLogical, &output);
}

void WaylandLayerShell::ReleaseOutput(Output& output)
{
    DropSurface(output);
    if (output.logical != nullptr)
        zxdg_output_v1_destroy(output.logical);
    output.logical = nullptr;
    if (output.version >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release(output.output);
    else
        wl_output_destroy(output.output);
}

void WaylandLayerShell::RemoveOutput(std::uint32_t name)
{
    const auto found = std::find_if(m_outputs.begin(), m_outputs.end(),
                                    [name](const auto& output) { return output->name == name; });
    if (found == m_outputs.end())
        return;
    Output& output = **found;
    for (auto& window : m_windows)
        window->outputs.erase(output.output);
    ReleaseOutput(output);
    m_outputs.erase(found);
    emit outputsChanged();
    UpdateCovered();
}

void WaylandLayerShell::Show(QWidget* view, bool overIcons)
{
    if (m_display == nullptr || m_lost)
        return;
    // Another layer needs new surfaces; another view (a new page of the theme) keeps them.
    if (m_overIcons != overIcons || m_surfacesBottom != m_bottomLayer)
        Hide();
    if (m_view && m_view != view)
        m_view->removeEventFilter(this);
    m_surfacesBottom = m_bottomLayer;
    m_view = view;
    m_overIcons = overIcons;
    Watch(view);
    for (auto& output : m_outputs)
        if (output->surface == nullptr)
            MakeSurface(*output);
    Flush();
}

void WaylandLayerShell::Hide()
{
    if (m_view)
        m_view->removeEventFilter(this);
    m_view = nullptr;
    for (auto& output : m_outputs)
        DropSurface(*output);
    Flush();
}

QRect WaylandLayerShell::Union() const
{
    QRect all;
    for (const auto& output : m_outputs)
        all = all.united(output->Rect());
    return all;
}

void WaylandLayerShell::MakeSurface(Output& output)
{
    if (m_lost)
        return;
    output.surface = wl_compositor_create_surface(m_compositor);
    // No input region: clicks and the pointer go to the desktop below.
    wl_region* nothing = wl_compositor_create_region(m_compositor);
    wl_surface_set_input_region(output.surface, nothing);
    wl_region_destroy(nothing);
    const std::uint32_t layer = m_overIcons || m_bottomLayer ? ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM
                                                             : ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND;
    output.layer =
        zwlr_layer_shell_v1_get_layer_surface(m_layerShell, output.surface, output.output, layer, "desktop");
    zwlr_layer_surface_v1_add_listener(output.layer, &WaylandLayerShellListeners::kLayer, &output);
    zwlr_layer_surface_v1_set_anchor(
        output.layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                          ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(output.layer, 0, 0);
    zwlr_layer_surface_v1_set_exclusive_zone(output.layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(output.layer,
                                                     ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    // The first commit, without a buffer, asks for the surface's size.
    wl_surface_commit(output.surface);
}

void WaylandLayerShell::DropSurface(Output& output)
{
    if (output.frame != nullptr)
        wl_callback_destroy(output.frame);
    output.frame = nullptr;
    if (output.layer != nullptr)
        zwlr_layer_surface_v1_destroy(output.layer);
    output.layer = nullptr;
    if (output.surface != nullptr)
        wl_surface_destroy(output.surface);
    output.surface = nullptr;
    output.buffers = {};
    output.mapped = false;
    output.dirty = false;
}

// The view and every widget in it (the web view draws in a child it makes when a page comes).
void WaylandLayerShell::Watch(QObject* object)
{
    object->installEventFilter(this);
    for (QObject* child : object->children())
        if (child->isWidgetType())
            Watch(child);
}

bool WaylandLayerShell::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ChildAdded) {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (child != nullptr && child->isWidgetType() && m_view)
            Watch(child);
    } else if (event->type() == QEvent::Paint && !m_drawing && m_view) {
        ViewChanged();
    }
    return QObject::eventFilter(watched, event);
}

// The view repaints: once its painting is done, every output is drawn where its compositor
// asks for a frame.
void WaylandLayerShell::ViewChanged()
{
    for (auto& output : m_outputs)
        output->dirty = true;
    if (std::exchange(m_drawQueued, true))
        return;
    QMetaObject::invokeMethod(this, &WaylandLayerShell::DrawWhereAsked, Qt::QueuedConnection);
}

void WaylandLayerShell::DrawWhereAsked()
{
    m_drawQueued = false;
    for (auto& output : m_outputs)
        if (output->dirty)
            Draw(*output);
    Flush();
}

void WaylandLayerShell::Draw(Output& output)
{
    if (m_lost || !m_view || output.surface == nullptr || output.configured.isEmpty() ||
        output.frame != nullptr)
        return;
    const QSize size = output.configured;
    Buffer* free = nullptr;
    for (auto& held : output.buffers) {
        if (!held) {
            // A new buffer of the surface's size, in memory shared with the compositor.
            const int stride = size.width() * 4;
            const std::size_t bytes =
                static_cast<std::size_t>(stride) * static_cast<std::size_t>(size.height());
            const int fd = ::memfd_create("ondrix-layer", MFD_CLOEXEC);
            if (fd < 0)
                return;
            void* data = ::ftruncate(fd, static_cast<off_t>(bytes)) == 0
                             ? ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                             : MAP_FAILED;
            if (data == MAP_FAILED) {
                ::close(fd);
                return;
            }
            held = std::make_unique<Buffer>();
            held->data = data;
            held->bytes = bytes;
            held->width = size.width();
            held->height = size.height();
            wl_shm_pool* pool = wl_shm_create_pool(m_shm, fd, static_cast<std::int32_t>(bytes));
            held->buffer = wl_shm_pool_create_buffer(pool, 0, size.width(), size.height(), stride,
                                                     WL_SHM_FORMAT_XRGB8888);
            wl_shm_pool_destroy(pool);
            ::close(fd);
            wl_buffer_add_listener(held->buffer, &WaylandLayerShellListeners::kBuffer, &output);
        }
        if (!held->busy) {
            free = held.get();
            break;
        }
    }
    if (free == nullptr)
        return; // both with the compositor: the next release draws

    QImage image(static_cast<uchar*>(free->data), free->width, free->height, free->width * 4,
                 QImage::Format_RGB32);
    // This output's part of the view, which spans the union of the outputs.
    const QRect part(output.Rect().topLeft() - Union().topLeft(), size);
    if (!m_view->rect().contains(part))
        image.fill(Qt::black);
    m_drawing = true;
    m_view->render(&image, QPoint(), QRegion(part), QWidget::DrawChildren);
    m_drawing = false;

    wl_surface_attach(output.surface, free->buffer, 0, 0);
    wl_surface_damage(output.surface, 0, 0, size.width(), size.height());
    wl_region* opaque = wl_compositor_create_region(m_compositor);
    wl_region_add(opaque, 0, 0, size.width(), size.height());
    wl_surface_set_opaque_region(output.surface, opaque);
    wl_region_destroy(opaque);
    output.frame = wl_surface_frame(output.surface);
    output.frameAsked.start();
    wl_callback_add_listener(output.frame, &WaylandLayerShellListeners::kFrame, &output);
    wl_surface_commit(output.surface);
    free->busy = true;
    output.dirty = false;
    output.mapped = true;
    ++m_framesDrawn;
}

bool WaylandLayerShell::Covered() const
{
    // A window the compositor reports as full screen or maximised on an output may be on a
    // workspace not shown; the output counts as covered once the compositor has also stopped
    // asking for its frames.
    bool shown = false;
    for (const auto& output : m_outputs) {
        if (output->surface == nullptr)
            continue;
        shown = true;
        const bool waiting = output->frame != nullptr && output->frameAsked.isValid() &&
                             output->frameAsked.elapsed() >= kCoveredAfterMs;
        const bool window = std::any_of(m_windows.begin(), m_windows.end(), [&output](const auto& held) {
            return held->covering && held->outputs.contains(output->output);
        });
        if (!waiting || !window)
            return false;
    }
    return shown;
}

void WaylandLayerShell::UpdateCovered()
{
    const bool covered = Covered();
    if (std::exchange(m_covered, covered) != covered)
        emit coveredChanged(covered);
}

bool SwayDrawsOldestLayerSurfaceOnTop(const std::string& versionReply)
{
    QJsonParseError error{};
    const QJsonDocument reply = QJsonDocument::fromJson(QByteArray::fromStdString(versionReply), &error);
    if (error.error != QJsonParseError::NoError || !reply.isObject())
        return false;
    const QJsonValue major = reply.object().value(QStringLiteral("major"));
    const QJsonValue minor = reply.object().value(QStringLiteral("minor"));
    if (!major.isDouble() || !minor.isDouble())
        return false;
    return major.toInt() < 1 || (major.toInt() == 1 && minor.toInt() < 8);
}

} // namespace ondrix
