#include "LayerProtocol.h"

#include "core/EscapedText.h"

#include <array>
#include <charconv>
#include <utility>

namespace ondrix {

namespace {

enum class Argument
{
    None,
    Required,
};

struct VerbInfo
{
    LayerVerb verb;
    std::string_view name;
    bool request;
    Argument argument;
};

constexpr std::array<VerbInfo, 12> kVerbs{{
    {LayerVerb::Show, "show", true, Argument::Required},
    {LayerVerb::Off, "off", true, Argument::None},
    {LayerVerb::Options, "options", true, Argument::Required},
    {LayerVerb::Size, "size", true, Argument::Required},
    {LayerVerb::Ping, "ping", true, Argument::None},
    {LayerVerb::Ready, "ready", false, Argument::Required},
    {LayerVerb::Ok, "ok", false, Argument::None},
    {LayerVerb::Error, "error", false, Argument::Required},
    {LayerVerb::Frame, "frame", false, Argument::None},
    {LayerVerb::Still, "still", false, Argument::Required},
    {LayerVerb::Layer, "layer", false, Argument::Required},
    {LayerVerb::Paused, "paused", false, Argument::Required},
}};

const VerbInfo& InfoOf(LayerVerb verb)
{
    for (const VerbInfo& info : kVerbs)
        if (info.verb == verb)
            return info;
    return kVerbs.front();
}

std::optional<std::uint32_t> DecimalOf(std::string_view text)
{
    std::uint32_t value = 0;
    if (text.empty() || text.size() > 10 || (text.size() > 1 && text.front() == '0'))
        return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// What each verb's argument may hold, beyond being there.
bool ArgumentFits(LayerVerb verb, const std::string& argument)
{
    switch (verb) {
    case LayerVerb::Show:
    case LayerVerb::Still:
        return argument.front() == '/' && argument.find('\0') == std::string::npos;
    case LayerVerb::Options:
        return DecodeLayerOptions(argument).has_value();
    case LayerVerb::Size:
        return DecodeLayerSize(argument).has_value();
    case LayerVerb::Ready:
        return argument == "live" || argument == "still" || argument == "offscreen";
    case LayerVerb::Layer:
        return argument == "live" || argument == "still";
    case LayerVerb::Paused:
        return argument == "0" || argument == "1";
    default:
        return true;
    }
}

} // namespace

bool IsLayerRequest(LayerVerb verb)
{
    return InfoOf(verb).request;
}

std::string_view LayerVerbName(LayerVerb verb)
{
    return InfoOf(verb).name;
}

std::string EncodeLayerMessage(const LayerMessage& message)
{
    std::string line(LayerVerbName(message.verb));
    line += ' ';
    line += std::to_string(message.id);
    if (!message.argument.empty()) {
        line += ' ';
        line += EscapeText(message.argument);
    }
    line += '\n';
    return line;
}

DecodedLayerMessage DecodeLayerMessage(std::string_view line)
{
    DecodedLayerMessage decoded;
    const auto fail = [&decoded](std::string reason) {
        decoded.error = std::move(reason);
        return decoded;
    };
    const std::size_t verbEnd = line.find(' ');
    if (verbEnd == std::string_view::npos)
        return fail("no request id");
    const std::string_view name = line.substr(0, verbEnd);
    const VerbInfo* info = nullptr;
    for (const VerbInfo& candidate : kVerbs)
        if (candidate.name == name)
            info = &candidate;
    if (info == nullptr)
        return fail("unknown verb");
    const std::string_view rest = line.substr(verbEnd + 1);
    const std::size_t idEnd = rest.find(' ');
    const auto id = DecimalOf(rest.substr(0, idEnd));
    if (!id || (info->request && *id == 0))
        return fail("bad request id");
    LayerMessage message{info->verb, *id, {}};
    if (idEnd != std::string_view::npos) {
        if (info->argument == Argument::None)
            return fail("an argument where the verb has none");
        auto argument = UnescapeText(rest.substr(idEnd + 1));
        if (!argument || argument->empty())
            return fail("a broken argument");
        message.argument = std::move(*argument);
    } else if (info->argument == Argument::Required) {
        return fail("a missing argument");
    }
    if (!message.argument.empty() && !ArgumentFits(message.verb, message.argument))
        return fail("an argument the verb cannot take");
    decoded.message = std::move(message);
    return decoded;
}

std::string EncodeLayerOptions(const LayerOptions& options)
{
    const auto flag = [](bool on) { return on ? "1" : "0"; };
    return std::string("sound=") + flag(options.sound) + ",pause-covered=" + flag(options.pauseCovered) +
           ",pause-battery=" + flag(options.pauseBattery) + ",over-icons=" + flag(options.overIcons);
}

std::optional<LayerOptions> DecodeLayerOptions(std::string_view text)
{
    LayerOptions options;
    const std::array<std::pair<std::string_view, bool*>, 4> fields{{{"sound", &options.sound},
                                                                    {"pause-covered", &options.pauseCovered},
                                                                    {"pause-battery", &options.pauseBattery},
                                                                    {"over-icons", &options.overIcons}}};
    std::array<bool, fields.size()> seen{};
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        if (comma != std::string_view::npos && text.empty())
            return std::nullopt; // a trailing comma
        const std::size_t equals = item.find('=');
        if (equals == std::string_view::npos)
            return std::nullopt;
        const std::string_view value = item.substr(equals + 1);
        if (value != "0" && value != "1")
            return std::nullopt;
        bool known = false;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (fields[i].first != item.substr(0, equals))
                continue;
            if (std::exchange(seen[i], true))
                return std::nullopt;
            *fields[i].second = value == "1";
            known = true;
        }
        if (!known)
            return std::nullopt;
    }
    return options;
}

std::string EncodeLayerSize(LayerSize size)
{
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

std::optional<LayerSize> DecodeLayerSize(std::string_view text)
{
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos)
        return std::nullopt;
    const auto width = DecimalOf(text.substr(0, x));
    const auto height = DecimalOf(text.substr(x + 1));
    if (!width || !height || *width < 1 || *height < 1 || *width > 65535 || *height > 65535)
        return std::nullopt;
    return LayerSize{static_cast<int>(*width), static_cast<int>(*height)};
}

bool LayerLineReader::Feed(std::string_view bytes)
{
    if (m_broken)
        return false;
    // What was read already goes before the buffer grows.
    if (m_start > 0) {
        m_buffer.erase(0, m_start);
        m_start = 0;
    }
    for (const char c : bytes) {
        m_open = c == '\n' ? 0 : m_open + 1;
        if (m_open >= m_max) {
            m_broken = true;
            m_buffer.clear();
            return false;
        }
    }
    m_buffer.append(bytes);
    return true;
}

std::optional<std::string> LayerLineReader::NextLine()
{
    if (m_broken)
        return std::nullopt;
    const std::size_t end = m_buffer.find('\n', m_start);
    if (end == std::string::npos)
        return std::nullopt;
    std::string line = m_buffer.substr(m_start, end - m_start);
    m_start = end + 1;
    return line;
}

} // namespace ondrix
