#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ondrix {

// The protocol between Ondrix and its live layer program, ondrix-layer.
//
// Ondrix starts the layer program with one end of a local stream socket as the program's file
// descriptor 3 (the other end stays with Ondrix) and both sides write lines of text on it:
//
//   <verb> <id>[ <argument>]\n
//
// The id is a decimal number below 2^32; a request carries an id of 1 or more and its answer
// the same id, a message of the layer's own carries 0. The argument is the rest of the line
// with "%", the control characters and DEL written as "%XX". A line is at most
// kMaxLayerLineBytes long with its "\n"; a side that reads a longer line, or one it cannot
// decode, ends the connection, and for the layer program that is its end.
//
// Requests, Ondrix to the layer:
//   show <id> <start page>   show the page (a full path) as the desktop; the page shown before
//                            goes. Answered "ok" at once, then "frame" or "still" or "error".
//   off <id>                 the page goes (the program stays until Ondrix ends it)
//   options <id> <options>   "sound=0|1,pause-covered=0|1,pause-battery=0|1,over-icons=0|1"
//   size <id> <W>x<H>        the virtual desktop's size in pixels
//   ping <id>                answered "ok" at once: the program's thread is not stuck
//
// Answers and messages, the layer to Ondrix:
//   ready 0 <route>          once, when the program takes requests: "live", "still", "offscreen"
//   ok <id>                  the request is taken
//   error <id> <message>     the request failed; with id 0 a failure of the program's own
//   frame <id>               the movie of the page of show <id> has its first frame on the screen
//   still <id> <path>        the still picture of the page of show <id> is written as this
//                            picture file; Ondrix sets it as the desktop's picture
//   layer 0 live|still       the layer the last page went to, at the first page and at a change
//   paused 0 0|1             the live movie paused (a covering window, the battery) or goes on
//
// When its socket ends, or its parent goes, the layer program removes its window and ends.

inline constexpr std::size_t kMaxLayerLineBytes = 64 * 1024;
// The file descriptor the layer program finds its socket on.
inline constexpr int kLayerSocketFd = 3;

enum class LayerVerb
{
    // requests
    Show,
    Off,
    Options,
    Size,
    Ping,
    // answers and messages
    Ready,
    Ok,
    Error,
    Frame,
    Still,
    Layer,
    Paused,
};

struct LayerMessage
{
    LayerVerb verb = LayerVerb::Ping;
    std::uint32_t id = 0;
    std::string argument;
    friend bool operator==(const LayerMessage&, const LayerMessage&) = default;
};

// Whether Ondrix sends the verb (a request) or the layer program does.
bool IsLayerRequest(LayerVerb verb);
std::string_view LayerVerbName(LayerVerb verb);

// The line of a message, "\n" included.
std::string EncodeLayerMessage(const LayerMessage& message);

struct DecodedLayerMessage
{
    std::optional<LayerMessage> message;
    std::string error; // why the line is refused, when it is
};
// line: one line without its "\n". Refused: an unknown verb, an id that is not a decimal
// number below 2^32 (or 0 for a request), an argument where the verb has none or none where it
// needs one, a broken "%XX", and an argument the verb cannot take (see the list above).
DecodedLayerMessage DecodeLayerMessage(std::string_view line);

// The options of the live layer.
struct LayerOptions
{
    bool sound = false;
    bool pauseCovered = true;
    bool pauseBattery = false;
    bool overIcons = false; // live over a desktop's own icon window rather than a still picture
    friend bool operator==(const LayerOptions&, const LayerOptions&) = default;
};
std::string EncodeLayerOptions(const LayerOptions& options);
// Every name once at most, each "0" or "1"; a name not given keeps its default.
std::optional<LayerOptions> DecodeLayerOptions(std::string_view text);

struct LayerSize
{
    int width = 0;
    int height = 0;
    friend bool operator==(const LayerSize&, const LayerSize&) = default;
};
std::string EncodeLayerSize(LayerSize size);
// "<W>x<H>", each from 1 to 65535.
std::optional<LayerSize> DecodeLayerSize(std::string_view text);

// Cuts a byte stream into lines. A line longer than the bound puts the reader in a broken state
// for good: the other side does not keep to the protocol.
class LayerLineReader
{
public:
    explicit LayerLineReader(std::size_t maxLineBytes = kMaxLayerLineBytes) : m_max(maxLineBytes) {}

    // Takes bytes as they come; false once the reader is broken.
    bool Feed(std::string_view bytes);
    // The next complete line without its "\n", or nothing.
    std::optional<std::string> NextLine();
    bool Broken() const { return m_broken; }

private:
    std::size_t m_max;
    std::string m_buffer;
    std::size_t m_start = 0; // where the next line begins in the buffer
    std::size_t m_open = 0;  // bytes of the line not ended yet
    bool m_broken = false;
};

} // namespace ondrix
