#pragma once

// What the layer's tests share: their movie and a picture backend that records what it is given.
#include "platform/DesktopWallpaper.h"
#include "swf/SwfWriter.h"

#include <string>

namespace ondrix::test {

// The movie: a blue stage with a big red rectangle in its middle, 400x300 at 12 fps.
inline constexpr swf::Rgba kStage{0x10, 0x60, 0xC0, 255};
inline constexpr swf::Rgba kShape{0xE0, 0x20, 0x30, 255};

inline std::string MovieBytes()
{
    swf::Movie movie;
    movie.width = 400;
    movie.height = 300;
    movie.frameRate = 12;
    movie.background = kStage;
    movie.shapes.push_back({swf::Shape::Kind::Rectangle, 200, 150, kShape});
    movie.frames = {{{200, 150, 1, 0}}, {{200, 150, 1, 0}}};
    return swf::WriteMovie(movie);
}

class FakeDesktopWallpaper final : public DesktopWallpaper
{
public:
    Values Read() override { return written; }
    void Write(const Values& values) override
    {
        written = values;
        ++writes;
    }
    std::string Name() const override { return "fake"; }

    Values written;
    int writes = 0;
};

} // namespace ondrix::test
