#include "SwayOutputs.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace ondrix {

namespace {

constexpr int kMaxDepth = 64;

// A reader of JSON text; every step returns false on text that is not JSON.
class JsonReader
{
public:
    explicit JsonReader(std::string_view text) : m_text(text) {}

    bool AtEnd()
    {
        SkipSpace();
        return m_pos == m_text.size();
    }

    bool Take(char expected)
    {
        SkipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == expected) {
            ++m_pos;
            return true;
        }
        return false;
    }

    char Peek()
    {
        SkipSpace();
        return m_pos < m_text.size() ? m_text[m_pos] : '\0';
    }

    bool String(std::string& out)
    {
        out.clear();
        if (!Take('"'))
            return false;
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_pos >= m_text.size())
                return false;
            const char escaped = m_text[m_pos++];
            switch (escaped) {
            case '"':
            case '\\':
            case '/':
                out += escaped;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                unsigned code = 0;
                if (m_pos + 4 > m_text.size())
                    return false;
                const auto [end, error] =
                    std::from_chars(m_text.data() + m_pos, m_text.data() + m_pos + 4, code, 16);
                if (error != std::errc() || end != m_text.data() + m_pos + 4)
                    return false;
                m_pos += 4;
                AppendUtf8(out, code);
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }

    bool Number(double& out)
    {
        SkipSpace();
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() &&
               (std::isdigit(static_cast<unsigned char>(m_text[m_pos])) != 0 || m_text[m_pos] == '-' ||
                m_text[m_pos] == '+' || m_text[m_pos] == '.' || m_text[m_pos] == 'e' || m_text[m_pos] == 'E'))
            ++m_pos;
        const auto [end, error] = std::from_chars(m_text.data() + start, m_text.data() + m_pos, out);
        return start != m_pos && error == std::errc() && end == m_text.data() + m_pos && std::isfinite(out);
    }

    bool Word(std::string_view word)
    {
        SkipSpace();
        if (m_text.substr(m_pos, word.size()) != word)
            return false;
        m_pos += word.size();
        return true;
    }

    bool Skip(int depth)
    {
        if (depth > kMaxDepth)
            return false;
        std::string ignored;
        double number = 0;
        switch (Peek()) {
        case '"':
            return String(ignored);
        case '{':
            return Members(depth, [&](const std::string&) { return Skip(depth + 1); });
        case '[':
            return Elements(depth, [&] { return Skip(depth + 1); });
        case 't':
            return Word("true");
        case 'f':
            return Word("false");
        case 'n':
            return Word("null");
        default:
            return Number(number);
        }
    }

    // An object; member(key) reads the value of each member.
    template <typename Member> bool Members(int depth, Member member)
    {
        if (depth > kMaxDepth || !Take('{'))
            return false;
        if (Take('}'))
            return true;
        std::string key;
        do {
            if (!String(key) || !Take(':') || !member(key))
                return false;
        } while (Take(','));
        return Take('}');
    }

    // A list; element() reads each element.
    template <typename Element> bool Elements(int depth, Element element)
    {
        if (depth > kMaxDepth || !Take('['))
            return false;
        if (Take(']'))
            return true;
        do {
            if (!element())
                return false;
        } while (Take(','));
        return Take(']');
    }

private:
    void SkipSpace()
    {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' ||
                                         m_text[m_pos] == '\n' || m_text[m_pos] == '\r'))
            ++m_pos;
    }

    static void AppendUtf8(std::string& out, unsigned code)
    {
        // Halves of surrogate pairs stand alone here: an output name does not need them.
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

bool WholeInt(double value, int& out)
{
    if (value != std::floor(value) || value < std::numeric_limits<int>::min() ||
        value > std::numeric_limits<int>::max())
        return false;
    out = static_cast<int>(value);
    return true;
}

} // namespace

std::optional<std::vector<SwayOutput>> ParseSwayOutputs(std::string_view json)
{
    JsonReader reader(json);
    std::vector<SwayOutput> outputs;
    const auto output = [&] {
        SwayOutput read;
        bool named = false;
        bool placed = false;
        const bool ok = reader.Members(1, [&](const std::string& key) {
            if (key == "name" && reader.Peek() == '"')
                return named = reader.String(read.name);
            if (key == "active" && (reader.Peek() == 't' || reader.Peek() == 'f')) {
                read.active = reader.Peek() == 't';
                return reader.Word(read.active ? "true" : "false");
            }
            if (key == "scale" && reader.Peek() != 'n' && reader.Peek() != '"')
                return reader.Number(read.scale);
            if (key == "rect" && reader.Peek() == '{') {
                int seen = 0;
                const bool rectOk = reader.Members(2, [&](const std::string& side) {
                    int* field = side == "x"        ? &read.rect.x
                                 : side == "y"      ? &read.rect.y
                                 : side == "width"  ? &read.rect.width
                                 : side == "height" ? &read.rect.height
                                                    : nullptr;
                    if (field == nullptr)
                        return reader.Skip(3);
                    double value = 0;
                    if (!reader.Number(value) || !WholeInt(value, *field))
                        return false;
                    ++seen;
                    return true;
                });
                placed = rectOk && seen == 4;
                return rectOk;
            }
            return reader.Skip(2);
        });
        if (ok && named && placed)
            outputs.push_back(read);
        return ok;
    };
    if (!reader.Elements(0, output) || !reader.AtEnd())
        return std::nullopt;
    return outputs;
}

} // namespace ondrix
