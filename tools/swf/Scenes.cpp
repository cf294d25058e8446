#include "Scenes.h"

#include <cmath>
#include <stdexcept>

namespace ondrix::swf {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kWidth = 1600;
constexpr int kHeight = 900;
constexpr int kFps = 30;
constexpr int kFrames = 600; // twenty seconds

Movie Stage(Rgba background)
{
    Movie movie;
    movie.width = kWidth;
    movie.height = kHeight;
    movie.frameRate = kFps;
    movie.background = background;
    return movie;
}

// Point k of a low-discrepancy sequence in the unit square, so that scattered things
// neither cluster nor line up.
double ScatterX(int k)
{
    return std::fmod(0.5 + 0.7548776662466927 * k, 1.0);
}
double ScatterY(int k)
{
    return std::fmod(0.5 + 0.5698402909980532 * k, 1.0);
}

// The phase of frame f in a loop of whole cycles: 0 to 2 pi times cycles.
double Phase(int f, int cycles)
{
    return 2 * kPi * cycles * f / kFrames;
}

template <typename Place> void Animate(Movie& movie, Place&& place)
{
    movie.frames.assign(kFrames, std::vector<Placement>(movie.shapes.size()));
    for (int f = 0; f < kFrames; ++f)
        for (std::size_t i = 0; i < movie.shapes.size(); ++i)
            movie.frames[f][i] = place(f, static_cast<int>(i));
}

// Large soft veils of colour drifting over a night-blue sky.
Movie Aurora()
{
    Movie movie = Stage({11, 23, 48, 255});
    const Rgba colours[] = {{46, 196, 182, 70}, {123, 92, 214, 64},  {232, 106, 146, 52},
                            {78, 168, 222, 66}, {144, 224, 170, 48}, {104, 72, 190, 58}};
    for (const Rgba& colour : colours)
        movie.shapes.push_back({Shape::Kind::Ellipse, 900, 420, colour});
    Animate(movie, [](int f, int i) {
        const double a = Phase(f, 1 + i % 2) + i * 1.1;
        const double b = Phase(f, 1 + (i + 1) % 3) + i * 0.7;
        Placement p;
        p.x = kWidth / 2.0 + 420 * std::sin(a);
        p.y = kHeight / 2.0 + 200 * std::cos(b);
        p.scale = 1 + 0.18 * std::sin(Phase(f, 2) + i);
        p.rotation = 12 * std::sin(Phase(f, 1) + i * 0.9) + i * 30;
        return p;
    });
    return movie;
}

// Warm lanterns rising slowly through a dusk sky, swaying as they go.
Movie Lanterns()
{
    Movie movie = Stage({30, 21, 48, 255});
    movie.shapes.push_back({Shape::Kind::Ellipse, 2400, 700, {90, 44, 84, 120}}); // the glow of the horizon
    const Rgba colours[] = {{255, 179, 71, 210}, {255, 127, 80, 200}, {255, 209, 102, 220}};
    for (int i = 0; i < 14; ++i) {
        const double size = 26 + (i * 37) % 34;
        movie.shapes.push_back({Shape::Kind::Ellipse, size, size * 1.25, colours[i % 3]});
    }
    Animate(movie, [](int f, int i) {
        Placement p;
        if (i == 0) {
            p.x = kWidth / 2.0;
            p.y = kHeight + 120 + 25 * std::sin(Phase(f, 1));
            return p;
        }
        const int k = i - 1;
        const double travel = kHeight + 200;
        const int laps = 1 + k % 2; // rises one or two times per loop
        const double start = ScatterY(k) * travel;
        const double y = std::fmod(start + travel * laps * f / kFrames, travel);
        p.y = kHeight + 100 - y;
        p.x = 80 + ScatterX(k) * (kWidth - 160) + 30 * std::sin(Phase(f, 3) + k);
        p.rotation = 6 * std::sin(Phase(f, 3) + k);
        return p;
    });
    return movie;
}

// Squares of sea colours turning slowly in the tide.
Movie Tide()
{
    Movie movie = Stage({14, 59, 67, 255});
    const Rgba colours[] = {{63, 167, 150, 90},  {143, 214, 148, 70}, {242, 232, 207, 46},
                            {38, 120, 130, 110}, {110, 190, 170, 60}, {242, 232, 207, 36},
                            {63, 167, 150, 60},  {143, 214, 148, 50}};
    for (int i = 0; i < 8; ++i)
        movie.shapes.push_back({Shape::Kind::Rectangle, 220.0 + 40 * i, 220.0 + 40 * i, colours[i]});
    Animate(movie, [](int f, int i) {
        Placement p;
        p.x = 200 + i * 170 + 60 * std::sin(Phase(f, 1) + i * 0.8);
        p.y = kHeight / 2.0 + 180 * std::sin(Phase(f, 2) * 0.5 + i * 0.6);
        p.rotation = (i % 2 == 0 ? 1 : -1) * 360.0 * f / kFrames + i * 11;
        p.scale = 1 + 0.1 * std::sin(Phase(f, 2) + i);
        return p;
    });
    return movie;
}

// Stars twinkling over a dark night.
Movie Starlight()
{
    Movie movie = Stage({10, 10, 26, 255});
    for (int i = 0; i < 90; ++i) {
        const std::uint8_t warm = static_cast<std::uint8_t>(200 + (i * 13) % 55);
        const double size = 3 + (i * 7) % 5;
        movie.shapes.push_back({Shape::Kind::Rectangle, size, size, {warm, warm, 255, 230}});
    }
    Animate(movie, [](int f, int i) {
        Placement p;
        p.x = 20 + ScatterX(i) * (kWidth - 40);
        p.y = 20 + ScatterY(i) * (kHeight - 40);
        p.scale = 0.6 + 0.5 * (1 + std::sin(Phase(f, 1 + i % 4) + i * 2.3));
        p.rotation = 45;
        return p;
    });
    return movie;
}

} // namespace

std::vector<std::string> SceneNames()
{
    return {"aurora", "lanterns", "tide", "starlight"};
}

Movie Scene(const std::string& name)
{
    if (name == "aurora")
        return Aurora();
    if (name == "lanterns")
        return Lanterns();
    if (name == "tide")
        return Tide();
    if (name == "starlight")
        return Starlight();
    throw std::invalid_argument("unknown scene \"" + name + "\"");
}

} // namespace ondrix::swf
