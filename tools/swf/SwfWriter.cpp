#include "SwfWriter.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace ondrix::swf {

namespace {

constexpr double kTwipsPerPixel = 20;
constexpr double kPi = 3.14159265358979323846;

std::int32_t Twips(double pixels)
{
    return static_cast<std::int32_t>(std::lrint(pixels * kTwipsPerPixel));
}

void Append16(std::string& out, std::uint32_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Append32(std::string& out, std::uint32_t value)
{
    Append16(out, value & 0xFFFF);
    Append16(out, value >> 16);
}

void AppendColour(std::string& out, const Rgba& colour, bool alpha)
{
    out += static_cast<char>(colour.r);
    out += static_cast<char>(colour.g);
    out += static_cast<char>(colour.b);
    if (alpha)
        out += static_cast<char>(colour.a);
}

// The edges of a shape as a pen path in twips, relative to its centre.
struct Edge
{
    bool curved;
    std::int32_t controlX, controlY, anchorX, anchorY; // deltas; control unused when straight
};

std::vector<Edge> OutlineOf(const Shape& shape, std::int32_t& startX, std::int32_t& startY)
{
    const std::int32_t w = Twips(shape.width);
    const std::int32_t h = Twips(shape.height);
    std::vector<Edge> edges;
    if (shape.kind == Shape::Kind::Rectangle) {
        startX = -w / 2;
        startY = -h / 2;
        edges = {{false, 0, 0, w, 0}, {false, 0, 0, 0, h}, {false, 0, 0, -w, 0}, {false, 0, 0, 0, -h}};
        return edges;
    }
    // Eight quadratic curves around the ellipse; the control points lie on the tangents.
    const double rx = w / 2.0;
    const double ry = h / 2.0;
    const int segments = 8;
    const double step = 2 * kPi / segments;
    const double controlRadius = 1 / std::cos(step / 2);
    auto point = [&](double angle, double radius) {
        return std::pair<std::int32_t, std::int32_t>{
            static_cast<std::int32_t>(std::lrint(rx * radius * std::cos(angle))),
            static_cast<std::int32_t>(std::lrint(ry * radius * std::sin(angle)))};
    };
    auto [x, y] = point(0, 1);
    startX = x;
    startY = y;
    for (int i = 0; i < segments; ++i) {
        const auto [cx, cy] = point(step * (i + 0.5), controlRadius);
        const auto [ax, ay] = point(step * (i + 1), 1);
        edges.push_back({true, cx - x, cy - y, ax - cx, ay - cy});
        x = ax;
        y = ay;
    }
    // The last anchor lands on the start again; rounding must not leave a gap.
    return edges;
}

std::string DefineShape(std::uint16_t id, const Shape& shape)
{
    const bool alpha = shape.fill.a != 255;
    std::string body;
    Append16(body, id);
    const std::int32_t w = Twips(shape.width);
    const std::int32_t h = Twips(shape.height);
    body += Rect(-w / 2 - 20, w / 2 + 20, -h / 2 - 20, h / 2 + 20);
    body += static_cast<char>(1); // one fill style
    body += static_cast<char>(0); // solid
    AppendColour(body, shape.fill, alpha);
    body += static_cast<char>(0); // no line styles

    BitWriter bits;
    bits.Unsigned(1, 4); // fill style bits
    bits.Unsigned(0, 4); // line style bits
    std::int32_t startX = 0;
    std::int32_t startY = 0;
    const std::vector<Edge> edges = OutlineOf(shape, startX, startY);
    // Style change: move to the start and take fill style 1.
    bits.Unsigned(0, 1);
    bits.Unsigned(0b00101, 5); // new styles 0, line 0, fill 1 yes, fill 0 no, move yes
    const int moveBits = SignedBits({startX, startY});
    bits.Unsigned(static_cast<std::uint32_t>(moveBits), 5);
    bits.Signed(startX, moveBits);
    bits.Signed(startY, moveBits);
    bits.Unsigned(1, 1);
    for (const Edge& edge : edges) {
        bits.Unsigned(1, 1); // edge
        if (edge.curved) {
            const int n = std::max(2, SignedBits({edge.controlX, edge.controlY, edge.anchorX, edge.anchorY}));
            bits.Unsigned(0, 1);
            bits.Unsigned(static_cast<std::uint32_t>(n - 2), 4);
            bits.Signed(edge.controlX, n);
            bits.Signed(edge.controlY, n);
            bits.Signed(edge.anchorX, n);
            bits.Signed(edge.anchorY, n);
        } else {
            const int n = std::max(2, SignedBits({edge.anchorX, edge.anchorY}));
            bits.Unsigned(1, 1);
            bits.Unsigned(static_cast<std::uint32_t>(n - 2), 4);
            bits.Unsigned(1, 1); // general line: both deltas
            bits.Signed(edge.anchorX, n);
            bits.Signed(edge.anchorY, n);
        }
    }
    bits.Unsigned(0, 6); // end of shape
    body += bits.Take();
    return Tag(alpha ? 32 : 2, body);
}

} // namespace

void BitWriter::Unsigned(std::uint32_t value, int bits)
{
    for (int i = bits - 1; i >= 0; --i) {
        if (m_used == 0)
            m_bytes += '\0';
        if ((value >> i) & 1u)
            m_bytes.back() =
                static_cast<char>(static_cast<unsigned char>(m_bytes.back()) | (0x80u >> m_used));
        m_used = (m_used + 1) % 8;
    }
}

void BitWriter::Signed(std::int32_t value, int bits)
{
    Unsigned(static_cast<std::uint32_t>(value) & (bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1)), bits);
}

