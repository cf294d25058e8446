#include "LayerServer.h"

#include "WebEngineActiveDesktop.h"

#include <QLocalSocket>

#include <cstdio>
#include <exception>

namespace ondrix {

LayerServer::LayerServer(QLocalSocket* socket, QObject* parent) : QObject(parent), m_socket(socket)
{
    m_socket->setParent(this);
    connect(m_socket, &QLocalSocket::readyRead, this, &LayerServer::Read);
    connect(m_socket, &QLocalSocket::disconnected, this, [this] { End({}); });
}

LayerServer::~LayerServer() = default;

void LayerServer::Serve(WebEngineActiveDesktop& layer)
{
    m_layer = &layer;
    connect(&layer, &WebEngineActiveDesktop::movieStarted, this,
            [this] { Send(LayerVerb::Frame, m_shownBy); });
    connect(&layer, &WebEngineActiveDesktop::layerInUse, this, [this](ThemeLayerKind kind) {
        Send(LayerVerb::Layer, 0, kind == ThemeLayerKind::LiveWindow ? "live" : "still");
    });
    connect(&layer, &WebEngineActiveDesktop::pausedChanged, this,
            [this](bool paused) { Send(LayerVerb::Paused, 0, paused ? "1" : "0"); });
    connect(&layer, &WebEngineActiveDesktop::failed, this,
            [this](const QString& message) { Send(LayerVerb::Error, 0, message.toStdString()); });
    // Requests that came before the layer was made.
    Read();
}

void LayerServer::SayReady(const std::string& route)
{
    Send(LayerVerb::Ready, 0, route);
}

void LayerServer::StillPictures::Write(const Values& values)
{
    m_values = values;
    m_server.Send(LayerVerb::Still, m_server.m_shownBy, values.wallpaper);
}

void LayerServer::Read()
{
    if (m_layer == nullptr || m_ended)
        return;
    if (!m_reader.Feed(m_socket->readAll().toStdString())) {
        End("a request line longer than the protocol allows");
        return;
    }
    while (auto line = m_reader.NextLine()) {
        const DecodedLayerMessage decoded = DecodeLayerMessage(*line);
        if (!decoded.message || !IsLayerRequest(decoded.message->verb)) {
            End(decoded.message ? "a message that is no request" : decoded.error);
            return;
        }
        Handle(*decoded.message);
        if (m_ended)
            return;
    }
}

void LayerServer::Handle(const LayerMessage& request)
{
    try {
        switch (request.verb) {
        case LayerVerb::Show:
            m_shownBy = request.id;
            m_layer->ShowStartPage(request.argument);
            break;
        case LayerVerb::Off:
            m_layer->SwitchOff();
            break;
        case LayerVerb::Options: {
            const LayerOptions options = DecodeLayerOptions(request.argument).value_or(LayerOptions{});
            m_layer->SetSound(options.sound);
            m_layer->SetPauseWhenCovered(options.pauseCovered);
            m_layer->SetPauseOnBattery(options.pauseBattery);
            m_layer->SetOverIcons(options.overIcons);
            break;
        }
        case LayerVerb::Size: {
            const LayerSize size = DecodeLayerSize(request.argument).value_or(LayerSize{});
            m_size = DesktopSize{size.width, size.height};
            m_layer->SetDesktopSize(m_size);
            break;
        }
        default:
            break; // ping: the answer is all
        }
        Send(LayerVerb::Ok, request.id);
    } catch (const std::exception& error) {
        Send(LayerVerb::Error, request.id, error.what());
    }
}

void LayerServer::Send(LayerVerb verb, std::uint32_t id, const std::string& argument)
{
    if (m_ended)
        return;
    // An argument must not be empty where the verb takes one; a failure without words still
    // says that it failed.
    const std::string said = argument.empty() && verb == LayerVerb::Error ? std::string("failed") : argument;
    m_socket->write(QByteArray::fromStdString(EncodeLayerMessage({verb, id, said})));
    m_socket->flush();
}

void LayerServer::End(const std::string& why)
{
    if (m_ended)
        return;
    if (!why.empty())
        std::fprintf(stderr, "ondrix-layer: Ondrix broke the protocol (%s); the layer ends.\n", why.c_str());
    m_ended = true;
    emit ended();
}

} // namespace ondrix
