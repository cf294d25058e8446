#include "DisplayText.h"

namespace ondrix {

namespace {

bool IsContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The byte offset after the first count characters of text, or text.size().
std::size_t AfterCharacters(std::string_view text, std::size_t count)
{
    std::size_t i = 0;
    for (std::size_t seen = 0; i < text.size() && seen < count; ++seen) {
        ++i;
        while (i < text.size() && IsContinuation(text[i]))
            ++i;
    }
    return i;
}

// The byte offset where the last count characters of text begin, or 0.
std::size_t BeforeLastCharacters(std::string_view text, std::size_t count)
{
    std::size_t i = text.size();
    for (std::size_t seen = 0; i > 0 && seen < count; ++seen) {
        --i;
        while (i > 0 && IsContinuation(text[i]))
            --i;
    }
    return i;
}

} // namespace

std::string ShortenForDisplay(std::string_view text, std::size_t keep)
{
    const std::size_t head = AfterCharacters(text, keep);
    const std::size_t tail = BeforeLastCharacters(text, keep);
    // Only a cut that drops at least two characters makes the text shorter.
    if (tail <= head || AfterCharacters(text.substr(head), 1) >= tail - head)
        return std::string(text);
    std::string result;
    result.reserve(head + (text.size() - tail) + 3);
    result.append(text.substr(0, head));
    result.append("\xE2\x80\xA6");
    result.append(text.substr(tail));
    return result;
}

} // namespace ondrix