void BitWriter::Align()
{
    m_used = 0;
}

std::string BitWriter::Take()
{
    m_used = 0;
    return std::move(m_bytes);
}

int SignedBits(std::initializer_list<std::int32_t> values)
{
    int bits = 1;
    for (std::int32_t value : values) {
        int needed = 1;
        while (needed < 32 &&
               (value < -(std::int64_t{1} << (needed - 1)) || value >= (std::int64_t{1} << (needed - 1))))
            ++needed;
        bits = std::max(bits, needed);
    }
    return bits;
}

std::string Rect(std::int32_t xMin, std::int32_t xMax, std::int32_t yMin, std::int32_t yMax)
{
    const int n = SignedBits({xMin, xMax, yMin, yMax});
    BitWriter bits;
    bits.Unsigned(static_cast<std::uint32_t>(n), 5);
    for (std::int32_t value : {xMin, xMax, yMin, yMax})
        bits.Signed(value, n);
    return bits.Take();
}

std::string Matrix(const Placement& placement)
{
    BitWriter bits;
    const double radians = placement.rotation * kPi / 180;
    const double cosine = std::cos(radians) * placement.scale;
    const double sine = std::sin(radians) * placement.scale;
    auto fixed = [](double value) { return static_cast<std::int32_t>(std::lrint(value * 65536)); };
    const bool scaled = fixed(cosine) != 65536;
    const bool rotated = fixed(sine) != 0;
    bits.Unsigned(scaled || rotated ? 1 : 0, 1);
    if (scaled || rotated) {
        const int n = SignedBits({fixed(cosine)});
        bits.Unsigned(static_cast<std::uint32_t>(n), 5);
        bits.Signed(fixed(cosine), n);
        bits.Signed(fixed(cosine), n);
    }
    bits.Unsigned(rotated ? 1 : 0, 1);
    if (rotated) {
        const int n = SignedBits({fixed(sine), fixed(-sine)});
        bits.Unsigned(static_cast<std::uint32_t>(n), 5);
        bits.Signed(fixed(sine), n);
        bits.Signed(fixed(-sine), n);
    }
    const std::int32_t x = Twips(placement.x);
    const std::int32_t y = Twips(placement.y);
    const int n = (x == 0 && y == 0) ? 0 : SignedBits({x, y});
    bits.Unsigned(static_cast<std::uint32_t>(n), 5);
    if (n > 0) {
        bits.Signed(x, n);
        bits.Signed(y, n);
    }
    return bits.Take();
}

std::string Tag(int code, const std::string& body)
{
    std::string out;
    if (body.size() < 63) {
        Append16(out, static_cast<std::uint32_t>(code << 6) | static_cast<std::uint32_t>(body.size()));
    } else {
        Append16(out, static_cast<std::uint32_t>(code << 6) | 0x3F);
        Append32(out, static_cast<std::uint32_t>(body.size()));
    }
    return out + body;
}

std::string WriteMovie(const Movie& movie)
{
    if (movie.frames.empty() || movie.frames.size() > 0xFFFF || movie.shapes.size() > 0xFFFE)
        throw std::invalid_argument("a movie has 1 to 65535 frames and fewer than 65535 shapes");
    std::string body = Rect(0, Twips(movie.width), 0, Twips(movie.height));
    Append16(body, static_cast<std::uint32_t>(std::lrint(movie.frameRate * 256)) & 0xFFFF);
    Append16(body, static_cast<std::uint32_t>(movie.frames.size()));

    std::string background;
    AppendColour(background, movie.background, false);
    body += Tag(9, background);
    for (std::size_t i = 0; i < movie.shapes.size(); ++i)
        body += DefineShape(static_cast<std::uint16_t>(i + 1), movie.shapes[i]);
    for (std::size_t f = 0; f < movie.frames.size(); ++f) {
        const auto& placements = movie.frames[f];
        if (placements.size() != movie.shapes.size())
            throw std::invalid_argument("every frame places every shape");
        for (std::size_t i = 0; i < placements.size(); ++i) {
            std::string place;
            place += static_cast<char>(f == 0 ? 0x06 : 0x05);   // character + matrix, or move + matrix
            Append16(place, static_cast<std::uint32_t>(i + 1)); // depth
            if (f == 0)
                Append16(place, static_cast<std::uint32_t>(i + 1)); // character
            place += Matrix(placements[i]);
            body += Tag(26, place);
        }
        body += Tag(1, {});
    }
    body += Tag(0, {});

    std::string out = "FWS";
    out += static_cast<char>(movie.version);
    Append32(out, static_cast<std::uint32_t>(8 + body.size()));
    return out + body;
}

} // namespace ondrix::swf
