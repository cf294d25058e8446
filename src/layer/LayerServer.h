#pragma once

#include "LayerProtocol.h"
#include "platform/DesktopWallpaper.h"
#include "platform/ScreenInfo.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QLocalSocket;

namespace ondrix {

class WebEngineActiveDesktop;

// The layer program's side of the protocol (LayerProtocol.h): it takes Ondrix's requests from
// the socket, drives the layer and reports back. A line it cannot take, or the end of the
// socket, ends it: ended() is emitted and the program quits.
class LayerServer final : public QObject
{
    Q_OBJECT
public:
    // socket: connected to Ondrix; the server owns it from now on.
    explicit LayerServer(QLocalSocket* socket, QObject* parent = nullptr);
    ~LayerServer() override;

    // The layer the requests go to; its signals are reported from now on.
    void Serve(WebEngineActiveDesktop& layer);
    // "ready 0 <route>": the program takes requests.
    void SayReady(const std::string& route);

    // The picture backend the still-picture layer writes to: its picture goes to Ondrix, which
    // sets it through the desktop's own backend.
    DesktopWallpaper& Pictures() { return m_pictures; }
    // The desktop's size as Ondrix gave it last (nothing before).
    DesktopSize Size() const { return m_size; }

signals:
    // The socket ended or Ondrix broke the protocol: the program has nothing more to do.
    void ended();

private:
    class StillPictures final : public DesktopWallpaper
    {
    public:
        explicit StillPictures(LayerServer& server) : m_server(server) {}
        Values Read() override { return m_values; }
        void Write(const Values& values) override;
        std::string Name() const override { return "layer"; }

    private:
        LayerServer& m_server;
        Values m_values;
    };

    void Read();
    void Handle(const LayerMessage& request);
    void Send(LayerVerb verb, std::uint32_t id, const std::string& argument = {});
    void End(const std::string& why);

    QLocalSocket* m_socket;
    LayerLineReader m_reader;
    WebEngineActiveDesktop* m_layer = nullptr;
    StillPictures m_pictures{*this};
    DesktopSize m_size;
    std::uint32_t m_shownBy = 0; // the show request of the page shown now
    bool m_ended = false;
};

} // namespace ondrix
