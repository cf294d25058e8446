#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ondrix::swf {

struct Rgba
{
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

// A solid shape centred on its own origin, in pixels.
struct Shape
{
    enum class Kind
    {
        Rectangle,
        Ellipse,
    } kind = Kind::Rectangle;
    double width = 10;
    double height = 10;
    Rgba fill;
};

// Where a shape stands in one frame: its centre in pixels, its scale and its rotation in
// degrees (clockwise on the screen).
struct Placement
{
    double x = 0;
    double y = 0;
    double scale = 1;
    double rotation = 0;
};

// A movie: the stage, the background, the shapes (drawn in order, the first at the back)
// and, for each frame, one placement per shape.
struct Movie
{
    int width = 550;
    int height = 400;
    double frameRate = 24;
    std::uint8_t version = 8;
    Rgba background{255, 255, 255, 255};
    std::vector<Shape> shapes;
    std::vector<std::vector<Placement>> frames;
};

// Bits written from the most significant one down, as the movie format packs them.
class BitWriter
{
public:
    void Unsigned(std::uint32_t value, int bits);
    void Signed(std::int32_t value, int bits);
    void Align();
    std::string Take();

private:
    std::string m_bytes;
    int m_used = 0; // bits of the last byte in use
};

// The number of bits a signed field needs for every one of the values (at least 1).
int SignedBits(std::initializer_list<std::int32_t> values);

// Encoders of the parts, for tests and for the writer.
std::string Rect(std::int32_t xMin, std::int32_t xMax, std::int32_t yMin, std::int32_t yMax);
std::string Matrix(const Placement& placement); // translation in pixels
std::string Tag(int code, const std::string& body);

// The bytes of an uncompressed ("FWS") movie: the header, SetBackgroundColor, one shape
// definition per shape (DefineShape, DefineShape3 for a shape that is not opaque), then per
// frame one PlaceObject2 per shape (placing it in the first frame, moving it after) and
// ShowFrame, and End.
std::string WriteMovie(const Movie& movie);

} // namespace ondrix::swf
